#include "app/BlackoutController.h"
#include "blackout/RecoveryJournal.h"
#include "platform/CoreBrightness.h"
#include "platform/Platform.h"

namespace {
constexpr const char* kCopyIDs = "copyKeyboardBacklightIDs";
constexpr const char* kBrightnessFor = "brightnessForKeyboard:";
constexpr const char* kSetBrightness = "setBrightness:forKeyboard:";
} // namespace

void BlackoutController::turnOffKeyboardBacklight() {
    auto* core = platform::current().coreBrightness;
    if (!core) return;
    auto client = core->openKeyboardBrightnessClient();
    if (!client || !client->hasMethod(kCopyIDs) || !client->hasMethod(kBrightnessFor) ||
        !client->hasMethod(kSetBrightness))
        return;
    auto ids = client->copyKeyboardBacklightIDs();
    const auto* list = ids.array();
    if (!list) return;
    std::vector<uint64_t> keyboards;
    for (const auto& v : *list) {
        // IDs are 64-bit: going through a double would round the large ones.
        auto n = v.integer();
        if (!n) return; // not an array of integers
        keyboards.push_back(uint64_t(*n));
    }
    std::map<uint64_t, float> levels;
    for (auto id : keyboards)
        levels[id] = client->brightnessForKeyboard(id);
    if (recoveryJournal) recoveryJournal->recordKeyboards(levels);
    for (auto id : keyboards) {
        // Already off for another feature: its level from before stays the one to come back to.
        savedKeyboardBrightnesses.try_emplace(id, levels[id]);
        client->setBrightness(0.0f, id);
    }
}

void BlackoutController::restoreKeyboardBacklight() {
    if (savedKeyboardBrightnesses.empty()) return;
    auto* core = platform::current().coreBrightness;
    if (!core) return;
    auto client = core->openKeyboardBrightnessClient();
    if (!client || !client->hasMethod(kSetBrightness)) return; // keep the levels for next time
    for (const auto& [id, level] : savedKeyboardBrightnesses)
        client->setBrightness(level, id);
    savedKeyboardBrightnesses.clear();
    if (recoveryJournal) recoveryJournal->clearKeyboards();
}
