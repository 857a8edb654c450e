list(APPEND TEST_SOURCES
  blackout/BrightnessStateTest.cpp
  blackout/DisplayPowerTest.cpp
  blackout/GammaBlackoutTest.cpp
  blackout/LandingTest.cpp
  blackout/OwnRecordTest.cpp
  blackout/DarkRoutesTest.cpp
  blackout/ProtectorModeTest.cpp
  blackout/RandomDarkStateTest.cpp
  blackout/RecoveryTest.cpp
)
