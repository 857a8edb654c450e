list(APPEND TEST_SOURCES
  modes/ModeCatalogueTest.cpp
)
