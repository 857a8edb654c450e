list(APPEND CORE_SOURCES
  platform/BoundedTool.cpp
  platform/Clock.cpp
  platform/ManualRunLoop.cpp
  platform/Menu.cpp
  platform/Platform.cpp
  platform/QtRunLoop.cpp
  platform/SerialQueue.cpp
  platform/SharedFiles.cpp
  platform/SymbolImages.cpp
  platform/SystemLog.cpp
  platform/UserDefaults.cpp
  platform/PropertyList.cpp
  platform/BinaryPropertyList.cpp
  platform/Value.cpp
)
