#pragma once
// The built-in panel's automatic brightness, through CoreBrightness.

// Both report whether the call succeeded.
bool CBALCGetDisplayAutoBrightnessEnabled(bool* enabled);
bool CBALCSetDisplayAutoBrightnessEnabled(bool enabled);
