list(APPEND CORE_SOURCES
  blackout/GammaBlackout.cpp
)
