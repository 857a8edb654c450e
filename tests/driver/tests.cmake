list(APPEND TEST_SOURCES
  driver/ScriptDriverTest.cpp
)
