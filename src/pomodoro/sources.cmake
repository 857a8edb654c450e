list(APPEND CORE_SOURCES
  pomodoro/PomodoroBreakView.cpp
  pomodoro/PomodoroControl.cpp
  pomodoro/PomodoroEngine.cpp
  pomodoro/PomodoroSettingsPanel.cpp
  pomodoro/PomodoroStartOverlay.cpp
  pomodoro/PomodoroStatusPanel.cpp
)
