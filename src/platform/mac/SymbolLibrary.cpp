#include "platform/mac/SymbolLibrary.h"

#include <dlfcn.h>

namespace mac {

namespace {

class SystemLoader : public DynamicLoader {
  public:
    void* open(const std::string& path) override { return ::dlopen(path.c_str(), RTLD_LAZY); }
    void* symbol(void* library, const std::string& name) override {
        return ::dlsym(library, name.c_str());
    }
};

} // namespace

std::unique_ptr<DynamicLoader> makeSystemLoader() {
    return std::make_unique<SystemLoader>();
}

SymbolLibrary::SymbolLibrary(DynamicLoader& loader, std::string path, std::string feature, Log log)
    : loader_(loader), path_(std::move(path)), feature_(std::move(feature)), log_(std::move(log)) {}

bool SymbolLibrary::opened() {
    if (!tried_) {
        tried_ = true;
        handle_ = loader_.open(path_);
        if (!handle_ && log_) log_(path_ + " cannot be opened; " + feature_ + " is off");
    }
    return handle_ != nullptr;
}

void* SymbolLibrary::lookup(const std::string& name) {
    if (!opened()) return nullptr;
    void* found = loader_.symbol(handle_, name);
    // Asked again on every refresh: said once.
    if (!found && reported_.insert(name).second && log_)
        log_(name + " is missing from " + path_ + "; " + feature_ + " is off");
    return found;
}

} // namespace mac
