list(APPEND CORE_SOURCES
  modes/ModeCatalogue.cpp
)
