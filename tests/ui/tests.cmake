list(APPEND TEST_SOURCES
  ui/DrawingTest.cpp
  ui/WidgetKitTest.cpp
)
