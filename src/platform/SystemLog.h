#pragma once
// The system log. Lines are printf-style; tests capture them.

#include <cstdarg>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

class SystemLog {
  public:
    void write(const std::string& line);
    void setEcho(bool toStderr) { echo_ = toStderr; }
    // Where the operating system keeps its log (a Mac's unified log), given every line.
    void setSink(std::function<void(const std::string&)> sink) { sink_ = std::move(sink); }
    // The lines kept (the most recent ones, up to the limit), oldest first.
    std::vector<std::string> lines() const;
    // How many lines were ever written, and those kept of the ones written after the first count
    // (with how many were written by then, for the next call).
    uint64_t written() const;
    std::vector<std::string> linesAfter(uint64_t count, uint64_t* writtenNow = nullptr) const;
    // The most lines kept: each new line then pushes out the oldest, so a long run stays the same
    // size.
    void setLimit(size_t lines);
    bool contains(const std::string& line) const;
    void clear();

  private:
    mutable std::mutex mutex_;
    std::deque<std::string> lines_;
    size_t limit_ = 20000;
    uint64_t written_ = 0;
    bool echo_ = false;
    std::function<void(const std::string&)> sink_;
};

std::string vformat(const char* fmt, va_list args);
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Writes one printf-style line to the current platform's system log.
void logf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

} // namespace platform
