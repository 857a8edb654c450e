#include "platform/mac/ToolRunner.h"

#include "platform/BoundedTool.h"

namespace mac {

std::optional<std::string>
runToolWithin(const std::string& path, const std::vector<std::string>& arguments, double seconds) {
    return platform::runBoundedTool(path, arguments, seconds, kMaxToolOutput).output;
}

} // namespace mac
