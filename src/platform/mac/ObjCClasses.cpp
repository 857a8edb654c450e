#include "platform/mac/ObjCClasses.h"

namespace mac {

CheckedClass::CheckedClass(ObjCRuntime& runtime, std::string name, std::string feature, Log log)
    : runtime_(runtime), name_(std::move(name)), feature_(std::move(feature)),
      log_(std::move(log)) {}

void* CheckedClass::get() {
    if (!looked_) {
        looked_ = true;
        class_ = runtime_.objectClass(name_);
        if (!class_ && log_) log_("The class " + name_ + " is missing; " + feature_ + " is off");
    }
    return class_;
}

bool CheckedClass::has(const std::string& selector) {
    if (!get()) return false;
    if (runtime_.hasInstanceMethod(class_, selector)) return true;
    // Asked on every use: said once.
    if (reported_.insert(selector).second && log_)
        log_(name_ + " does not answer " + selector + "; " + feature_ + " is off");
    return false;
}

} // namespace mac
