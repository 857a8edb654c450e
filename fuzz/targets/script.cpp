// A script file (--script FILE): every line's tokenising and the validation of its command's
// arguments, run by the real driver on the default virtual Mac. Lines that only
// take time, end the program or write files where the script says are left out.

#include "backend/scripting/ScriptDriver.h"
#include "backend/scripting/Session.h"

#include <QApplication>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

namespace {

bool leftOut(const std::string& line) {
    static const char* const slow[] = {
        "advance",          "drag", "crash", "quit", "screenshot", "screenshot-control-window",
        "screenshot-window"};
    const auto start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos) return false;
    const std::string word = line.substr(start, line.find_first_of(" \t\r", start) - start);
    for (const char* s : slow)
        if (word == s) return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication* app = new QApplication(*argc, *argv);
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return -1;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::string kept;
    for (std::string line; std::getline(in, line);)
        if (!leftOut(line)) kept += line + "\n";
    // A fresh machine and profile for every input, as every run of the program has.
    scripting::Session session(sim::VirtualMac::defaultDescription(), {});
    session.launch();
    std::ostringstream out, err;
    scripting::ScriptDriver script(session, out, err);
    script.setVariable("OUT", "/tmp");
    (void)script.runText(kept, "fuzz.nls");
    return 0;
}
