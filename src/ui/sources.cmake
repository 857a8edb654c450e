list(APPEND CORE_SOURCES
  ui/CapsuleButtons.cpp
  ui/CardView.cpp
  ui/ClickableTitleStackView.cpp
  ui/InteractiveImageView.cpp
  ui/OneLineLabel.cpp
  ui/StyledPopUpButton.cpp
  ui/WrappedLabel.cpp
)
