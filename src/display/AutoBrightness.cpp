#include "display/AutoBrightness.h"

#include "platform/CoreBrightness.h"
#include "platform/Platform.h"

bool CBALCGetDisplayAutoBrightnessEnabled(bool* enabled) {
    auto* core = platform::current().coreBrightness;
    return core && core->getDisplayAutoBrightnessEnabled(enabled);
}

bool CBALCSetDisplayAutoBrightnessEnabled(bool enabled) {
    auto* core = platform::current().coreBrightness;
    return core && core->setDisplayAutoBrightnessEnabled(enabled);
}
