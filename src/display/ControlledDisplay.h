#pragma once

#include "platform/Displays.h"
#include "platform/IORegistry.h"

#include <string>

using DisplayID = platform::DisplayID;

// One connected display as the registry knows it.
struct ControlledDisplay {
    DisplayID id = 0;
    std::string name;
    bool isBuiltIn = false;
    // The I2C service matched to this display; null for the built-in panel and unmatched monitors.
    platform::AVServiceRef ddcService;
};
