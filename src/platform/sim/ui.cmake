list(APPEND SIM_SOURCES
  platform/sim/ScreensCanvas.cpp
  platform/sim/SimulatorWindow.cpp
)
