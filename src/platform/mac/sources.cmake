# The macOS backend's sources: built into nightlid_mac on a Mac, checked against the SDK
# stand-in everywhere else (tests/macos-check.cmake).
set(MAC_BACKEND_SOURCES)
foreach(f
    AppearanceWatch.cpp
    CFValues.cpp
    MacAudio.cpp
    MacBackend.cpp
    MacDisplays.cpp
    MacHotkeys.cpp
    MacIORegistry.cpp
    MacPower.cpp
    MacPrivateDisplay.cpp
    MacSystem.cpp
    NoBundleNotifications.cpp
    ObjCClasses.cpp
    PlacedWindowBehaviour.cpp
    SparkleUpdater.cpp
    SymbolLibrary.cpp
    SystemAnswers.cpp
    ToolRunner.cpp
    MacAlerts.mm
    MacAppearance.mm
    MacApplications.mm
    MacCoreBrightness.mm
    MacInputActivity.mm
    MacLoginItems.mm
    MacNotifications.mm
    MacPrivileges.mm
    MacScreens.mm
    MacStatusBar.mm
    MacUpdater.mm
    MacWindowServer.mm
    MenuTargets.mm
    ObjCRuntime.mm)
  list(APPEND MAC_BACKEND_SOURCES ${CMAKE_CURRENT_LIST_DIR}/${f})
endforeach()
