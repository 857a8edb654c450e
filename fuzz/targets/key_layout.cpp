// Keyboard layout data as key naming reads it: the layout the system hands out, translated by
// the virtual Mac's key translation, and the typed text turned into a key's name.

#include "FuzzSupport.h"
#include "app/BlackoutController.h"
#include "hotkeys/KeyNames.h"
#include "platform/KeyboardLayout.h"
#include "platform/ManualRunLoop.h"
#include "platform/Platform.h"
#include "platform/sim/SimHotkeys.h"

namespace {

// The system's layout data is the fuzzer's; translation is the virtual Mac's.
class Layouts : public platform::KeyboardLayout {
  public:
    std::optional<std::vector<uint8_t>> layout;
    sim::SimHotkeys* translator = nullptr;
    std::optional<std::vector<uint8_t>> currentASCIICapableLayoutData() override { return layout; }
    uint32_t keyboardType() override { return 0; }
    platform::OSStatus keyTranslate(const std::vector<uint8_t>& data, uint16_t keyCode,
                                    uint16_t keyAction, uint32_t modifiers, uint32_t type,
                                    uint32_t options, uint32_t& deadKeyState, size_t maxLength,
                                    std::u16string& out) override {
        return translator->keyTranslate(data, keyCode, keyAction, modifiers, type, options,
                                        deadKeyState, maxLength, out);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const uint16_t keyCode = in.ConsumeIntegral<uint16_t>();
    const uint32_t modifiers = in.ConsumeIntegral<uint32_t>();
    const std::string typed = in.ConsumeRandomLengthString(16);
    const bool noLayout = in.ConsumeBool();
    Layouts layouts;
    // Most inputs start as the system's data does, so the fuzzer reaches the table.
    std::vector<uint8_t> bytes;
    if (in.ConsumeBool()) bytes = {'N', 'L', 'K', 'L'};
    const auto rest = in.ConsumeRemainingBytes<uint8_t>();
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    if (!noLayout) layouts.layout = std::move(bytes);
    platform::Platform platform;
    platform.keyboardLayout = &layouts;
    platform::setCurrent(&platform);
    static platform::ManualRunLoop loop;
    static sim::SimHotkeys translator(loop, {}, "US", sim::SimHotkeys::kAnsiKeyboard, [] {});
    layouts.translator = &translator;

    const std::string name = BlackoutController::hotkeyString(keyCode, modifiers);
    if (name.empty()) __builtin_trap();
    std::u16string units;
    for (size_t i = 0; i + 1 < typed.size(); i += 2)
        units.push_back(char16_t(uint8_t(typed[i]) | uint8_t(typed[i + 1]) << 8));
    (void)hotkeys::typedKeyName(units);
    platform::setCurrent(nullptr);
    return 0;
}
