#pragma once
// The program's writes into root's folders on the virtual Mac, checked against the machine's
// owners table as the Mac's kernel would check them.

#include "platform/SharedFiles.h"

namespace platform {
class SystemPaths;
}

namespace sim {

class SimSharedFiles : public platform::SharedFiles {
  public:
    explicit SimSharedFiles(const platform::SystemPaths& paths) : paths_(paths) {}
    bool write(const std::string& systemPath, const std::string& text, std::string& error) override;

  private:
    const platform::SystemPaths& paths_;
};

} // namespace sim
