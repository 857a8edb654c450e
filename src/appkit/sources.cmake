list(APPEND CORE_SOURCES
  appkit/Alert.cpp
  appkit/Button.cpp
  appkit/Colors.cpp
  appkit/ImageView.cpp
  appkit/LayerView.cpp
  appkit/Panel.cpp
  appkit/Pictographs.cpp
  appkit/PopUpButton.cpp
  appkit/RoundedPlate.cpp
  appkit/Scroller.cpp
  appkit/SegmentedControl.cpp
  appkit/Slider.cpp
  appkit/WheelScrolls.cpp
  appkit/Stepper.cpp
  appkit/StackView.cpp
  appkit/Window.cpp
)
