list(APPEND TEST_SOURCES
  blackout/BrightnessStateTest.cpp
  blackout/DisplayPowerTest.cpp
  blackout/GammaBlackoutTest.cpp
  blackout/ProtectorModeTest.cpp
  blackout/RecoveryTest.cpp
)
