#pragma once
// Services the macOS backend does not reach yet (hotkeys, key layouts, audio, CoreBrightness,
// notifications, login items, administrator scripts). Each answers as a Mac without that
// feature would: an error status, no client, nothing found; nothing is faked.

#include "platform/AudioHardware.h"
#include "platform/CoreBrightness.h"
#include "platform/Hotkeys.h"
#include "platform/KeyboardLayout.h"
#include "platform/LoginItems.h"
#include "platform/Notifications.h"
#include "platform/PowerSources.h"

#include <memory>

namespace mac {

std::unique_ptr<platform::Hotkeys> makePendingHotkeys();
std::unique_ptr<platform::KeyboardLayout> makePendingKeyboardLayout();
std::unique_ptr<platform::AudioHardware> makePendingAudio();
std::unique_ptr<platform::CoreBrightness> makePendingCoreBrightness();
std::unique_ptr<platform::Notifications> makePendingNotifications();
std::unique_ptr<platform::LoginItems> makePendingLoginItems();
std::unique_ptr<platform::Privileges> makePendingPrivileges();

} // namespace mac
