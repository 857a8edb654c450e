#include "hotkeys/HotkeyTestSupport.h"
#include "platform/sim/ScreensCanvas.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/SimulatorWindow.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>

// The simulator's window is how a person uses the virtual Mac: keys typed into it are the Mac's
// keys, a click on its screens is a click on the Mac's desktop.
TEST_F(HotkeyTest, TheSimulatorTypesMacKeysWithTheirModifiersAndClicksTheDesktop) {
    launch();
    english();
    sim::SimulatorWindow simulator(mac());
    auto* canvas = simulator.canvas();
    canvas->resize(960, 480);

    // Recording a hotkey by typing ⌃⇧K on the host keyboard.
    button(2).performClick();
    QKeyEvent k(QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier, "K");
    QCoreApplication::sendEvent(canvas, &k);
    advance();
    EXPECT_FALSE(controller().isRecordingHotkey);
    EXPECT_EQ(defaults().integer("hotkeyCode.DELL U2720Q"), 40);
    EXPECT_EQ(defaults().integer("hotkeyModifiers.DELL U2720Q"), 4096 + 512);
    // F5, an arrow and a digit are Mac keys too; a modifier pressed alone sends nothing.
    const int before = mac().input().keysReachingApplication();
    for (int key : {int(Qt::Key_F5), int(Qt::Key_Left), int(Qt::Key_7), int(Qt::Key_Shift)}) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas, &e);
    }
    advance();
    EXPECT_EQ(mac().input().keysReachingApplication(), before + 3);

    // Remote standby ends at a person's click anywhere on the screens.
    controller().enterRemoteStandby();
    advance(5); // past the moment clicks are still taken for the one that started it
    ASSERT_TRUE(controller().isRemoteStandbyActive);
    const QPointF middle(canvas->width() / 2.0, canvas->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, middle, canvas->mapToGlobal(middle),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, middle, canvas->mapToGlobal(middle),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &press);
    QCoreApplication::sendEvent(canvas, &release);
    advance();
    EXPECT_FALSE(controller().isRemoteStandbyActive);
}
