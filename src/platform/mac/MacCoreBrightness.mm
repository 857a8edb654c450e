// CoreBrightness, private: automatic brightness (two C functions), the keyboard backlight client
// and the blue-light client (classes reached through the Objective-C runtime). The framework
// stays loaded: the runtime never unloads a library that brought classes.

#include "platform/mac/MacServices.h"
#include "platform/mac/ObjCBridge.h"
#include "platform/mac/ObjCClasses.h"
#include "platform/mac/SymbolLibrary.h"
#include "platform/mac/SystemAnswers.h"

#include <cstring>

// The private classes' methods the program calls, declared for the compiler only: each is
// checked on the class before it is sent.
@protocol NLKeyboardBrightnessClient
- (NSArray*)copyKeyboardBacklightIDs;
- (float)brightnessForKeyboard:(unsigned long long)keyboardID;
- (void)setBrightness:(float)level forKeyboard:(unsigned long long)keyboardID;
@end

@protocol NLBlueLightClient
- (void)setStatusNotificationBlock:(void (^)(void))block;
- (BOOL)getBlueLightStatus:(void*)status;
- (BOOL)getStrength:(float*)strength;
- (BOOL)setEnabled:(BOOL)enabled;
- (BOOL)setStrength:(float)strength commit:(BOOL)commit;
@end

namespace mac {

namespace {

id newInstance(void* cls) {
    return [[(__bridge Class)cls alloc] init];
}

class MacKeyboardClient : public platform::KeyboardBrightnessClient {
  public:
    MacKeyboardClient(CheckedClass& type, id<NLKeyboardBrightnessClient> client)
        : type_(type), client_(client) {}
    bool hasMethod(const std::string& selector) const override { return type_.has(selector); }
    platform::Value copyKeyboardBacklightIDs() override {
        if (!type_.has("copyKeyboardBacklightIDs")) return {};
        NSArray* ids = [client_ copyKeyboardBacklightIDs];
        if (!ids || ![ids isKindOfClass:[NSArray class]]) return keyboardBacklightIDs(std::nullopt);
        std::vector<std::optional<uint64_t>> items;
        for (NSUInteger i = 0; i < ids.count; ++i) {
            id item = [ids objectAtIndex:i];
            if ([item isKindOfClass:[NSNumber class]])
                items.push_back([(NSNumber*)item unsignedLongLongValue]);
            else
                items.push_back(std::nullopt);
        }
        return keyboardBacklightIDs(items);
    }
    float brightnessForKeyboard(uint64_t keyboardID) override {
        if (!type_.has("brightnessForKeyboard:")) return 0;
        return [client_ brightnessForKeyboard:keyboardID];
    }
    void setBrightness(float level, uint64_t keyboardID) override {
        if (type_.has("setBrightness:forKeyboard:"))
            [client_ setBrightness:level forKeyboard:keyboardID];
    }

  private:
    CheckedClass& type_;
    id<NLKeyboardBrightnessClient> client_;
};

class MacBlueLightClient : public platform::BlueLightClient {
  public:
    MacBlueLightClient(CheckedClass& type, id<NLBlueLightClient> client)
        : type_(type), client_(client) {}
    void setStatusNotificationBlock(std::function<void()> block) override {
        if (!type_.has("setStatusNotificationBlock:")) return;
        // Called on any thread; the program's block only queues work for the main one.
        [client_ setStatusNotificationBlock:^{
          if (block) block();
        }];
    }
    bool getBlueLightStatus(platform::BlueLightStatus* status) override {
        if (!status || !type_.has("getBlueLightStatus:")) return false;
        // The record's size is undocumented and described differently by different releases:
        // the system writes into ample zeroed room, and only our 32 bytes are taken from it.
        alignas(8) unsigned char room[128] = {};
        if (![client_ getBlueLightStatus:room]) return false;
        std::memcpy(status, room, sizeof *status);
        return true;
    }
    bool getStrength(float* strength) override {
        return strength && type_.has("getStrength:") && [client_ getStrength:strength];
    }
    bool setEnabled(bool enabled) override {
        return type_.has("setEnabled:") && [client_ setEnabled:enabled ? YES : NO];
    }
    bool setStrength(float strength, bool commit) override {
        return type_.has("setStrength:commit:") && [client_ setStrength:strength
                                                                 commit:commit ? YES : NO];
    }

  private:
    CheckedClass& type_;
    id<NLBlueLightClient> client_;
};

using GetAutoBrightness = bool(bool*);
using SetAutoBrightness = bool(bool);

class MacCoreBrightness : public platform::CoreBrightness {
  public:
    MacCoreBrightness(SymbolLibrary& library, ObjCRuntime& runtime, CheckedClass::Log log)
        : library_(library),
          keyboard_(runtime, "KeyboardBrightnessClient", "the keyboard backlight", log),
          blueLight_(runtime, "CBBlueLightClient", "the blue-light filter", log) {}

    bool getDisplayAutoBrightnessEnabled(bool* enabled) override {
        auto* get = library_.function<GetAutoBrightness>("CBALCGetDisplayAutoBrightnessEnabled");
        return get && enabled && get(enabled);
    }
    bool setDisplayAutoBrightnessEnabled(bool enabled) override {
        auto* set = library_.function<SetAutoBrightness>("CBALCSetDisplayAutoBrightnessEnabled");
        return set && set(enabled);
    }
    std::unique_ptr<platform::KeyboardBrightnessClient> openKeyboardBrightnessClient() override {
        if (!library_.opened() || !keyboard_.get()) return nullptr;
        id client = newInstance(keyboard_.get());
        if (!client) return nullptr;
        return std::make_unique<MacKeyboardClient>(keyboard_, client);
    }
    std::unique_ptr<platform::BlueLightClient> createBlueLightClient() override {
        if (!library_.opened() || !blueLight_.get()) return nullptr;
        id client = newInstance(blueLight_.get());
        if (!client) return nullptr;
        return std::make_unique<MacBlueLightClient>(blueLight_, client);
    }

  private:
    SymbolLibrary& library_;
    CheckedClass keyboard_, blueLight_;
};

} // namespace

std::unique_ptr<platform::CoreBrightness> makeCoreBrightness(SymbolLibrary& coreBrightness,
                                                             ObjCRuntime& runtime, LogLine log) {
    return std::make_unique<MacCoreBrightness>(coreBrightness, runtime, std::move(log));
}

} // namespace mac
