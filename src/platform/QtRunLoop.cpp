#include "platform/QtRunLoop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>

namespace platform {

namespace {

class QtTimer : public Timer {
  public:
    QtTimer(QObject* context, double interval, std::function<void(Timer&)> block)
        : timer_(new QTimer(context)), block_(std::move(block)) {
        timer_->setInterval(int(interval * 1000));
        QObject::connect(timer_, &QTimer::timeout, timer_, [this] {
            if (valid_) block_(*this);
        });
        timer_->start();
    }
    ~QtTimer() override {
        timer_->stop();
        timer_->deleteLater();
    }
    void invalidate() override {
        valid_ = false;
        timer_->stop();
    }
    bool isValid() const override { return valid_; }

  private:
    QTimer* timer_;
    std::function<void(Timer&)> block_;
    bool valid_ = true;
};

} // namespace

QtRunLoop::QtRunLoop() : context_(new QObject) {
    elapsed_.start();
}

QtRunLoop::~QtRunLoop() {
    delete context_;
}

double QtRunLoop::now() const {
    return double(elapsed_.nsecsElapsed()) / 1e9;
}

void QtRunLoop::async(Task task) {
    QMetaObject::invokeMethod(
        context_, [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

void QtRunLoop::asyncAfter(double seconds, Task task) {
    if (seconds <= 0) return async(std::move(task));
    // Timers belong to the main thread; hop there first when called from elsewhere.
    async([this, seconds, task = std::move(task)] {
        QTimer::singleShot(int(seconds * 1000), context_, task);
    });
}

std::shared_ptr<Timer> QtRunLoop::scheduleRepeating(double interval,
                                                    std::function<void(Timer&)> block) {
    return std::make_shared<QtTimer>(context_, interval, std::move(block));
}

} // namespace platform
