list(APPEND DRIVER_SOURCES
  driver/Arguments.cpp
  driver/CommandTable.cpp
  driver/commands/DeviceCommands.cpp
  driver/commands/DisplayModeCommands.cpp
  driver/commands/HotkeyCommands.cpp
  driver/commands/PomodoroState.cpp
  driver/commands/PowerCommands.cpp
  driver/commands/WindowCommands.cpp
  driver/commands/ZenState.cpp
  driver/ScriptDriver.cpp
  driver/Session.cpp
  driver/StateReport.cpp
  driver/Tour.cpp
)
