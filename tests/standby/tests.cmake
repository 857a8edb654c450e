list(APPEND TEST_SOURCES
  standby/StandbyTest.cpp
)
