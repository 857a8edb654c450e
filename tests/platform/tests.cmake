list(APPEND TEST_SOURCES
  platform/DisplayConfigurationTest.cpp
  platform/FoundationTest.cpp
  platform/MachineInputsTest.cpp
  platform/OutsideFilesTest.cpp
  platform/VirtualMacTest.cpp
)
