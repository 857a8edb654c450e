#pragma once
// A library of the system's private frameworks, opened at run time. Every symbol is checked:
// a missing library or symbol turns off what needs it, with one log line, never a crash.

#include <functional>
#include <memory>
#include <set>
#include <string>

namespace mac {

// dlopen and dlsym, so the checks can be driven without the system's libraries.
class DynamicLoader {
  public:
    virtual ~DynamicLoader() = default;
    virtual void* open(const std::string& path) = 0;
    virtual void* symbol(void* library, const std::string& name) = 0;
};
std::unique_ptr<DynamicLoader> makeSystemLoader();

class SymbolLibrary {
  public:
    using Log = std::function<void(const std::string&)>;
    // feature names what goes off without the library, for the log line.
    SymbolLibrary(DynamicLoader& loader, std::string path, std::string feature, Log log);

    // Null (and one log line per missing name) when the library or the symbol is missing.
    void* lookup(const std::string& name);
    template <class Function> Function* function(const std::string& name) {
        return reinterpret_cast<Function*>(lookup(name));
    }
    bool opened();

  private:
    DynamicLoader& loader_;
    std::string path_, feature_;
    Log log_;
    void* handle_ = nullptr;
    bool tried_ = false;
    std::set<std::string> reported_;
};

} // namespace mac
