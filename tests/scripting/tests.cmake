list(APPEND TEST_SOURCES
  scripting/ScriptDriverTest.cpp
)
list(APPEND TEST_SOURCES scripting/CommandTableTest.cpp scripting/RealInputTest.cpp)
