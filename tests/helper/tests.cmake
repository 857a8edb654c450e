list(APPEND TEST_SOURCES
  helper/HelperCoreTest.cpp
  helper/HelperFolderRootTest.cpp
  helper/HelperLoopTest.cpp
)
