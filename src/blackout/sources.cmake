list(APPEND CORE_SOURCES
  blackout/BlackoutWindow.cpp
  blackout/DarkRecords.cpp
  blackout/DisplayPower.cpp
  blackout/EscapeMonitors.cpp
  blackout/GammaBlackout.cpp
  blackout/PowerTile.cpp
  blackout/ProtectorMode.cpp
  blackout/Recovery.cpp
  blackout/RecoveryJournal.cpp
)
