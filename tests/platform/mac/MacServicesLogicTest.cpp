// The macOS adapters of hotkeys, key layouts and audio, run against Carbon and Core Audio in
// memory; and the checks that need no system at all (private classes, launchd's answers, tools
// with a time limit).

#include "platform/mac/MacServices.h"
#include "platform/mac/NoBundleNotifications.h"
#include "platform/mac/ObjCClasses.h"
#include "platform/mac/SparkleUpdater.h"
#include "platform/mac/SystemAnswers.h"
#include "platform/mac/ToolRunner.h"

#ifndef __APPLE__
#include "FakeCarbon.h"
#include "FakeCoreAudio.h"
#include "FakeCoreFoundation.h"
#endif

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

class FakeRuntime : public mac::ObjCRuntime {
  public:
    std::map<std::string, std::set<std::string>> classes;
    int lookups = 0;
    void* objectClass(const std::string& name) override {
        ++lookups;
        auto found = classes.find(name);
        return found == classes.end() ? nullptr : &found->second;
    }
    bool hasInstanceMethod(void* cls, const std::string& selector) override {
        return static_cast<std::set<std::string>*>(cls)->count(selector) > 0;
    }
};

} // namespace

TEST(MacObjCClasses, AMissingClassOrSelectorTurnsOnlyItsPartOffWithOneLogLine) {
    FakeRuntime runtime;
    runtime.classes["KeyboardBrightnessClient"] = {"copyKeyboardBacklightIDs",
                                                   "brightnessForKeyboard:"};
    std::vector<std::string> log;
    auto record = [&](const std::string& line) { log.push_back(line); };

    mac::CheckedClass missing(runtime, "CBBlueLightClient", "the blue-light filter", record);
    EXPECT_FALSE(missing.get());
    EXPECT_FALSE(missing.has("getStrength:"));
    EXPECT_FALSE(missing.has("setEnabled:"));
    EXPECT_EQ(runtime.lookups, 1) << "a missing class is looked for once";
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "The class CBBlueLightClient is missing; the blue-light filter is off");

    log.clear();
    mac::CheckedClass keyboard(runtime, "KeyboardBrightnessClient", "the keyboard backlight",
                               record);
    EXPECT_TRUE(keyboard.has("copyKeyboardBacklightIDs"));
    EXPECT_TRUE(keyboard.has("brightnessForKeyboard:"));
    EXPECT_FALSE(keyboard.has("setBrightness:forKeyboard:"));
    EXPECT_FALSE(keyboard.has("setBrightness:forKeyboard:"));
    ASSERT_EQ(log.size(), 1u) << "each missing selector is said once";
    EXPECT_EQ(log[0], "KeyboardBrightnessClient does not answer setBrightness:forKeyboard:; the "
                      "keyboard backlight is off");
}

TEST(MacUpdater, OnlyABundledSparkleThatCanCheckIsAnUpdater) {
    FakeRuntime runtime;
    std::vector<std::string> log;
    auto record = [&](const std::string& line) { log.push_back(line); };
    struct Made : platform::UpdaterController {
        int checks = 0;
        void checkForUpdates() override { ++checks; }
    };
    std::vector<bool> starts;
    auto make = [&](void*, bool starting) -> std::shared_ptr<platform::UpdaterController> {
        starts.push_back(starting);
        return std::make_shared<Made>();
    };

    // A bundle without the framework has no updater: the program says it does not update.
    EXPECT_EQ(mac::makeSparkleUpdater(false, runtime, record, make), nullptr);

    // The framework without its controller class, or a class that cannot check: none either.
    auto updater = mac::makeSparkleUpdater(true, runtime, record, make);
    ASSERT_NE(updater, nullptr);
    EXPECT_EQ(updater->createStandardController(true), nullptr);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0],
              "The class SPUStandardUpdaterController is missing; checking for updates is off");
    runtime.classes["SPUStandardUpdaterController"] = {
        "initWithStartingUpdater:updaterDelegate:userDriverDelegate:"};
    auto withoutCheck = mac::makeSparkleUpdater(true, runtime, record, make);
    EXPECT_EQ(withoutCheck->createStandardController(true), nullptr);
    EXPECT_TRUE(starts.empty()) << "no controller is made that could not check";

    // A whole one: made once per request, started as asked, and its check reaches it.
    runtime.classes["SPUStandardUpdaterController"].insert("checkForUpdates:");
    auto whole = mac::makeSparkleUpdater(true, runtime, record, make);
    auto controller = whole->createStandardController(true);
    ASSERT_NE(controller, nullptr);
    controller->checkForUpdates();
    EXPECT_EQ(static_cast<Made&>(*controller).checks, 1);
    EXPECT_EQ(starts, std::vector<bool>{true});
}

TEST(MacSystemAnswers, LoginItemStatesAndLaunchdReportsMeanWhatTheySay) {
    using S = platform::LoginItemStatus;
    EXPECT_EQ(mac::loginItemStatus(0), S::notRegistered);
    EXPECT_EQ(mac::loginItemStatus(1), S::enabled);
    EXPECT_EQ(mac::loginItemStatus(2), S::requiresApproval);
    EXPECT_EQ(mac::loginItemStatus(3), S::notFound);
    EXPECT_EQ(mac::loginItemStatus(7), S::notFound) << "an unknown state claims nothing";

    const std::string running = "system/com.nightlid.helper = {\n\tactive count = 1\n\tpath = "
                                "/Library/LaunchDaemons/com.nightlid.helper.plist\n\tstate = "
                                "running\n\n\tprogram = /Library/PrivilegedHelperTools/"
                                "nightlid-helper\n}\n";
    EXPECT_TRUE(mac::launchdReportsRunning(running));
    const std::string waiting = "system/com.nightlid.helper = {\n\tstate = not running\n"
                                "\tendpoints = {\n\t\tstate = running\n\t}\n}\n";
    EXPECT_FALSE(mac::launchdReportsRunning(waiting)) << "a nested section is not the daemon";
    EXPECT_FALSE(mac::launchdReportsRunning("Could not find service \"x\" in domain for system"));
    EXPECT_FALSE(mac::launchdReportsRunning(""));
}

TEST(MacCoreBrightness, BacklightIDsComeWholeOrNotAsAListAtAll) {
    const uint64_t large = 0xF000000000000001; // beyond the signed range
    const auto ids = mac::keyboardBacklightIDs(std::vector<std::optional<uint64_t>>{1, large});
    ASSERT_NE(ids.array(), nullptr);
    std::vector<uint64_t> keyboards; // as the backlight code reads them
    for (const auto& id : *ids.array())
        keyboards.push_back(uint64_t(*id.integer()));
    EXPECT_EQ(keyboards, (std::vector<uint64_t>{1, large}));

    // One item that is no number and the list is none: no keyboard is dimmed on half a list.
    const auto mixed =
        mac::keyboardBacklightIDs(std::vector<std::optional<uint64_t>>{1, std::nullopt, 3});
    EXPECT_EQ(mixed, platform::Value("not a number"));
    EXPECT_EQ(mixed.array(), nullptr);
    EXPECT_TRUE(mac::keyboardBacklightIDs(std::nullopt).isNull());
    EXPECT_EQ(mac::keyboardBacklightIDs(std::vector<std::optional<uint64_t>>{}),
              platform::Value(platform::ValueArray{}));
}

TEST(MacNotifications, OutsideABundleEveryRequestIsRefusedLaterWithItsReason) {
    std::vector<std::function<void()>> mainQueue;
    mac::NoBundleNotifications notifications(
        [&](std::function<void()> work) { mainQueue.push_back(std::move(work)); });
    std::optional<bool> granted;
    std::optional<std::optional<std::string>> added;
    notifications.requestAuthorization({true, true, false}, [&](bool g) { granted = g; });
    notifications.add({"pomodoro", "1분 남았습니다", "", true},
                      [&](std::optional<std::string> error) { added = error; });
    notifications.add({"pomodoro", "", "", false}, nullptr);
    EXPECT_FALSE(granted) << "never answered inside the call";
    EXPECT_FALSE(added);
    ASSERT_EQ(mainQueue.size(), 2u) << "a request nobody waits for posts nothing";

    for (auto& work : mainQueue)
        work();
    EXPECT_EQ(granted, false);
    ASSERT_TRUE(added && *added) << "refused, not delivered";
    EXPECT_EQ(**added, "notifications need the application bundle; this build runs outside one");
}

TEST(MacToolRunner, OutputIsReadWholeAndAToolPastItsLimitGivesNothing) {
    std::string big(200000, 'x'); // more than a pipe holds before it is read
    auto output = mac::runToolWithin(
        "/bin/sh", {"-c", "head -c 200000 /dev/zero | tr '\\0' x; echo oops >&2; exit 3"}, 10);
    ASSERT_TRUE(output);
    EXPECT_EQ(*output, big) << "its complaints are not its output; its exit code does not matter";
    EXPECT_FALSE(mac::runToolWithin("/bin/sh", {"-c", "sleep 5"}, 0.2));
    EXPECT_FALSE(mac::runToolWithin("/nonexistent/system_profiler", {"SPPowerDataType"}, 1));
    // A tool that prints without end is stopped at the output limit, not read whole.
    EXPECT_FALSE(mac::runToolWithin("/bin/sh", {"-c", "head -c 2000000 /dev/zero"}, 10));
    EXPECT_FALSE(mac::runToolWithin("/bin/sh", {"-c", "exec yes"}, 120));
}

#ifndef __APPLE__

TEST(MacHotkeys, RegistrationsPressesAndStaleReferencesNeverReachCarbonWrongly) {
    fakecarbon::reset();
    auto hotkeys = mac::makeHotkeys();
    fakecarbon::state().taken.insert({49, platform::cmdKey}); // Spotlight's
    platform::EventHotKeyRef first = 0, second = 0, refused = 99;
    EXPECT_EQ(hotkeys->registerEventHotKey(18, 6400, {0x4E4C4944, 1}, 0, first), platform::noErr);
    EXPECT_EQ(hotkeys->registerEventHotKey(19, 6400, {0x4E4C4944, 2}, 0, second), platform::noErr);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(hotkeys->registerEventHotKey(49, platform::cmdKey, {0x4E4C4944, 3}, 0, refused),
              platform::eventHotKeyExistsErr);
    EXPECT_EQ(refused, 0u);
    EXPECT_EQ(fakecarbon::state().registered, 2);

    std::vector<uint32_t> pressed;
    const uint64_t handler =
        hotkeys->installHotKeyPressedHandler([&](const platform::HotkeyPressedEvent& event) {
            platform::EventHotKeyID id;
            const auto status = event.directObject(id);
            if (status == platform::noErr) pressed.push_back(id.id);
            return status;
        });
    ASSERT_NE(handler, 0u);
    EXPECT_EQ(fakecarbon::press({0x4E4C4944, 2}), noErr);
    EXPECT_EQ(fakecarbon::press({0x4E4C4944, 1}, 4), platform::eventParameterNotFoundErr)
        << "half an identifier is none";
    EXPECT_EQ(pressed, std::vector<uint32_t>{2});

    // Unregistered once; the same or a made-up reference is refused without touching Carbon
    // (which would crash on it).
    EXPECT_EQ(hotkeys->unregisterEventHotKey(first), platform::noErr);
    EXPECT_EQ(hotkeys->unregisterEventHotKey(first), platform::eventHotKeyInvalidErr);
    EXPECT_EQ(hotkeys->unregisterEventHotKey(12345), platform::eventHotKeyInvalidErr);
    EXPECT_EQ(fakecarbon::state().registered, 1);
    hotkeys->removeEventHandler(handler);
    hotkeys->removeEventHandler(handler);
    EXPECT_EQ(fakecarbon::state().handlersInstalled, 0);
    hotkeys->installHotKeyPressedHandler([](const platform::HotkeyPressedEvent&) { return 0; });
    hotkeys.reset();
    EXPECT_EQ(fakecarbon::state().registered, 0) << "what is left goes with the service";
    EXPECT_EQ(fakecarbon::state().handlersInstalled, 0);
}

TEST(MacKeyboardLayout, LayoutBytesOutliveTheirSourceAndOnlyALayoutIsTranslated) {
    fakecarbon::reset();
    const int before = fakecf::liveObjects();
    auto layouts = mac::makeKeyboardLayout();
    // A layout's header: format 0x1002, one keyboard type, its seven offsets.
    std::vector<uint8_t> uchr(64, 0);
    uchr[0] = 0x02;
    uchr[1] = 0x10;
    uchr[8] = 1;
    fakecarbon::state().layout = uchr;
    auto data = layouts->currentASCIICapableLayoutData();
    ASSERT_TRUE(data);
    EXPECT_EQ(*data, uchr);
    EXPECT_EQ(fakecf::liveObjects(), before + 1) << "the source released, its data the system's";
    EXPECT_EQ(layouts->keyboardType(), 40u) << "the physical type, as UCKeyTranslate takes it";

    uint32_t dead = 0;
    std::u16string out;
    fakecarbon::state().reportedLength = 9; // claims more than the room
    EXPECT_EQ(layouts->keyTranslate(*data, 10, platform::kUCKeyActionDown, 0, 0, 0, dead, 4, out),
              noErr);
    EXPECT_EQ(out, u"klmn");
    for (const auto& bad : {std::vector<uint8_t>(), std::vector<uint8_t>(39, 0),
                            std::vector<uint8_t>{'N', 'L', 'K', 'L', 1, 2, 3, 4, 1, 0, 0, 0}}) {
        out.assign(1, u'x');
        EXPECT_NE(layouts->keyTranslate(bad, 10, 0, 0, 0, 0, dead, 4, out), noErr);
        EXPECT_TRUE(out.empty());
    }
    auto wrongCount = uchr;
    wrongCount[8] = 5; // five keyboard types would not fit
    EXPECT_NE(layouts->keyTranslate(wrongCount, 10, 0, 0, 0, 0, dead, 4, out), noErr);
    EXPECT_EQ(fakecarbon::state().translations, 1) << "nothing else reached UCKeyTranslate";

    fakecarbon::state().layout.reset();
    EXPECT_FALSE(layouts->currentASCIICapableLayoutData());
    fakecarbon::state().noSource = true;
    EXPECT_FALSE(layouts->currentASCIICapableLayoutData());
    fakecarbon::reset();
    EXPECT_EQ(fakecf::liveObjects(), before);
}

namespace {

using fakeaudio::Address;
constexpr UInt32 kOut = kAudioDevicePropertyScopeOutput, kGlob = kAudioObjectPropertyScopeGlobal;
const Address kVolumeMain{kAudioDevicePropertyVolumeScalar, kOut, 0};
platform::AudioObjectPropertyAddress at(UInt32 selector, UInt32 scope) {
    return {selector, scope, 0};
}

} // namespace

TEST(MacAudio, PropertiesAreSizeCheckedAndStringsReleased) {
    fakeaudio::reset();
    const int before = fakecf::liveObjects();
    auto audio = mac::makeAudio();
    fakeaudio::setUInt32s(1, {kAudioHardwarePropertyDevices, kGlob, 0}, {40, 41});
    fakeaudio::setUInt32s(1, {kAudioHardwarePropertyDefaultOutputDevice, kGlob, 0}, {41});
    fakeaudio::objects()[40].strings[{kAudioObjectPropertyName, kGlob, 0}] = "MacBook Pro 스피커";
    // A transport type of two bytes is no transport type.
    fakeaudio::objects()[40].data[{kAudioDevicePropertyTransportType, kGlob, 0}] = {1, 2};

    uint32_t size = 0;
    EXPECT_EQ(audio->getPropertyDataSize(1, at(kAudioHardwarePropertyDevices, kGlob), &size), 0);
    EXPECT_EQ(size, 8u);
    UInt32 ids[4] = {};
    size = sizeof ids;
    EXPECT_EQ(audio->getPropertyData(1, at(kAudioHardwarePropertyDevices, kGlob), &size, ids), 0);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(ids[1], 41u);
    UInt32 device = 0;
    size = 2;
    EXPECT_EQ(audio->getPropertyData(1, at(kAudioHardwarePropertyDefaultOutputDevice, kGlob), &size,
                                     &device),
              kAudioHardwareBadPropertySizeError)
        << "too little room for a device ID";
    size = sizeof device;
    EXPECT_EQ(audio->getPropertyData(1, at(kAudioHardwarePropertyDefaultOutputDevice, kGlob), &size,
                                     &device),
              0);
    EXPECT_EQ(device, 41u);
    UInt32 transport = 0;
    size = sizeof transport;
    EXPECT_EQ(
        audio->getPropertyData(40, at(kAudioDevicePropertyTransportType, kGlob), &size, &transport),
        kAudioHardwareBadPropertySizeError);
    EXPECT_EQ(size, 0u);

    std::optional<std::string> name;
    EXPECT_EQ(audio->getStringProperty(40, at(kAudioObjectPropertyName, kGlob), &name), 0);
    EXPECT_EQ(name, "MacBook Pro 스피커");
    EXPECT_NE(audio->getStringProperty(40, at(kAudioObjectPropertyManufacturer, kGlob), &name), 0);
    EXPECT_FALSE(name);
    EXPECT_EQ(fakecf::liveObjects(), before) << "every copied name released";

    int heard = 0;
    EXPECT_EQ(audio->addPropertyListener(1, at(kAudioHardwarePropertyDefaultOutputDevice, kGlob),
                                         [&] {
                                             ++heard;
                                             return platform::OSStatus(0);
                                         }),
              0);
    EXPECT_EQ(fakeaudio::fire(1, {kAudioHardwarePropertyDefaultOutputDevice, kGlob, 0}), 1);
    EXPECT_EQ(heard, 1);
}

TEST(MacAudio, VolumeIsTheVirtualMainOrTheMainControlOrTheStereoChannels) {
    fakeaudio::reset();
    auto audio = mac::makeAudio();
    const auto volume = at(kAudioDevicePropertyVolumeScalar, kOut);
    auto get = [&](AudioObjectID device) {
        float v = -1;
        uint32_t size = sizeof v;
        const auto status = audio->getPropertyData(device, volume, &size, &v);
        return status == 0 && size == sizeof v ? v : -100 - float(status != 0);
    };
    auto set = [&](AudioObjectID device, float v) {
        return audio->setPropertyData(device, volume, sizeof v, &v);
    };

    // A USB headset: Audio Toolbox's virtual main volume.
    fakeaudio::objects()[50].virtualMainVolume = true;
    fakeaudio::objects()[50].virtualVolume = 0.25f;
    EXPECT_FLOAT_EQ(get(50), 0.25f);
    EXPECT_EQ(set(50, 0.75f), 0);
    EXPECT_FLOAT_EQ(fakeaudio::objects()[50].virtualVolume, 0.75f);

    // A device with a main control.
    fakeaudio::setFloat(51, kVolumeMain, 0.4f);
    EXPECT_FLOAT_EQ(get(51), 0.4f);
    EXPECT_EQ(set(51, 0.6f), 0);
    EXPECT_FLOAT_EQ(fakeaudio::getFloat(51, kVolumeMain), 0.6f);

    // Channels only, the stereo pair named by the device: their average, and both set.
    fakeaudio::setUInt32s(52, {kAudioDevicePropertyPreferredChannelsForStereo, kOut, 0}, {3, 4});
    fakeaudio::setFloat(52, {kAudioDevicePropertyVolumeScalar, kOut, 3}, 0.2f);
    fakeaudio::setFloat(52, {kAudioDevicePropertyVolumeScalar, kOut, 4}, 0.4f);
    fakeaudio::setFloat(52, {kAudioDevicePropertyVolumeScalar, kOut, 1}, 0.9f); // not stereo
    EXPECT_FLOAT_EQ(get(52), 0.3f);
    EXPECT_EQ(set(52, 0.5f), 0);
    EXPECT_FLOAT_EQ(fakeaudio::getFloat(52, {kAudioDevicePropertyVolumeScalar, kOut, 3}), 0.5f);
    EXPECT_FLOAT_EQ(fakeaudio::getFloat(52, {kAudioDevicePropertyVolumeScalar, kOut, 4}), 0.5f);
    EXPECT_FLOAT_EQ(fakeaudio::getFloat(52, {kAudioDevicePropertyVolumeScalar, kOut, 1}), 0.9f);

    // Channels 1 and 2 when unnamed; a read-only one is left alone.
    fakeaudio::setFloat(53, {kAudioDevicePropertyVolumeScalar, kOut, 1}, 0.1f, false);
    fakeaudio::setFloat(53, {kAudioDevicePropertyVolumeScalar, kOut, 2}, 0.3f);
    EXPECT_FLOAT_EQ(get(53), 0.2f);
    EXPECT_EQ(set(53, 0.8f), 0);
    EXPECT_FLOAT_EQ(fakeaudio::getFloat(53, {kAudioDevicePropertyVolumeScalar, kOut, 1}), 0.1f);
    EXPECT_FLOAT_EQ(fakeaudio::getFloat(53, {kAudioDevicePropertyVolumeScalar, kOut, 2}), 0.8f);

    // No volume at all (a display's own speakers without controls), or a wrong size.
    fakeaudio::objects()[54];
    EXPECT_LT(get(54), -100.5f);
    EXPECT_NE(set(54, 0.5f), 0);
    float v = 0.5f;
    EXPECT_EQ(audio->setPropertyData(51, volume, 2, &v), kAudioHardwareBadPropertySizeError);
    fakeaudio::objects()[55].data[kVolumeMain] = {1, 2};
    EXPECT_LT(get(55), -100.5f) << "a two-byte volume is no volume";
}

#endif
