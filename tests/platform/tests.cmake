list(APPEND TEST_SOURCES
  platform/DisplayConfigurationTest.cpp
  platform/FoundationTest.cpp
  platform/MachineInputsTest.cpp
  platform/VirtualMacTest.cpp
)
