#pragma once
// A translucent black panel over a whole screen: the bottom tenth of a monitor's brightness.

#include "appkit/Panel.h"
#include "platform/Screens.h"

class DimmerOverlayWindow : public appkit::Panel {
  public:
    explicit DimmerOverlayWindow(const platform::Screen& screen);
};
