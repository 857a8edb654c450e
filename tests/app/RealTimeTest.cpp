// The interactive program's path: Qt's event loop and the real clock drive the timers and the
// device queues, as `make run` does. Every other test runs in virtual time.

#include "app/BlackoutController.h"
#include "appkit/Slider.h"
#include "appkit/ViewLookup.h"
#include "appkit/Window.h"
#include "backend/scripting/Session.h"
#include "platform/RunLoop.h"
#include "platform/sim/SimMonitor.h"
#include "platform/sim/SimStatusItem.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

namespace {

// Runs Qt's loop until the condition holds; the deadline is only there so a fault ends the test.
template <typename Condition> bool runUntil(Condition condition) {
    QDeadlineTimer deadline(20000);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

} // namespace

TEST(RealTime, TheInteractiveProgramRunsOnQtsLoopAndTheRealClock) {
    sim::VirtualMacOptions options;
    options.virtualTime = false;
    scripting::Session session(sim::VirtualMac::defaultDescription(), options);
    bool quit = false;
    session.setOnTerminated([&] { quit = true; });
    auto& mac = session.mac();
    ASSERT_EQ(mac.manualRunLoop(), nullptr) << "Qt's loop, not the manual one";
    session.launch();

    // Launched on the loop's first turn: the status item and the control window.
    ASSERT_TRUE(runUntil([] {
        return BlackoutController::hasShared() && BlackoutController::shared().controlWindow &&
               BlackoutController::shared().controlWindow->isVisible();
    }));
    ASSERT_TRUE(mac.statusItem());

    // A timer of the run loop fires after its time.
    bool fired = false;
    mac.platform().runLoop->asyncAfter(0.1, [&] { fired = true; });
    EXPECT_TRUE(runUntil([&] { return fired; }));

    // A slider moved by the user reaches the monitor through the DDC queue's thread.
    auto& c = BlackoutController::shared();
    auto* slider = appkit::viewWithTag<appkit::Slider>(c.controlWindow->contentView(), 1001);
    ASSERT_NE(slider, nullptr);
    slider->performDrag(0.3);
    EXPECT_TRUE(runUntil([&] {
        auto v = mac.monitor(2)->vcp(0x10);
        return v && v->current == 22;
    })) << "0.3 on the slider is 22 of 100 once the software range is left out";

    // Quit from the status menu ends the program.
    mac.statusItem()->click(platform::EventType::rightMouseUp);
    ASSERT_TRUE(mac.statusItem()->lastMenu());
    for (const auto& entry : mac.statusItem()->lastMenu()->items)
        if (entry.title == "종료" && entry.action) entry.action();
    EXPECT_TRUE(runUntil([&] { return quit; }));
    EXPECT_TRUE(session.terminated());
}
