#include "platform/SerialQueue.h"

#include "platform/Clock.h"

#include <algorithm>
#include <future>

namespace platform {

namespace {

// Told outside the queue's lock: the gate's waiters look at the queue under their own.
void tellGate(WorkGate* gate, int delta, const void* owner) {
    if (!gate) return;
    for (; delta > 0; --delta)
        gate->workQueued(owner);
    for (; delta < 0; ++delta)
        gate->workDone(owner);
}

} // namespace

int SerialQueue::rebalanceLocked() {
    // One piece of work while a task runs or can run; a task waiting behind another cannot.
    const int wanted = running_ || (!tasks_.empty() && !suspended_) ? 1 : 0;
    const int delta = wanted - counted_;
    counted_ = wanted;
    return delta;
}

int ConcurrentQueue::rebalanceLocked() {
    // As many pieces of work as workers that run or can take a task.
    const int wanted = int(std::min(takingWorkers(), size_t(busy_) + tasks_.size()));
    const int delta = wanted - counted_;
    counted_ = wanted;
    return delta;
}

SerialQueue::SerialQueue(std::string label)
    : label_(std::move(label)), worker_([this] { run(); }) {}

SerialQueue::~SerialQueue() {
    // What is still queued runs first; in shared time only while the main thread gives it turns.
    if (gate_.load() && !WorkGate::isWorkerThread() && !isIdle()) drain();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    cv_.notify_all();
    worker_.join();
}

void SerialQueue::async(std::function<void()> task) {
    // The queue counts as one piece of work from the moment it has any until it is idle again; a
    // task waiting behind another does not count (it cannot run). Counted before the task can run
    // and end, and given back when the queue was busy already.
    int delta = 0;
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        delta = rebalanceLocked();
    }
    tellGate(gate_.load(), delta, this);
    cv_.notify_one();
}

void SerialQueue::sync(const std::function<void()>& task) {
    if (isCurrent()) { // a nested sync would deadlock; run it in place
        task();
        return;
    }
    if (gate_.load() && !WorkGate::isWorkerThread()) {
        // The main thread: time moves for the queue while it waits, as it would on a Mac.
        std::atomic<bool> finished = false;
        async([&] {
            task();
            finished = true;
        });
        gate_.load()->waitOnMain([&] { return finished.load(); });
        return;
    }
    std::promise<void> done;
    WorkGate* gate = WorkGate::isWorkerThread() ? gate_.load() : nullptr;
    const void* me = WorkGate::currentOwner();
    async([&] {
        task();
        if (gate) gate->unblock(me);
        done.set_value();
    });
    if (gate) gate->blockBegins();
    done.get_future().wait();
    if (gate) gate->enter(me);
}

void SerialQueue::drain() {
    if (gate_.load() && !WorkGate::isWorkerThread()) {
        gate_.load()->waitOnMain([this] { return isIdle(); });
        return;
    }
    // Asked on the queue itself: nothing else runs then, so an empty list means all is done.
    for (bool empty = false; !empty;)
        sync([&] {
            std::lock_guard lock(mutex_);
            empty = tasks_.empty();
        });
}

bool SerialQueue::isCurrent() const {
    const auto self = std::this_thread::get_id();
    return self == worker_.get_id() || self == stepping_;
}

void SerialQueue::suspend() {
    int delta = 0;
    {
        std::lock_guard lock(mutex_);
        suspended_ = true;
        delta = rebalanceLocked();
    }
    tellGate(gate_.load(), delta, this);
}

void SerialQueue::resume() {
    int delta = 0;
    {
        std::lock_guard lock(mutex_);
        suspended_ = false;
        delta = rebalanceLocked();
    }
    tellGate(gate_.load(), delta, this);
    cv_.notify_all();
}

bool SerialQueue::runNext() {
    std::function<void()> task;
    {
        std::lock_guard lock(mutex_);
        if (tasks_.empty()) return false;
        task = std::move(tasks_.front());
        tasks_.pop_front();
    }
    // Tasks that ask whether they run on the queue must be told yes.
    stepping_ = std::this_thread::get_id();
    task();
    stepping_ = std::thread::id{};
    int delta = 0;
    {
        std::lock_guard lock(mutex_);
        delta = rebalanceLocked();
    }
    tellGate(gate_.load(), delta, this);
    return true;
}

size_t SerialQueue::pendingCount() {
    std::lock_guard lock(mutex_);
    return tasks_.size();
}

void SerialQueue::run() {
    bool marked = false;
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            cv_.wait(lock, [this] { return stopping_ || (!tasks_.empty() && !suspended_); });
            if (tasks_.empty()) return; // stopping, and everything queued has run
            task = std::move(tasks_.front());
            tasks_.pop_front();
            running_ = true;
        }
        if (auto* gate = gate_.load()) {
            if (!marked) WorkGate::markWorkerThread(this);
            marked = true;
            gate->enter(this);
        }
        task();
        int delta = 0;
        {
            std::lock_guard lock(mutex_);
            running_ = false;
            delta = rebalanceLocked();
        }
        tellGate(gate_.load(), delta, this);
    }
}

bool SerialQueue::isIdle() {
    std::lock_guard lock(mutex_);
    return tasks_.empty() && !running_;
}

ConcurrentQueue::ConcurrentQueue(int workers) {
    for (int i = 0; i < workers; ++i)
        workers_.emplace_back([this, i] { run(i); });
}

size_t ConcurrentQueue::takingWorkers() const {
    // In shared time one runs at a time anyway; one worker keeps the order of its tasks the same
    // every run.
    return gate_.load() ? 1 : workers_.size();
}

ConcurrentQueue::~ConcurrentQueue() {
    if (gate_.load() && !WorkGate::isWorkerThread() && !isIdle()) drain();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    cv_.notify_all();
    for (auto& w : workers_)
        w.join();
}

void ConcurrentQueue::async(std::function<void()> task) {
    // Counts while a worker is free to take it; otherwise a worker that finishes takes it over
    // with its own count.
    int delta = 0;
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        delta = rebalanceLocked();
    }
    tellGate(gate_.load(), delta, this);
    cv_.notify_all();
}

bool ConcurrentQueue::isIdle() {
    std::lock_guard lock(mutex_);
    return tasks_.empty() && busy_ == 0;
}

void ConcurrentQueue::drain() {
    if (gate_.load() && !WorkGate::isWorkerThread()) {
        gate_.load()->waitOnMain([this] { return isIdle(); });
        return;
    }
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return tasks_.empty() && busy_ == 0; });
}

void ConcurrentQueue::run(int index) {
    bool marked = false;
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            cv_.wait(lock, [this, index] {
                return stopping_ || (!tasks_.empty() && size_t(index) < takingWorkers());
            });
            if (tasks_.empty() || size_t(index) >= takingWorkers()) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
            ++busy_;
        }
        if (auto* gate = gate_.load()) {
            if (!marked) WorkGate::markWorkerThread(this);
            marked = true;
            gate->enter(this);
        }
        task();
        int delta = 0;
        {
            std::lock_guard lock(mutex_);
            --busy_;
            delta = rebalanceLocked();
        }
        idle_.notify_all();
        tellGate(gate_.load(), delta, this);
    }
}

} // namespace platform
