list(APPEND TEST_SOURCES
  ui/WidgetKitTest.cpp
)
