#include "platform/mac/PendingServices.h"

namespace mac {

namespace {

constexpr platform::OSStatus kUnimplemented = -4; // unimpErr

class PendingHotkeys : public platform::Hotkeys {
  public:
    platform::OSStatus registerEventHotKey(uint32_t, uint32_t, platform::EventHotKeyID, uint32_t,
                                           platform::EventHotKeyRef& outRef) override {
        outRef = 0;
        return kUnimplemented;
    }
    platform::OSStatus unregisterEventHotKey(platform::EventHotKeyRef) override {
        return kUnimplemented;
    }
    uint64_t installHotKeyPressedHandler(Handler) override { return 0; }
    void removeEventHandler(uint64_t) override {}
};

class PendingKeyboardLayout : public platform::KeyboardLayout {
  public:
    std::optional<std::vector<uint8_t>> currentASCIICapableLayoutData() override {
        return std::nullopt;
    }
    uint32_t keyboardLayoutType() override { return 0; }
    platform::OSStatus keyTranslate(const std::vector<uint8_t>&, uint16_t, uint16_t, uint32_t,
                                    uint32_t, uint32_t, uint32_t&, size_t,
                                    std::u16string& out) override {
        out.clear();
        return kUnimplemented;
    }
};

class PendingAudio : public platform::AudioHardware {
  public:
    platform::OSStatus getPropertyDataSize(platform::AudioObjectID,
                                           const platform::AudioObjectPropertyAddress&,
                                           uint32_t* size) override {
        if (size) *size = 0;
        return platform::kAudioHardwareUnknownPropertyError;
    }
    platform::OSStatus getPropertyData(platform::AudioObjectID,
                                       const platform::AudioObjectPropertyAddress&,
                                       uint32_t* ioSize, void*) override {
        if (ioSize) *ioSize = 0;
        return platform::kAudioHardwareUnknownPropertyError;
    }
    platform::OSStatus getStringProperty(platform::AudioObjectID,
                                         const platform::AudioObjectPropertyAddress&,
                                         std::optional<std::string>* value) override {
        if (value) value->reset();
        return platform::kAudioHardwareUnknownPropertyError;
    }
    platform::OSStatus setPropertyData(platform::AudioObjectID,
                                       const platform::AudioObjectPropertyAddress&, uint32_t,
                                       const void*) override {
        return platform::kAudioHardwareUnknownPropertyError;
    }
    platform::OSStatus addPropertyListener(platform::AudioObjectID,
                                           const platform::AudioObjectPropertyAddress&,
                                           std::function<platform::OSStatus()>) override {
        return platform::kAudioHardwareUnknownPropertyError;
    }
};

class PendingCoreBrightness : public platform::CoreBrightness {
  public:
    bool getDisplayAutoBrightnessEnabled(bool*) override { return false; }
    bool setDisplayAutoBrightnessEnabled(bool) override { return false; }
    std::unique_ptr<platform::KeyboardBrightnessClient> openKeyboardBrightnessClient() override {
        return nullptr;
    }
    std::unique_ptr<platform::BlueLightClient> createBlueLightClient() override { return nullptr; }
};

class PendingNotifications : public platform::Notifications {
  public:
    void requestAuthorization(platform::AuthorizationOptions,
                              std::function<void(bool)> completion) override {
        if (completion) completion(false);
    }
    void add(const platform::NotificationRequest&,
             std::function<void(std::optional<std::string>)> completion) override {
        if (completion) completion(std::string("notifications are not available yet"));
    }
};

class PendingLoginItems : public platform::LoginItems {
  public:
    bool hasMainAppService() const override { return false; }
    platform::LoginItemStatus mainAppStatus() const override {
        return platform::LoginItemStatus::notFound;
    }
    std::optional<std::string> registerMainApp() override {
        return std::string("launching at login is not available yet");
    }
    std::optional<std::string> unregisterMainApp() override {
        return std::string("launching at login is not available yet");
    }
};

class PendingPrivileges : public platform::Privileges {
  public:
    bool runAppleScript(const std::string&, std::string& errorDescription) override {
        errorDescription = "administrator scripts are not available yet";
        return false;
    }
    bool isLaunchDaemonRunning(const std::string&) override { return false; }
};

} // namespace

std::unique_ptr<platform::Hotkeys> makePendingHotkeys() {
    return std::make_unique<PendingHotkeys>();
}
std::unique_ptr<platform::KeyboardLayout> makePendingKeyboardLayout() {
    return std::make_unique<PendingKeyboardLayout>();
}
std::unique_ptr<platform::AudioHardware> makePendingAudio() {
    return std::make_unique<PendingAudio>();
}
std::unique_ptr<platform::CoreBrightness> makePendingCoreBrightness() {
    return std::make_unique<PendingCoreBrightness>();
}
std::unique_ptr<platform::Notifications> makePendingNotifications() {
    return std::make_unique<PendingNotifications>();
}
std::unique_ptr<platform::LoginItems> makePendingLoginItems() {
    return std::make_unique<PendingLoginItems>();
}
std::unique_ptr<platform::Privileges> makePendingPrivileges() {
    return std::make_unique<PendingPrivileges>();
}

} // namespace mac
