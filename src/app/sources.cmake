list(APPEND CORE_SOURCES
  app/AppDelegate.cpp
  app/ApplicationSession.cpp
  app/AppearanceTheme.cpp
  app/BlackoutController.cpp
  app/BrightnessSliders.cpp
  app/BrightnessState.cpp
  app/ControlWindow.cpp
  app/ControlWindowCards.cpp
  app/ControlWindowParts.cpp
  app/Language.cpp
  app/LanguageSwitch.cpp
  app/ScreenConfiguration.cpp
  app/ShellServices.cpp
  app/StatusMenu.cpp
  app/ThemeManager.cpp
)
