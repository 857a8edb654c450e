list(APPEND TEST_SOURCES
  pomodoro/PomodoroBreakTest.cpp
  pomodoro/PomodoroPanelsTest.cpp
  pomodoro/PomodoroTest.cpp
)
