# The macOS backend's sources: built into nightlid_mac on a Mac, checked against the SDK
# stand-in everywhere else (tests/macos-check.cmake).
set(MAC_BACKEND_SOURCES)
foreach(f
    AppearanceWatch.cpp
    CFValues.cpp
    MacBackend.cpp
    MacDisplays.cpp
    MacIORegistry.cpp
    MacPower.cpp
    MacPrivateDisplay.cpp
    MacSystem.cpp
    PendingServices.cpp
    PlacedWindowBehaviour.cpp
    SymbolLibrary.cpp
    MacAlerts.mm
    MacAppearance.mm
    MacApplications.mm
    MacInputActivity.mm
    MacScreens.mm
    MacStatusBar.mm
    MacWindowServer.mm
    MenuTargets.mm)
  list(APPEND MAC_BACKEND_SOURCES ${CMAKE_CURRENT_LIST_DIR}/${f})
endforeach()
