#pragma once
// A laptop with two external monitors, and a launched application on it.

#include "app/AppDelegate.h"
#include "app/BlackoutController.h"
#include "appkit/ViewLookup.h"
#include "appkit/Window.h"
#include "platform/sim/SimAlerts.h"
#include "platform/sim/SimStatusItem.h"
#include "support/VirtualMacTest.h"
#include "ui/CardView.h"
#include "ui/ClickableTitleStackView.h"

#include <QLabel>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

inline sim::DisplayDescription displayDescription(DisplayID id, bool builtIn, platform::Rect frame,
                                                  std::string name) {
    sim::DisplayDescription d;
    d.id = id;
    d.builtIn = builtIn;
    d.frame = frame;
    d.screenName = std::move(name);
    return d;
}

inline sim::MachineDescription laptopWithTwoMonitors() {
    sim::MachineDescription m;
    m.displays = {
        displayDescription(1, true, {0, 0, 1512, 982}, "Built-in Retina Display"),
        displayDescription(2, false, {1512, 0, 2560, 1440}, "DELL U2720Q"),
        displayDescription(3, false, {-1920, 0, 1920, 1080}, "LG HDR 4K"),
    };
    return m;
}

class AppTest : public VirtualMacTest {
  protected:
    void SetUp() override { boot(laptopWithTwoMonitors()); }
    void TearDown() override {
        delegate_.reset();
        VirtualMacTest::TearDown();
    }

    // What the entry function and the first turn of the event loop do.
    void launch() {
        delegate_ = std::make_unique<AppDelegate>();
        AppDelegate::setShared(delegate_.get());
        delegate_->applicationDidFinishLaunching();
        advance();
    }

    BlackoutController& controller() { return BlackoutController::shared(); }
    sim::SimStatusItem& item() { return *mac().statusItem(); }
    AppDelegate& delegate() { return *delegate_; }

    // Marks the current control window so a later check can tell whether it was replaced.
    void markControlWindow() { controller().controlWindow->widget()->setObjectName("marked"); }
    bool controlWindowIsMarked() {
        auto& w = controller().controlWindow;
        return w && w->widget()->objectName() == "marked";
    }

    // The title of every card of the control window, in order.
    std::vector<std::string> cardTitles() {
        std::vector<std::string> out;
        for (auto* card :
             appkit::subviews<ui::CollapsibleCard>(controller().controlWindow->widget()))
            if (auto* title = card->header()->findChild<QLabel*>())
                out.push_back(title->text().toStdString());
        return out;
    }

    std::vector<std::string> controlWindowTexts() {
        std::vector<std::string> out;
        for (auto* label : controller().controlWindow->widget()->findChildren<QLabel*>())
            out.push_back(label->text().toStdString());
        return out;
    }

  private:
    std::unique_ptr<AppDelegate> delegate_;
};
