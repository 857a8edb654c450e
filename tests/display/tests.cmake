list(APPEND TEST_SOURCES
  display/BlueLightTest.cpp
  display/BrightnessControllerTest.cpp
  display/DDCPacingTest.cpp
  display/DDCPlatformGapsTest.cpp
  display/DisplayCommandsTest.cpp
  display/DDCTransportTest.cpp
  display/DisplayRegistryTest.cpp
)
