list(APPEND CORE_SOURCES
  hotkeys/HotkeyButton.cpp
  hotkeys/HotkeyRecording.cpp
  hotkeys/HotkeyRegistration.cpp
  hotkeys/KeyNames.cpp
)
