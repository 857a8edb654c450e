#pragma once
// The system log. Lines are printf-style; tests capture them.

#include <cstdarg>
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
    // Every line written so far, oldest first.
    std::vector<std::string> lines() const;
    bool contains(const std::string& line) const;
    void clear();

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    bool echo_ = false;
    std::function<void(const std::string&)> sink_;
};

std::string vformat(const char* fmt, va_list args);
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Writes one printf-style line to the current platform's system log.
void logf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

} // namespace platform
