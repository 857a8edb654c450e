#pragma once
// The program's platform on the Mac it runs on: every service, owned here for the run.

#include "platform/Platform.h"

#include <memory>

namespace mac {

class MacBackend {
  public:
    // echoLog: the log's lines go to standard error too.
    explicit MacBackend(bool echoLog);
    ~MacBackend();
    MacBackend(const MacBackend&) = delete;
    MacBackend& operator=(const MacBackend&) = delete;

    platform::Platform& platform();

  private:
    struct Services;
    std::unique_ptr<Services> services_;
};

} // namespace mac
