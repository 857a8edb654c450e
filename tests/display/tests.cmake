list(APPEND TEST_SOURCES
  display/DDCPlatformGapsTest.cpp
  display/DDCTransportTest.cpp
  display/DisplayRegistryTest.cpp
)
