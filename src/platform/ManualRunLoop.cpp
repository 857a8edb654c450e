#include "platform/ManualRunLoop.h"

#include <QCoreApplication>

#include <algorithm>

namespace platform {

namespace {

class ManualTimer : public Timer, public std::enable_shared_from_this<ManualTimer> {
  public:
    ManualTimer(ManualRunLoop& loop, double interval, std::function<void(Timer&)> block)
        : loop_(loop), interval_(interval), block_(std::move(block)) {}
    void invalidate() override { valid_ = false; }
    bool isValid() const override { return valid_; }

    void schedule() {
        std::weak_ptr<ManualTimer> weak = shared_from_this();
        loop_.asyncAfter(interval_, [weak] {
            auto self = weak.lock();
            if (!self || !self->valid_) return;
            self->block_(*self);
            if (self->valid_) self->schedule();
        });
    }

  private:
    ManualRunLoop& loop_;
    double interval_;
    std::function<void(Timer&)> block_;
    bool valid_ = true;
};

} // namespace

double ManualRunLoop::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

void ManualRunLoop::async(Task task) {
    asyncAfter(0, std::move(task));
}

void ManualRunLoop::asyncAfter(double seconds, Task task) {
    std::lock_guard lock(mutex_);
    entries_.push_back({now_ + std::max(0.0, seconds), seq_++, std::move(task)});
}

std::shared_ptr<Timer> ManualRunLoop::scheduleRepeating(double interval,
                                                        std::function<void(Timer&)> block) {
    auto timer = std::make_shared<ManualTimer>(*this, interval, std::move(block));
    timer->schedule();
    return timer;
}

bool ManualRunLoop::popDue(double limit, Entry& out) {
    std::lock_guard lock(mutex_);
    auto it =
        std::min_element(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
            return a.due < b.due || (a.due == b.due && a.seq < b.seq);
        });
    if (it == entries_.end() || it->due > limit + 1e-9) return false;
    out = std::move(*it);
    entries_.erase(it);
    if (out.due > now_) now_ = out.due;
    return true;
}

void ManualRunLoop::advance(double seconds) {
    double limit = now() + std::max(0.0, seconds);
    Entry e;
    while (popDue(limit, e))
        e.task();
    {
        std::lock_guard lock(mutex_);
        now_ = limit;
    }
    // What Qt's own loop would deliver between turns (deletions, layouts): left alone, its queue
    // grows with every window built and each post scans it.
    if (QCoreApplication::instance()) QCoreApplication::sendPostedEvents();
}

void ManualRunLoop::runPending() {
    advance(0);
}

std::optional<double> ManualRunLoop::nextDue() const {
    std::lock_guard lock(mutex_);
    std::optional<double> first;
    for (const auto& e : entries_)
        if (!first || e.due < *first) first = e.due;
    return first;
}

size_t ManualRunLoop::pendingCount() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

} // namespace platform
