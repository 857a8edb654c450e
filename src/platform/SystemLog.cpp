#include "platform/SystemLog.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cstdio>

namespace platform {

void SystemLog::write(const std::string& line) {
    std::lock_guard lock(mutex_);
    while (!lines_.empty() && lines_.size() >= limit_)
        lines_.pop_front();
    if (limit_ > 0) lines_.push_back(line);
    ++written_;
    if (echo_) std::fprintf(stderr, "%s\n", line.c_str());
    if (sink_) sink_(line);
}

std::vector<std::string> SystemLog::lines() const {
    std::lock_guard lock(mutex_);
    return {lines_.begin(), lines_.end()};
}

uint64_t SystemLog::written() const {
    std::lock_guard lock(mutex_);
    return written_;
}

std::vector<std::string> SystemLog::linesAfter(uint64_t count, uint64_t* writtenNow) const {
    std::lock_guard lock(mutex_);
    if (writtenNow) *writtenNow = written_;
    const uint64_t firstKept = written_ - lines_.size();
    const size_t skip =
        count > firstKept ? size_t(std::min<uint64_t>(count - firstKept, lines_.size())) : 0;
    return {lines_.begin() + std::ptrdiff_t(skip), lines_.end()};
}

void SystemLog::setLimit(size_t lines) {
    std::lock_guard lock(mutex_);
    limit_ = lines;
    while (lines_.size() > limit_)
        lines_.pop_front();
}

bool SystemLog::contains(const std::string& line) const {
    std::lock_guard lock(mutex_);
    return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
}

void SystemLog::clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

std::string vformat(const char* fmt, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (n <= 0) return {};
    std::string out(size_t(n) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), fmt, args);
    out.resize(size_t(n));
    return out;
}

std::string format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    auto s = vformat(fmt, args);
    va_end(args);
    return s;
}

void logf(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    auto s = vformat(fmt, args);
    va_end(args);
    current().log->write(s);
}

} // namespace platform
