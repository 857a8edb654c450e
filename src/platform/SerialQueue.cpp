#include "platform/SerialQueue.h"

#include <future>

namespace platform {

SerialQueue::SerialQueue(std::string label)
    : label_(std::move(label)), worker_([this] { run(); }) {}

SerialQueue::~SerialQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    cv_.notify_all();
    worker_.join();
}

void SerialQueue::async(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    cv_.notify_one();
}

void SerialQueue::sync(const std::function<void()>& task) {
    if (isCurrent()) { // a nested sync would deadlock; run it in place
        task();
        return;
    }
    std::promise<void> done;
    async([&] {
        task();
        done.set_value();
    });
    done.get_future().wait();
}

void SerialQueue::drain() {
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
    std::lock_guard lock(mutex_);
    suspended_ = true;
}

void SerialQueue::resume() {
    {
        std::lock_guard lock(mutex_);
        suspended_ = false;
    }
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
    return true;
}

size_t SerialQueue::pendingCount() {
    std::lock_guard lock(mutex_);
    return tasks_.size();
}

void SerialQueue::run() {
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
        task();
        std::lock_guard lock(mutex_);
        running_ = false;
    }
}

bool SerialQueue::isIdle() {
    std::lock_guard lock(mutex_);
    return tasks_.empty() && !running_;
}

ConcurrentQueue::ConcurrentQueue(int workers) {
    for (int i = 0; i < workers; ++i)
        workers_.emplace_back([this] { run(); });
}

ConcurrentQueue::~ConcurrentQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    cv_.notify_all();
    for (auto& w : workers_)
        w.join();
}

void ConcurrentQueue::async(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    cv_.notify_one();
}

bool ConcurrentQueue::isIdle() {
    std::lock_guard lock(mutex_);
    return tasks_.empty() && busy_ == 0;
}

void ConcurrentQueue::drain() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return tasks_.empty() && busy_ == 0; });
}

void ConcurrentQueue::run() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            cv_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
            if (tasks_.empty()) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
            ++busy_;
        }
        task();
        {
            std::lock_guard lock(mutex_);
            --busy_;
        }
        idle_.notify_all();
    }
}

} // namespace platform
