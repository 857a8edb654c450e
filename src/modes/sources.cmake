list(APPEND CORE_SOURCES
  modes/Arrangement.cpp
  modes/ModeCatalogue.cpp
  modes/ResolutionSwitching.cpp
  modes/ScalingOptionView.cpp
  modes/ScalingStackView.cpp
)
