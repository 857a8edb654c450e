// The Objective-C runtime's lookups behind ObjCRuntime.

#include "platform/mac/ObjCBridge.h"
#include "platform/mac/ObjCClasses.h"

#include <objc/runtime.h>

namespace mac {

namespace {

class SystemRuntime : public ObjCRuntime {
  public:
    void* objectClass(const std::string& name) override {
        Class found = objc_getClass(name.c_str());
        // Only a class that makes instances: a root class of another kind would not answer init.
        if (!found || !class_getClassMethod(found, sel_registerName("alloc"))) return nullptr;
        return (__bridge void*)found;
    }
    bool hasInstanceMethod(void* cls, const std::string& selector) override {
        return class_getInstanceMethod((__bridge Class)cls, sel_registerName(selector.c_str()));
    }
};

} // namespace

std::unique_ptr<ObjCRuntime> makeObjCRuntime() {
    return std::make_unique<SystemRuntime>();
}

} // namespace mac
