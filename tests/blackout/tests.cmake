list(APPEND TEST_SOURCES
  blackout/GammaBlackoutTest.cpp
)
