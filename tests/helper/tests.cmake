list(APPEND TEST_SOURCES
  helper/HelperCoreTest.cpp
  helper/HelperLoopTest.cpp
)
