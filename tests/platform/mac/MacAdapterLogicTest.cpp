// What the macOS backend's adapters do beyond one call, run here against fakes of the few
// system functions they use.

#include "platform/PropertyList.h"
#include "platform/mac/CFValues.h"
#include "platform/mac/ScreenCoordinates.h"
#include "platform/mac/SymbolLibrary.h"

#ifndef __APPLE__
#include "FakeCoreFoundation.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>

namespace {

// Core Foundation's dictionaries keep no order; the portable reader keeps the file's.
platform::Value byKey(const platform::Value& value) {
    if (const auto* dict = value.dict()) {
        platform::ValueDict out;
        for (const auto& [key, item] : *dict)
            out.emplace_back(key, byKey(item));
        std::sort(out.begin(), out.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        return platform::Value(std::move(out));
    }
    if (const auto* array = value.array()) {
        platform::ValueArray out;
        for (const auto& item : *array)
            out.push_back(byKey(item));
        return platform::Value(std::move(out));
    }
    return value;
}

std::string plistFile(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body +
           "\n</plist>\n";
}

int answer() {
    return 42;
}

class FakeLoader : public mac::DynamicLoader {
  public:
    std::map<std::string, std::map<std::string, void*>> libraries;
    int opens = 0;
    void* open(const std::string& path) override {
        ++opens;
        auto found = libraries.find(path);
        return found == libraries.end() ? nullptr : &found->second;
    }
    void* symbol(void* library, const std::string& name) override {
        auto& symbols = *static_cast<std::map<std::string, void*>*>(library);
        auto found = symbols.find(name);
        return found == symbols.end() ? nullptr : found->second;
    }
};

} // namespace

TEST(MacSymbolLibrary, AMissingLibraryOrSymbolTurnsItsFeatureOffWithOneLogLine) {
    FakeLoader loader;
    loader.libraries["/Display.framework/Display"]["GetLevel"] = reinterpret_cast<void*>(&answer);
    std::vector<std::string> log;
    auto record = [&](const std::string& line) { log.push_back(line); };

    mac::SymbolLibrary missing(loader, "/Gone.framework/Gone", "DDC/CI", record);
    EXPECT_EQ(missing.lookup("IOAVServiceReadI2C"), nullptr);
    EXPECT_EQ(missing.lookup("IOAVServiceWriteI2C"), nullptr);
    EXPECT_EQ(loader.opens, 1) << "a missing library is looked for once";
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "/Gone.framework/Gone cannot be opened; DDC/CI is off");

    log.clear();
    mac::SymbolLibrary present(loader, "/Display.framework/Display", "brightness", record);
    using Level = int();
    auto* level = present.function<Level>("GetLevel");
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level(), 42);
    EXPECT_EQ(present.function<Level>("SetLevel"), nullptr);
    EXPECT_EQ(present.function<Level>("SetLevel"), nullptr);
    ASSERT_EQ(log.size(), 1u) << "each missing name is said once";
    EXPECT_EQ(log[0], "SetLevel is missing from /Display.framework/Display; brightness is off");
}

TEST(MacCFValues, PropertiesKeepTheirKindsAndEveryReferenceIsReleased) {
    platform::ValueDict info{{"DisplayProductName", platform::Value("LG HDR 4K")},
                             {"DisplayVendorID", platform::Value(int64_t(7789))},
                             {"Gamma", platform::Value(2.2)},
                             {"IsBuiltin", platform::Value(false)},
                             {"EDID", platform::Value(platform::Bytes{0x00, 0xFF, 0x10})},
                             {"Modes", platform::Value(platform::ValueArray{
                                           platform::Value(int64_t(1)), platform::Value("two")})}};
    {
        auto object = mac::fromValue(platform::Value(info));
        ASSERT_TRUE(object);
        const platform::Value back = mac::toValue(object.get());
        EXPECT_EQ(back, platform::Value(info));
        EXPECT_TRUE(back.find("DisplayVendorID")->isInteger()) << "an integer stays an integer";
        EXPECT_TRUE(back.find("Gamma")->isDouble());
        EXPECT_EQ(*mac::toString(mac::makeString("디스플레이").get()), "디스플레이");
    }
#ifndef __APPLE__
    EXPECT_EQ(fakecf::liveObjects(), 0) << "every created object released";

    // Keys that are no strings say nothing about a display and are left out.
    mac::CFRef<CFTypeRef> mixed(fakecf::makeNumberKeyDictionary());
    EXPECT_EQ(mac::toValue(mixed.get()),
              platform::Value(platform::ValueDict{{"kept", platform::Value(false)}}));
    mixed.reset();
    EXPECT_EQ(fakecf::liveObjects(), 0);
#endif
    EXPECT_TRUE(mac::toValue(nullptr).isNull());
}

TEST(MacPropertyLists, CoreFoundationReadsTheSameFileAsThePortableReader) {
    const std::string settings = plistFile(R"(<dict>
  <key>SystemPowerSettings</key>
  <dict>
    <key>Update</key><date>2026-03-01T07:30:00Z</date>
    <key>Installed</key><date>1999-12-31T23:59:59Z</date>
    <key>Generation</key><integer>9223372036854775807</integer>
    <key>Offset</key><integer>-42</integer>
    <key>Threshold</key><real>0.5</real>
    <key>DarkWakeBackgroundTasks</key><true/>
    <key>Hash</key><data>AP8Q</data>
  </dict>
  <key>Custom Profile</key>
  <dict>
    <key>AC Power</key><dict><key>Display Sleep Timer</key><integer>10</integer></dict>
    <key>Order</key><array><string>Battery Power</string><integer>3</integer></array>
  </dict>
</dict>)");
    {
        std::string cfError, portableError;
        auto viaCF = mac::readPropertyList(settings, cfError);
        auto portable = platform::parsePropertyList(settings, portableError);
        ASSERT_TRUE(viaCF) << cfError;
        ASSERT_TRUE(portable) << portableError;
        EXPECT_EQ(byKey(*viaCF), byKey(*portable));
        const platform::Value* power = viaCF->find("SystemPowerSettings");
        ASSERT_NE(power, nullptr);
        EXPECT_EQ(*power->find("Update"), platform::Value("2026-03-01T07:30:00Z"));
        EXPECT_EQ(*power->find("Installed"), platform::Value("1999-12-31T23:59:59Z"));
        EXPECT_EQ(*power->find("Generation"), platform::Value(INT64_MAX)) << "kept whole";
    }

    // What the portable reader refuses, Core Foundation's reading refuses too, and says why.
    const std::map<std::string, std::string> refused{
        {"<integer>18446744073709551615</integer>", "64 bits"},
        {"<integer>9223372036854775808</integer>", "64 bits"},
        {"<real>nan</real>", "finite"},
        {"<dict><key>Sleep</key></dict>", ""},
        {"<dict><key>Sleep</key><integer>1</integer>", ""}};
    for (const auto& [body, why] : refused) {
        const std::string bytes = plistFile("<dict><key>Value</key>" + body + "</dict>");
        std::string cfError, portableError;
        EXPECT_FALSE(mac::readPropertyList(bytes, cfError)) << body;
        EXPECT_FALSE(platform::parsePropertyList(bytes, portableError)) << body;
        EXPECT_FALSE(cfError.empty()) << body;
        EXPECT_NE(cfError.find(why), std::string::npos) << body << ": " << cfError;
    }

    // Elsewhere (the registry) a number no value holds is left out rather than wrapped.
    const std::string wide = plistFile("<integer>18446744073709551615</integer>");
    mac::CFRef<CFDataRef> data(CFDataCreate(
        kCFAllocatorDefault, reinterpret_cast<const UInt8*>(wide.data()), CFIndex(wide.size())));
    mac::CFRef<CFPropertyListRef> number(CFPropertyListCreateWithData(
        kCFAllocatorDefault, data.get(), kCFPropertyListImmutable, nullptr, nullptr));
    ASSERT_TRUE(number);
    EXPECT_TRUE(mac::toValue(number.get()).isNull());
    number.reset();
    data.reset();
#ifndef __APPLE__
    EXPECT_EQ(fakecf::liveObjects(), 0) << "every list, error and description released";
#endif
}

TEST(MacScreenCoordinates, ScreensAboveAndBelowThePrimaryKeepTheirPlaces) {
    // AppKit: a 1440-high screen above a 1080-high primary starts at y 1080.
    EXPECT_EQ(mac::topLeftFrame({0, 1080, 2560, 1440}, 1080),
              (platform::Rect{0, -1440, 2560, 1440}));
    EXPECT_EQ(mac::topLeftFrame({0, 0, 1920, 1080}, 1080), (platform::Rect{0, 0, 1920, 1080}));
    // Beside it, bottoms aligned, a taller screen reaches above the menu bar.
    EXPECT_EQ(mac::topLeftFrame({1920, 0, 1080, 1920}, 1080),
              (platform::Rect{1920, -840, 1080, 1920}));
}
