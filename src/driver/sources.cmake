list(APPEND DRIVER_SOURCES
  driver/ScriptDriver.cpp
  driver/Session.cpp
  driver/StateReport.cpp
  driver/Tour.cpp
)
