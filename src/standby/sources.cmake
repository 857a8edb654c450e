list(APPEND CORE_SOURCES
  standby/KeepAwakeCard.cpp
  standby/RemoteStandby.cpp
)
