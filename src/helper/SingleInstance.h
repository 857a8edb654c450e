#pragma once
// One helper at a time: the first holds an exclusive lock on a file for as long as it runs, and
// the kernel lets go of it when the process ends however it ends, so a killed helper never
// blocks the next. Plain POSIX.

#include <string>

namespace helper {

class SingleInstance {
  public:
    // The lock file name in folder beneath root (folders made as needed, never through a link).
    SingleInstance(const std::string& root, const std::string& folder, const std::string& name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    bool held() const { return fd_ >= 0; }
    // Why it is not held: another helper has it (with its process ID), or the file cannot be used.
    const std::string& error() const { return error_; }

  private:
    int fd_ = -1;
    std::string error_;
};

} // namespace helper
