#pragma once
// The run loop bound to Qt's event loop, for the interactive program.

#include "platform/RunLoop.h"

#include <QElapsedTimer>
#include <QObject>

namespace platform {

class QtRunLoop : public RunLoop {
  public:
    QtRunLoop();
    ~QtRunLoop() override;
    double now() const override;
    void async(Task task) override;
    void asyncAfter(double seconds, Task task) override;
    std::shared_ptr<Timer> scheduleRepeating(double interval,
                                             std::function<void(Timer&)> block) override;

  private:
    QObject* context_;
    QElapsedTimer elapsed_;
};

} // namespace platform
