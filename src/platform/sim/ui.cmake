list(APPEND SIM_SOURCES
  platform/sim/HostKeys.cpp
  platform/sim/KeyPad.cpp
  platform/sim/ScreensCanvas.cpp
  platform/sim/ScreensCanvasChrome.cpp
  platform/sim/SimulatorWindow.cpp
)
