list(APPEND CORE_SOURCES
  zen/HudView.cpp
  zen/ZenMode.cpp
  zen/ZenSettingsPanel.cpp
  zen/ZenView.cpp
  zen/ZenWindow.cpp
)
