list(APPEND CORE_SOURCES
  appkit/Alert.cpp
  appkit/Button.cpp
  appkit/Panel.cpp
  appkit/SegmentedControl.cpp
  appkit/StackView.cpp
  appkit/SymbolImages.cpp
  appkit/Window.cpp
)
