list(APPEND TEST_SOURCES
  helper/HelperCoreTest.cpp
  helper/HelperFolderRootTest.cpp
  helper/HelperLoopTest.cpp
  helper/SmcChargingTest.cpp
  helper/SmcProtocolTest.cpp
)
