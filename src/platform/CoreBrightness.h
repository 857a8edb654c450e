#pragma once
// CoreBrightness: automatic brightness and the keyboard backlight client.

#include "platform/Value.h"

#include <cstdint>
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
};

} // namespace platform
