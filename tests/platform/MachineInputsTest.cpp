#include "platform/PropertyList.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/VirtualMac.h"

#include <gtest/gtest.h>

TEST(SimShell, AdministratorScriptsAreReadAsShWouldAndNothingExtraRuns) {
    std::string error;
    auto command = sim::administratorShellCommand(
        R"(do shell script "echo '\"a\"' > '/tmp/x' \\ ok" with administrator privileges)", error);
    ASSERT_TRUE(command) << error;
    EXPECT_EQ(*command, R"(echo '"a"' > '/tmp/x' \ ok)");
    EXPECT_FALSE(sim::administratorShellCommand(R"(do shell script "x" )", error));
    EXPECT_FALSE(sim::administratorShellCommand(R"(do shell script "x)", error));
    EXPECT_FALSE(sim::administratorShellCommand(
        R"(do shell script "\q" with administrator privileges)", error));
    EXPECT_FALSE(sim::administratorShellCommand(R"(tell application "Finder" to quit)", error));

    auto parsed = sim::parseShellCommands(
        R"(launchctl unload '/p';mkdir -p '/A B' && cp '/It'\''s $(x).app/h' "/d\"q" && echo 'x' > '/f')",
        error);
    ASSERT_TRUE(parsed) << error;
    ASSERT_EQ(parsed->size(), 4u);
    EXPECT_EQ((*parsed)[0].words, (std::vector<std::string>{"launchctl", "unload", "/p"}));
    EXPECT_EQ((*parsed)[1].words, (std::vector<std::string>{"mkdir", "-p", "/A B"}));
    EXPECT_TRUE((*parsed)[1].afterSemicolon);
    EXPECT_EQ((*parsed)[2].words, (std::vector<std::string>{"cp", "/It's $(x).app/h", "/d\"q"}));
    EXPECT_FALSE((*parsed)[2].afterSemicolon);
    EXPECT_EQ((*parsed)[3].redirectTo, "/f");

    // What a badly quoted path would let sh do is refused, never run.
    for (const std::string bad : {"cp '/It's' /x", "cp /a $(touch pwned)", "cp /a `id`",
                                  "cp \"$HOME\" /x", "mkdir /a || rm /b", "; ls", "cp /a /b | sh",
                                  "echo x > /a > /b", "echo x >", "&& ls", "cp /a /b &", "ls *"}) {
        EXPECT_FALSE(sim::parseShellCommands(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(PropertyList, ReadsWhatItWritesAndRefusesMalformedLists) {
    platform::Value inner;
    inner.set("OptimizedBatteryCharging", 1);
    platform::Value root;
    root.set("Label", "com.example <&>");
    root.set("On", true);
    root.set("Ratio", 0.5);
    root.set("Args", platform::ValueArray{platform::Value("a"), platform::Value(int64_t(-7))});
    root.set("Custom Profile", inner);
    std::string error;
    auto back = platform::parsePropertyList(platform::xmlPropertyList(root), error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(*back, root);

    std::string deep = "<plist>";
    for (int i = 0; i < 40; ++i)
        deep += "<array>";
    EXPECT_FALSE(platform::parsePropertyList(deep, error));
    for (const std::string bad :
         {"", "<dict/>", "<plist></plist>", "<plist><integer>x</integer></plist>",
          "<plist><dict><string>no key</string></dict></plist>",
          "<plist><dict><key>k</key></dict></plist>", "<plist><blob/></plist>", "<plist><dict>"}) {
        EXPECT_FALSE(platform::parsePropertyList(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

namespace {

// A binary list made by hand: the header, the objects, one-byte offsets and the trailer.
std::string handMadeBinaryList(const std::vector<std::string>& objects, uint8_t top = 0,
                               int tableShift = 0) {
    std::string out = "bplist00";
    std::string table;
    for (const auto& o : objects) {
        table += char(out.size());
        out += o;
    }
    const size_t tableAt = out.size() + size_t(tableShift);
    out += table;
    out += std::string(6, '\0') + char(1) + char(1);
    for (uint64_t v : {uint64_t(objects.size()), uint64_t(top), uint64_t(tableAt)})
        for (int i = 7; i >= 0; --i)
            out += char(uint8_t(v >> (8 * i)));
    return out;
}

} // namespace

TEST(PropertyList, BinaryListsReadBackAndEveryFaultIsRefused) {
    using namespace std::string_literals;
    platform::Value profile;
    profile.set("OptimizedBatteryCharging", 1);
    platform::Value root;
    root.set("Custom Profile", platform::Value(platform::ValueDict{{"Battery Power", profile}}));
    root.set("이름", "배터리 전원");
    root.set("Big", int64_t(1) << 40);
    root.set("Negative", int64_t(-7));
    root.set("Ratio", 0.25);
    root.set("Off", false);
    root.set("Raw", platform::Bytes{0, 1, 2, 255});
    platform::ValueArray many;
    for (int i = 0; i < 300; ++i)
        many.emplace_back(int64_t(i) * 1000);
    root.set("Many", many); // counts past the marker's four bits, references past one byte
    std::string error;
    const std::string binary = platform::binaryPropertyList(root);
    ASSERT_EQ(binary.substr(0, 8), "bplist00");
    auto back = platform::parsePropertyList(binary, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(*back, root);

    // Forms a Mac writes that the writer does not: dates, sets, 128-bit integers, floats.
    auto date = platform::parsePropertyList(
        handMadeBinaryList({std::string("\x33") + std::string(8, '\0')}), error);
    ASSERT_TRUE(date) << error;
    EXPECT_EQ(*date, platform::Value("2001-01-01T00:00:00Z"));
    auto set = platform::parsePropertyList(
        handMadeBinaryList({"\xC2\x01\x02", std::string("\x14") + std::string(15, '\xFF') + "\xFE",
                            std::string("\x22\x3F\x80\x00\x00", 5)}),
        error);
    ASSERT_TRUE(set) << error;
    EXPECT_EQ(*set, platform::Value(
                        platform::ValueArray{platform::Value(int64_t(-2)), platform::Value(1.0)}));

    std::vector<std::string> deep; // each array holds the next, deeper than allowed
    for (int i = 0; i < 40; ++i)
        deep.push_back(i < 39 ? std::string("\xA1") + char(i + 1) : std::string("\x09"));
    std::vector<std::string> doubling; // 2^30 values from 31 small objects
    for (int i = 0; i < 30; ++i)
        doubling.push_back(std::string("\xA2") + char(i + 1) + char(i + 1));
    doubling.push_back("\x09");
    const std::vector<std::pair<std::string, std::string>> faults = {
        {"bplist00", "too short"},
        {"bplist15" + std::string(40, '\0'), "version"},
        {handMadeBinaryList({"\xA1\x00"s}), "contains itself"},
        {handMadeBinaryList({"\xA1\x01", "\xA1\x00"s}), "contains itself"},
        {handMadeBinaryList({"\xA1\x05"}), "outside the list"},
        {handMadeBinaryList({"\x09"}, 3), "top object"},
        {handMadeBinaryList({"\x09"}, 0, 200), "offset table"},
        {handMadeBinaryList({"\x5F\x10\xFF"s + "abc"}), "runs past"},
        {handMadeBinaryList({"\x6F\x13\x7F\xFF\xFF\xFF\xFF\xFF\xFF\xFF"}), "runs past"},
        {handMadeBinaryList({"\xD1\x01\x01", "\x09"}), "key is no string"},
        {handMadeBinaryList({"\x53"s + "a\xE9" + "b"}), "above 127"},
        {handMadeBinaryList({"\x00"s}), "null"},
        {handMadeBinaryList({"\x23\x7F\xF0\x00\x00\x00\x00\x00\x00"s}), "not finite"},
        {handMadeBinaryList({"\x14\x00\x00\x00\x00\x00\x00\x00\x01"s + std::string(8, '\0')}),
         "64 bits"},
        {handMadeBinaryList({"\x81\x00\x01"s}), "unknown"},
        {handMadeBinaryList(deep), "deeper"},
        {handMadeBinaryList(doubling), "200000 values"},
    };
    for (const auto& [bytes, why] : faults) {
        error.clear();
        EXPECT_FALSE(platform::parsePropertyList(bytes, error)) << why;
        EXPECT_NE(error.find(why), std::string::npos) << error;
    }
}

TEST(MachineDescription, NewFieldsAreCheckedAndNamed) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"({"keyboardLayout":"Dvorak","displays":[]})", "machine.keyboardLayout"},
        {R"({"otherApplicationHotkeys":[{"code":1,"modifiers":256}],"displays":[]})",
         "otherApplicationHotkeys[0].application"},
        {R"({"otherApplicationHotkeys":[{"code":70000,"application":"X"}],"displays":[]})",
         "otherApplicationHotkeys[0].code"},
        {R"({"battery":{"percent":120},"displays":[]})", "machine.battery.percent"},
        {R"({"battery":{"watts":0},"displays":[]})", "machine.battery.watts"},
        {R"({"battery":{"wattsFrom":"magic"},"displays":[]})", "machine.battery.wattsFrom"},
        {R"({"battery":{"profilerSeconds":1e9},"displays":[]})", "profilerSeconds"},
        {R"({"battery":{"registryProperties":[1]},"displays":[]})", "registryProperties"},
        {R"({"bundlePath":"Applications/N.app","displays":[]})", "machine.bundlePath"},
        {R"({"bundlePath":"/Applications/../etc","displays":[]})", "machine.bundlePath"},
        {R"({"blueLight":{"strength":2},"displays":[]})", "machine.blueLight"},
        {R"({"systemSleepSeconds":0,"displays":[]})", "systemSleepSeconds"},
        {R"({"displays":[{"id":1,"modes":"8k"}]})", "displays[0].modes"},
        {R"({"displays":[{"id":1,"modes":[[1920,1080,1920,1080]]}]})", "displays[0].modes[0]"},
        {R"({"displays":[{"id":1,"modes":[[1920,1080,1920,1080,-60]]}]})", "modes[0][4]"},
        {R"({"displays":[{"id":1,"modes":[]}]})", "displays[0].modes"},
        {R"({"displays":[{"id":1,"modes":"4k","currentMode":[800,600,800,600,60]}]})",
         "displays[0].currentMode"},
        {R"({"displays":[{"id":1,"frame":[0,0,1000,1000],"modes":"4k"}]})",
         "displays[0].currentMode"},
        {R"({"displays":[{"id":1,"mirrorOf":1}]})", "displays[0].mirrorOf"},
        {R"({"displays":[{"id":1},{"id":2,"mirrorOf":7}]})", "displays[1].mirrorOf"},
        {R"({"configurationFailsAt":"never","displays":[]})", "configurationFailsAt"},
        {R"({"notifications":{"granted":"yes"},"displays":[]})", "machine.notifications.granted"},
    };
    for (const auto& [json, field] : cases) {
        std::string error;
        EXPECT_FALSE(sim::VirtualMac::parse(json, &error)) << json;
        EXPECT_NE(error.find(field), std::string::npos) << json << " -> " << error;
    }
    std::string error;
    auto desktop = sim::VirtualMac::parse(
        R"({"battery":null,"keyboardLayout":null,"displays":[{"id":1}]})", &error);
    ASSERT_TRUE(desktop) << error;
    EXPECT_FALSE(desktop->battery);
    EXPECT_TRUE(desktop->keyboardLayout.empty());

    // The frame's size follows the named current mode.
    auto monitor = sim::VirtualMac::parse(
        R"({"displays":[{"id":1,"frame":[0,0,10,10],"modes":"1440p",
                         "currentMode":[1920,1080,1920,1080,60]}]})",
        &error);
    ASSERT_TRUE(monitor) << error;
    EXPECT_EQ(monitor->displays[0].frame.width, 1920);
    EXPECT_EQ(monitor->displays[0].modes[monitor->displays[0].currentMode].height, 1080);
}
