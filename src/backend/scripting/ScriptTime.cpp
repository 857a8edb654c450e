// How a script's time passes. In virtual time the machine's scheduler steps the run loop and the
// device queues together. On the real clock the script waits as a person does: Qt's own loop runs
// (timers, posted results, drawing) while the devices take their real bus and settle times.

#include "backend/scripting/RunnerSupport.h"

#include "display/DisplayEngine.h"
#include "platform/ManualRunLoop.h"
#include "platform/Platform.h"
#include "platform/SerialQueue.h"
#include "platform/sim/VirtualMac.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <thread>

namespace scripting {

namespace {

bool queuesIdle(platform::ConcurrentQueue* global) {
    const bool ddcIdle = !DisplayEngine::hasShared() || DisplayEngine::shared().ddcIdle();
    return ddcIdle && (!global || global->isIdle());
}

// Qt's loop runs until the device queues have nothing left and what they posted back has run.
// Another thread waits on the queues, so the main thread sleeps in Qt's loop meanwhile (no
// polling).
void settleOnRealClock(sim::VirtualMac& mac) {
    auto* global = mac.platform().globalQueue;
    for (;;) {
        QCoreApplication::processEvents();
        if (queuesIdle(global)) return;
        QEventLoop loop;
        DisplayEngine* engine = DisplayEngine::hasShared() ? &DisplayEngine::shared() : nullptr;
        std::thread waiter([&] {
            if (engine) engine->drainDDC();
            if (global) global->drain();
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
        waiter.join();
    }
}

} // namespace

void settle(sim::VirtualMac& mac) {
    if (mac.manualRunLoop())
        mac.settle();
    else
        settleOnRealClock(mac);
}

void passTime(sim::VirtualMac& mac, double seconds) {
    if (auto* loop = mac.manualRunLoop()) {
        loop->advance(seconds);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace scripting
