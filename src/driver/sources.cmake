list(APPEND DRIVER_SOURCES
  driver/DeviceCommands.cpp
  driver/ScriptDriver.cpp
  driver/Session.cpp
  driver/StateReport.cpp
  driver/Tour.cpp
)
