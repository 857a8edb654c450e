list(APPEND TEST_SOURCES
  platform/FoundationTest.cpp
  platform/MachineInputsTest.cpp
  platform/VirtualMacTest.cpp
)
