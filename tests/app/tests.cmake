list(APPEND TEST_SOURCES
  app/AppKitTest.cpp
  app/LanguageTest.cpp
  app/LifecycleTest.cpp
  app/RealTimeTest.cpp
  app/ShellServicesTest.cpp
  app/StatusMenuTest.cpp
  app/SyncTest.cpp
  app/ThemeTest.cpp
)
