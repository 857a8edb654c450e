#pragma once
// The system-wide light or dark appearance, through SkyLight's private calls when the system has
// them; without them reading falls back to the application's appearance and setting does nothing.

class ThemeManager {
  public:
    static bool isDarkMode();
    static void setDarkMode(bool dark);

  private:
    ThemeManager() = default;
};
