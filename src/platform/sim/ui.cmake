list(APPEND SIM_SOURCES
  platform/sim/KeyPad.cpp
  platform/sim/ScreensCanvas.cpp
  platform/sim/ScreensCanvasChrome.cpp
  platform/sim/SimulatorWindow.cpp
)
