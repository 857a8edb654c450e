list(APPEND CORE_SOURCES
  zen/ZenMode.cpp
  zen/ZenSettingsPanel.cpp
  zen/ZenView.cpp
  zen/ZenWindow.cpp
)
