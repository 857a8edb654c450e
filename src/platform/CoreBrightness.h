#pragma once
// CoreBrightness: automatic brightness and the keyboard backlight client.

#include "platform/Value.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// One instance of the private KeyboardBrightnessClient class, made with the plain initialiser.
class KeyboardBrightnessClient {
  public:
    virtual ~KeyboardBrightnessClient() = default;
    // Whether the class implements the instance method of that selector name.
    virtual bool hasMethod(const std::string& selector) const = 0;
    // "copyKeyboardBacklightIDs": meant to be an array of numbers.
    virtual Value copyKeyboardBacklightIDs() = 0;
    virtual float brightnessForKeyboard(uint64_t keyboardID) = 0;
    virtual void setBrightness(float level, uint64_t keyboardID) = 0;
};

// The status record getBlueLightStatus: fills: two one-byte flags (the second is on/off), two
// bytes of padding, five 32-bit integers and one 64-bit integer.
struct BlueLightStatus {
    uint8_t active = 0;
    uint8_t enabled = 0;
    uint8_t padding[2] = {0, 0};
    int32_t fields[5] = {0, 0, 0, 0, 0};
    int64_t schedule = 0;
};
static_assert(sizeof(BlueLightStatus) == 32);

// One instance of the private CBBlueLightClient class, made with the plain initialiser.
class BlueLightClient {
  public:
    virtual ~BlueLightClient() = default;
    // Called whenever the filter's status changes, on any thread.
    virtual void setStatusNotificationBlock(std::function<void()> block) = 0;
    virtual bool getBlueLightStatus(BlueLightStatus* status) = 0;
    virtual bool getStrength(float* strength) = 0;
    virtual bool setEnabled(bool enabled) = 0;
    virtual bool setStrength(float strength, bool commit) = 0;
};

class CoreBrightness {
  public:
    virtual ~CoreBrightness() = default;
    // CBALCGetDisplayAutoBrightnessEnabled / CBALCSetDisplayAutoBrightnessEnabled; false when
    // the call failed (or is missing).
    virtual bool getDisplayAutoBrightnessEnabled(bool* enabled) = 0;
    virtual bool setDisplayAutoBrightnessEnabled(bool enabled) = 0;
    // Opens the framework (closed again when the client is dropped) and makes a client;
    // null when the framework or the class is missing.
    virtual std::unique_ptr<KeyboardBrightnessClient> openKeyboardBrightnessClient() = 0;
    // A blue-light client; null when the class is missing.
    virtual std::unique_ptr<BlueLightClient> createBlueLightClient() = 0;
};

} // namespace platform
