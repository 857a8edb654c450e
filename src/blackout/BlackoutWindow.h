#pragma once
// The protector window: black over a whole screen; any key, click or scroll on it ends
// protector mode.

#include "appkit/Panel.h"

class BlackoutWindow : public appkit::Panel {
  public:
    BlackoutWindow(platform::Rect contentRect, unsigned styleMask, appkit::BackingStore backing,
                   bool defer);

    bool canBecomeKey() const override { return true; }
    bool canBecomeMain() const override { return true; }

  protected:
    void keyDown(const platform::Event&) override;
    void mouseDown(const platform::Event&) override;
    void rightMouseDown(const platform::Event&) override;
    void otherMouseDown(const platform::Event&) override;
    void scrollWheel(const platform::Event&) override;
};
