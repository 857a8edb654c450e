list(APPEND TEST_SOURCES
  pomodoro/PomodoroPanelsTest.cpp
  pomodoro/PomodoroTest.cpp
)
