list(APPEND TEST_SOURCES
  modes/DisplayModesTest.cpp
  modes/ModeCatalogueTest.cpp
  modes/ScalingViewsTest.cpp
)
