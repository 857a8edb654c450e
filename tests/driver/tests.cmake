list(APPEND TEST_SOURCES
  driver/ScriptDriverTest.cpp
)
list(APPEND TEST_SOURCES driver/CommandTableTest.cpp)
