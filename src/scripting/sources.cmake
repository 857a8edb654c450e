list(APPEND SCRIPTING_SOURCES
  scripting/Arguments.cpp
  scripting/CommandTable.cpp
  scripting/commands/DeviceCommands.cpp
  scripting/commands/DisplayModeCommands.cpp
  scripting/commands/HotkeyCommands.cpp
  scripting/commands/PomodoroState.cpp
  scripting/commands/PowerCommands.cpp
  scripting/commands/WindowCommands.cpp
  scripting/commands/ZenState.cpp
  scripting/ScriptDriver.cpp
  scripting/Session.cpp
  scripting/StateReport.cpp
  scripting/Tour.cpp
)
