list(APPEND TEST_SOURCES
  power/BatteryCardTest.cpp
  power/PowerStatusTest.cpp
)
