#pragma once
// The full-screen black panel of a Zen run (and of the Pomodoro break): it becomes key although
// it does not activate the application, and hands clicks and mouse moves to its view.

#include "appkit/Panel.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <map>
#include <memory>

namespace zen {

class ZenView;

class ZenWindow : public appkit::Panel {
  public:
    ZenWindow(platform::Rect contentRect, unsigned styleMask, appkit::BackingStore backing,
              bool defer);
    ~ZenWindow() override;
    // Above everything, screen savers included, as the window server numbers it.
    static int shieldingWindowLevel();
    // Black, borderless, over everything on every space, taking clicks: a Zen or break screen.
    static std::unique_ptr<ZenWindow> coveringScreen(platform::Rect frame);

    bool canBecomeKey() const override { return true; }
    bool canBecomeMain() const override { return true; }
    // The window owns its view.
    void setView(QWidget* view, bool animated);
    QWidget* view() const { return view_.get(); }
    ZenView* zenView() const;

  protected:
    void mouseDown(const platform::Event& event) override;
    void mouseMoved(const platform::Event& event) override;

  private:
    std::unique_ptr<QWidget> view_;
};

// Brings the application and these windows to the front over whatever is active (the steps a
// Zen or break screen takes 0.2 s after it shows).
void activateAndRaise(std::map<uint32_t, std::unique_ptr<ZenWindow>>& windows);

// Orders every window out and empties the map; the windows go once the event being handled has
// returned, since a button of theirs may be what closed them.
void orderOutAll(std::map<uint32_t, std::unique_ptr<ZenWindow>>& windows);

} // namespace zen
