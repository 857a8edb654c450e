list(APPEND SIM_SOURCES
  platform/sim/HardwareState.cpp
  platform/sim/MachineJson.cpp
  platform/sim/SimAlerts.cpp
  platform/sim/SimAppearance.cpp
  platform/sim/SimAudio.cpp
  platform/sim/SimBrightness.cpp
  platform/sim/SimHotkeys.cpp
  platform/sim/SimInput.cpp
  platform/sim/SimMonitor.cpp
  platform/sim/SimRegistry.cpp
  platform/sim/SimStatusItem.cpp
  platform/sim/SimWindowServer.cpp
  platform/sim/VirtualMac.cpp
)
include(platform/sim/ui.cmake)
