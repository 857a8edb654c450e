#include "backend/ProgramBackend.h"

#include "backend/scripting/ScriptDriver.h"
#include "backend/scripting/VirtualMacProgram.h"
#ifdef NIGHTLID_MAC_BACKEND
#include "app/ApplicationSession.h"
#include "platform/mac/MacBackend.h"
#endif

namespace backend {

bool hasRealBackend() {
#ifdef NIGHTLID_MAC_BACKEND
    return true;
#else
    return false;
#endif
}

std::string scriptHelp() {
    return scripting::ScriptDriver::helpText();
}

int runProgram(QApplication& app, const LaunchOptions& options) {
#ifdef NIGHTLID_MAC_BACKEND
    if (!options.needsVirtualMac()) {
        mac::MacBackend services(options.echoLog);
        return runApplication(app, services.platform());
    }
#endif
    return sim::runOnVirtualMac(app, options);
}

} // namespace backend
