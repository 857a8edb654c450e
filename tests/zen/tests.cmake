list(APPEND TEST_SOURCES
  zen/ZenTest.cpp
)
