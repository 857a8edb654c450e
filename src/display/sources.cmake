list(APPEND CORE_SOURCES
  display/Arm64DDCMatching.cpp
  display/Arm64DDCTransport.cpp
  display/AudioController.cpp
  display/AudioOutput.cpp
  display/AutoBrightness.cpp
  display/BlueLight.cpp
  display/BrightnessController.cpp
  display/CoalescedWrites.cpp
  display/DimmerOverlayWindow.cpp
  display/DisplayCommands.cpp
  display/DisplayEngine.cpp
  display/DisplayLookup.cpp
  display/KeyboardBacklight.cpp
)
