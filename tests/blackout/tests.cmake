list(APPEND TEST_SOURCES
  blackout/BrightnessControllerTest.cpp
  blackout/GammaBlackoutTest.cpp
)
