list(APPEND CORE_SOURCES
  power/Calibration.cpp
  power/ChargeLimit.cpp
  power/HelperFiles.cpp
  power/MacModel.cpp
  power/PowerCard.cpp
  power/PowerStatus.cpp
)
