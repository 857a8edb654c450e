list(APPEND TEST_SOURCES
  display/DDCTransportTest.cpp
  display/DisplayRegistryTest.cpp
)
