list(APPEND TEST_SOURCES
  platform/FoundationTest.cpp
  platform/VirtualMacTest.cpp
)
