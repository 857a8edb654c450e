list(APPEND TEST_SOURCES
  blackout/DisplayPowerTest.cpp
  blackout/GammaBlackoutTest.cpp
  blackout/ProtectorModeTest.cpp
)
