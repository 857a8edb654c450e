#pragma once
// Private Objective-C classes, looked up by name at run time. Every class and selector is checked
// before use: a missing class turns off what needs it, a missing selector only its own call, and
// each is said once in the log, never a crash.

#include <functional>
#include <memory>
#include <set>
#include <string>

namespace mac {

// The runtime's class and method lookups, so the checks can be driven without the system.
class ObjCRuntime {
  public:
    virtual ~ObjCRuntime() = default;
    // A class of that name that makes instances (it answers alloc), or null.
    virtual void* objectClass(const std::string& name) = 0;
    virtual bool hasInstanceMethod(void* cls, const std::string& selector) = 0;
};

std::unique_ptr<ObjCRuntime> makeObjCRuntime();

class CheckedClass {
  public:
    using Log = std::function<void(const std::string&)>;
    // feature names what goes off without the class, for the log line.
    CheckedClass(ObjCRuntime& runtime, std::string name, std::string feature, Log log);

    // Null (said once) when the class is missing; looked up on first use, after the framework
    // that brings it has been loaded.
    void* get();
    // Whether the class answers the selector; a missing one is said once.
    bool has(const std::string& selector);

  private:
    ObjCRuntime& runtime_;
    std::string name_, feature_;
    Log log_;
    void* class_ = nullptr;
    bool looked_ = false;
    std::set<std::string> reported_;
};

} // namespace mac
