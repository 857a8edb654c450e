list(APPEND TEST_SOURCES
  hotkeys/HotkeyRecordingTest.cpp
  hotkeys/HotkeyRegistrationTest.cpp
  hotkeys/KeyNamesTest.cpp
  hotkeys/SimulatorInputTest.cpp
)
