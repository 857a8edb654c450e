// A script file (--script FILE): every line's tokenising and the validation of its command's
// arguments, run by the real driver on the default virtual Mac. Lines that only
// take time, end the program or write files where the script says are left out.

#include "backend/scripting/ScriptDriver.h"
#include "backend/scripting/Session.h"

#include <QApplication>

#include <cstdio>
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

#if defined(__SANITIZE_ADDRESS__)
#define NIGHTLID_HEAP_COUNTED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NIGHTLID_HEAP_COUNTED 1
#endif
#endif

#ifdef NIGHTLID_HEAP_COUNTED
// Both compilers' runtimes have it; only clang ships a header declaring it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();

// Each input is a whole session, torn down before the next: what stays allocated afterwards
// must not grow with the number of inputs. Qt's own caches (fonts, glyphs, styles) fill during
// the first inputs and are bounded, hence the warm-up and the slack.
constexpr size_t kWarmUpInputs = 100;
constexpr size_t kSlackBytes = size_t(48) << 20;

void checkNothingLeftBehind() {
    static size_t inputs = 0;
    static size_t baseline = 0;
    const size_t live = __sanitizer_get_current_allocated_bytes();
    if (++inputs == kWarmUpInputs) baseline = live;
    if (inputs <= kWarmUpInputs || live <= baseline + kSlackBytes) return;
    std::fprintf(stderr,
                 "torn-down sessions left memory behind: %zu bytes still allocated after %zu "
                 "inputs, %zu after %zu\n",
                 live, inputs, baseline, kWarmUpInputs);
    std::abort();
}
#else
void checkNothingLeftBehind() {}
#endif

} // namespace

#ifdef NIGHTLID_HEAP_COUNTED
// A whole session frees megabytes; the default quarantine of 256 MiB would make the process's size
// grow for hundreds of inputs and hide what the program itself holds. 16 MiB still catches a use
// shortly after a free.
// Allocation stacks are kept two frames deep: Qt and the C++ library are built without frame
// pointers, so the fast unwinder's deeper frames are whatever the stack holds, every session
// stores thousands of "new" stacks, and the sanitizer's stack store grew ~300 KB an input for
// good. To read a finding's whole allocation stack, replay it with
// ASAN_OPTIONS=malloc_context_size=30:fast_unwind_on_malloc=0.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16:allocator_release_to_os_interval_ms=1000:malloc_context_size=2";
}
#endif

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
    {
        scripting::Session session(sim::VirtualMac::defaultDescription(), {});
        session.launch();
        std::ostringstream out, err;
        scripting::ScriptDriver script(session, out, err);
        script.setVariable("OUT", "/tmp");
        (void)script.runText(kept, "fuzz.nls");
    }
    checkNothingLeftBehind();
    return 0;
}
