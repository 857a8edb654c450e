#include "platform/ManualRunLoop.h"

#include "platform/Clock.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <cmath>

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
    return nowLocked();
}

double ManualRunLoop::nowLocked() const {
    // The main thread's own device sleeps move the shared clock too.
    return clock_ ? std::max(now_, double(clock_->nowMicroseconds()) / 1e6) : now_;
}

void ManualRunLoop::async(Task task) {
    asyncAfter(0, std::move(task));
}

void ManualRunLoop::asyncAfter(double seconds, Task task) {
    std::lock_guard lock(mutex_);
    entries_.push_back({nowLocked() + std::max(0.0, seconds), seq_++, std::move(task)});
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
    now_ = std::max(nowLocked(), out.due);
    if (clock_) clock_->advanceTo(uint64_t(std::llround(now_ * 1e6)));
    return true;
}

void ManualRunLoop::setNow(double now) {
    std::lock_guard lock(mutex_);
    now_ = std::max(nowLocked(), now);
    if (clock_) clock_->advanceTo(uint64_t(std::llround(now_ * 1e6)));
}

void ManualRunLoop::advance(double seconds) {
    double limit = now() + std::max(0.0, seconds);
    // Below, a sleeper is woken when its moment is within the limit and no task is due before.
    const VirtualClock::PlanScope plan(clock_, [this, limit](uint64_t at) {
        const double when = double(at) / 1e6;
        const auto due = nextDue();
        return when <= limit + 1e-9 && (!due || when <= *due + 1e-9);
    });
    Entry e;
    for (;;) {
        if (clock_) {
            // A queue's sleep that ends before the next task goes first.
            const auto wake = clock_->quiescentNextWake();
            const auto due = nextDue();
            if (wake && double(*wake) / 1e6 <= limit + 1e-9 &&
                (!due || double(*wake) / 1e6 <= *due + 1e-9)) {
                clock_->wakeEarliest();
                setNow(double(clock_->nowMicroseconds()) / 1e6);
                continue;
            }
        }
        if (!popDue(limit, e)) break;
        e.task();
    }
    setNow(limit);
    // What Qt's own loop would deliver between turns (layouts, and the window system's show,
    // hide and expose of every window built): left alone, both queues grow with every window
    // and each post scans them. Input comes from the caller, never from the host.
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ManualRunLoop::runPending() {
    advance(0);
}

void ManualRunLoop::finishQueuedWork(double limit) {
    const double end = now() + limit;
    while (clock_ && clock_->hasWork() && now() < end) {
        const auto wake = clock_->quiescentNextWake();
        if (!wake) {
            // Running work that posts to this loop: let it land.
            advance(0);
            if (!clock_->quiescentNextWake()) break;
            continue;
        }
        // Work that sleeps past the limit (a tool that takes its time) wakes when time gets there.
        if (double(*wake) / 1e6 > end) break;
        advance(std::max(0.0, double(*wake) / 1e6 - now()));
    }
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
