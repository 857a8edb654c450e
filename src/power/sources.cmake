list(APPEND CORE_SOURCES
  power/MacModel.cpp
)
