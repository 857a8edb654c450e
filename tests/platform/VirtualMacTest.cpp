#include "support/VirtualMacTest.h"
#include "platform/BuiltInBrightness.h"
#include "platform/CoreBrightness.h"
#include "platform/CoreDisplayInfo.h"
#include "platform/IORegistry.h"
#include "platform/Processes.h"
#include "platform/Screens.h"
#include "platform/SystemAppearance.h"
#include "platform/SystemPaths.h"
#include "platform/TransferTables.h"
#include "platform/sim/SimRegistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using platform::Value;

namespace {

std::vector<uint8_t> setVcpFrame(uint8_t code, uint16_t value) {
    std::vector<uint8_t> f = {0x84, 0x03, code, uint8_t(value >> 8), uint8_t(value & 0xFF)};
    uint8_t c = 0x6E ^ 0x51;
    for (auto b : f)
        c ^= b;
    f.push_back(c);
    return f;
}

std::vector<uint8_t> getVcpFrame(uint8_t code) {
    std::vector<uint8_t> f = {0x82, 0x01, code};
    f.push_back(uint8_t(0x6E ^ 0x82 ^ 0x01 ^ code));
    return f;
}

} // namespace

class SimMachineTest : public VirtualMacTest {};

TEST_F(SimMachineTest, MonitorAppliesOnlyWellFormedSetFramesAndAnswersGetWithChecksummedReply) {
    auto& m = monitor(2);
    auto good = setVcpFrame(0x10, 42);
    EXPECT_EQ(m.writeI2C(0x37, 0x51, good.data(), uint32_t(good.size())),
              platform::kIOReturnSuccess);
    EXPECT_EQ(m.vcp(0x10)->current, 42);

    auto bad = setVcpFrame(0x10, 90);
    bad.back() ^= 1;
    m.writeI2C(0x37, 0x51, bad.data(), uint32_t(bad.size()));
    EXPECT_EQ(m.vcp(0x10)->current, 42) << "a frame with a wrong checksum must change nothing";
    EXPECT_EQ(m.validSetCount(), 1);

    auto get = getVcpFrame(0x62);
    m.writeI2C(0x37, 0x51, get.data(), uint32_t(get.size()));
    uint8_t reply[11] = {};
    ASSERT_EQ(m.readI2C(0x37, 0, reply, 11), platform::kIOReturnSuccess);
    uint8_t c = 0x50;
    for (int i = 0; i < 10; ++i)
        c ^= reply[i];
    EXPECT_EQ(reply[10], c);
    EXPECT_EQ(reply[6] << 8 | reply[7], 100);
    EXPECT_EQ(reply[8] << 8 | reply[9], 30);

    m.setBadChecksums(1);
    m.writeI2C(0x37, 0x51, get.data(), uint32_t(get.size()));
    m.readI2C(0x37, 0, reply, 11);
    c = 0x50;
    for (int i = 0; i < 10; ++i)
        c ^= reply[i];
    EXPECT_NE(reply[10], c);
    m.readI2C(0x37, 0, reply, 11);
    c = 0x50;
    for (int i = 0; i < 10; ++i)
        c ^= reply[i];
    EXPECT_EQ(reply[10], c) << "only the first reply is spoiled";

    // The TV never answers, and counts what it was sent all the same.
    auto& tv = monitor(4);
    EXPECT_EQ(tv.writeI2C(0x37, 0x51, good.data(), uint32_t(good.size())),
              platform::kIOReturnNotResponding);
    EXPECT_EQ(tv.writeCount(), 1);
}

TEST_F(SimMachineTest, DefaultMachineRegistryPutsEachProxyAfterItsFramebuffer) {
    auto& reg = *platform().ioRegistry;
    auto it =
        reg.createIterator(reg.rootEntry(), "IOService", platform::kIORegistryIterateRecursively);
    ASSERT_TRUE(it);
    std::vector<std::string> order;
    std::vector<std::string> fbPaths;
    while (auto e = it->next()) {
        auto name = *reg.entryName(e);
        if (name == "AppleCLCD2" || name == "IOMobileFramebufferShim") {
            order.push_back("fb");
            fbPaths.push_back(*reg.entryPath(e, "IOService"));
        } else if (name == "DCPAVServiceProxy") {
            order.push_back(*reg.createCFProperty(e, "Location")->string());
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"fb", "Embedded", "fb", "External", "fb", "External",
                                               "fb", "External"}));
    // Identical monitors differ by where their framebuffers sit, and CoreDisplay says so.
    auto info2 = platform().coreDisplay->createInfoDictionary(2);
    auto info3 = platform().coreDisplay->createInfoDictionary(3);
    ASSERT_TRUE(info2 && info3);
    EXPECT_EQ(*info2->find("IODisplayLocation")->string(), fbPaths[1]);
    EXPECT_EQ(*info3->find("IODisplayLocation")->string(), fbPaths[2]);
    EXPECT_NE(fbPaths[1], fbPaths[2]);
    EXPECT_EQ(sim::edidUUIDFor(*info2).substr(0, 8), "10ACBA41");
}

TEST_F(SimMachineTest, UnplugAndPlugFireScreenParametersOnTheMainQueue) {
    int fired = 0;
    platform().screens->addScreenParametersObserver([&] { ++fired; });
    EXPECT_TRUE(mac().unplug(3));
    EXPECT_EQ(fired, 0) << "the notification arrives on the main queue, not inline";
    advance();
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(mac().onlineDisplays(), (std::vector<DisplayID>{1, 2, 4}));
    EXPECT_EQ(platform().screens->screens().size(), 3u);
    EXPECT_FALSE(mac().unplug(3));
    EXPECT_TRUE(mac().plug(3));
    advance();
    EXPECT_EQ(fired, 2);
    EXPECT_EQ(
        *platform().screens->screens().front().deviceDescription.find("NSScreenNumber")->integer(),
        1);
}

TEST(MachineJson, BadDescriptionsAreRefusedNamingTheFieldAndTheLimit) {
    const std::string big = "1e20";
    // Each: a description, and what its error must say.
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"[1,2]", {"must be a JSON object"}},
        {"{\"displays\": [", {"not valid JSON", "offset"}},
        {R"({"displays":[{"id":0}]})", {"machine.displays[0].id"}},
        {R"({"displays":[{"id":2},{"id":2}]})", {"used twice"}},
        {R"({"displays":[{"id":1e20}]})", {"machine.displays[0].id", "4294967295"}},
        {R"({"displays":[{"id":-5}]})", {"machine.displays[0].id", "from 0"}},
        {R"({"displays":[{"id":2,"frame":[1e308,0,10,10]}]})", {"displays[0].frame", "x and y"}},
        {R"({"displays":[{"id":2,"frame":[0,0,0,10]}]})", {"displays[0].frame", "width"}},
        {R"({"displays":[{"id":2,"frame":[0,0,-10,10]}]})", {"displays[0].frame", "width"}},
        {R"({"displays":[{"id":2,"gammaSamples":2048}]})", {"gammaSamples", "1 to 1024"}},
        {R"({"displays":[{"id":1,"gammaSamples":0}]})", {"gammaSamples"}},
        {R"({"displays":[{"id":1,"brightness":"bright"}]})", {"displays[0].brightness", "0 to 1"}},
        {R"({"displays":[{"id":1,"brightness":1.5}]})", {"displays[0].brightness", "got 1.5"}},
        {R"({"displays":[{"id":2,"monitor":{"vcp":{"zz":[1,2]}}}]})", {"VCP code"}},
        {R"({"displays":[{"id":2,"monitor":{"vcp":{"0x10":[70000,100]}}}]})",
         {"monitor.vcp.0x10[0]", "65535"}},
        {R"({"displays":[{"id":2,"monitor":{"vcp":{"0x10":[80,50]}}}]})",
         {"monitor.vcp.0x10", "above the maximum"}},
        {R"({"displays":[{"id":2,"monitor":{"writeMicros":-1}}]})", {"monitor.writeMicros"}},
        {R"({"displays":[{"id":2,"monitor":{"readMicros":)" + big + "}}]}", {"readMicros"}},
        {R"({"keyboardBacklights":[{"id":1,"level":2}],"displays":[]})",
         {"keyboardBacklights[0].level"}},
        {R"({"displays":[{"id":2,"monitor":[1]}]})", {"displays[0].monitor", "object"}},
    };
    for (const auto& [json, words] : cases) {
        std::string error;
        EXPECT_FALSE(sim::VirtualMac::parse(json, &error)) << json;
        for (const auto& w : words)
            EXPECT_NE(error.find(w), std::string::npos) << json << " -> " << error;
    }

    std::string many = R"({"displays":[)";
    for (int i = 1; i <= 17; ++i)
        many += (i > 1 ? "," : "") + ("{\"id\":" + std::to_string(i) + "}");
    std::string error;
    EXPECT_FALSE(sim::VirtualMac::parse(many + "]}", &error));
    EXPECT_NE(error.find("at most 16"), std::string::npos) << error;

    QTemporaryDir dir;
    QFile huge(dir.path() + "/huge.json");
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.resize(17 * 1024 * 1024);
    huge.close();
    EXPECT_FALSE(sim::VirtualMac::load(huge.fileName().toStdString(), &error));
    EXPECT_NE(error.find("16 MiB"), std::string::npos) << error;

    // Displays without a frame line up to the right of each other.
    auto ok = sim::VirtualMac::parse(R"({"displays":[{"id":7,"builtIn":true},{"id":8}]})", &error);
    ASSERT_TRUE(ok) << error;
    EXPECT_TRUE(ok->displays[0].builtIn);
    EXPECT_EQ(ok->displays[1].frame.x, 1920);
    EXPECT_EQ(ok->displays[1].frame.width, 1920);
}

TEST_F(SimMachineTest, DescriptionGivesThePanelItsTablesBacklightsAndAppearance) {
    bootJson(R"({"skyLight": false, "darkAppearance": true, "autoBrightness": false,
                 "keyboardBacklights": [{"id": 7, "level": 0.25}, {"id": 9, "level": 1}],
                 "displays": [{"id": 1, "builtIn": true, "frame": [0, 0, 1512, 982],
                               "gammaSamples": 1024, "brightness": 0.4},
                              {"id": 2, "frame": [1512, 0, 1920, 1080], "screenNumber": false}]})");
    auto& p = platform();
    std::vector<float> r(1024), g(1024), b(1024);
    uint32_t samples = 0;
    ASSERT_EQ(p.transferTables->getDisplayTransferByTable(1, 1024, r.data(), g.data(), b.data(),
                                                          &samples),
              platform::kCGErrorSuccess);
    EXPECT_EQ(samples, 1024u);
    EXPECT_FLOAT_EQ(r.back(), 1.0f);

    float level = 0;
    EXPECT_EQ(p.builtInBrightness->lookupGetBrightness()(1, &level), 0);
    EXPECT_FLOAT_EQ(level, 0.4f);
    bool autoOn = true;
    EXPECT_TRUE(p.coreBrightness->getDisplayAutoBrightnessEnabled(&autoOn));
    EXPECT_FALSE(autoOn);
    auto client = p.coreBrightness->openKeyboardBrightnessClient();
    ASSERT_TRUE(client);
    EXPECT_FLOAT_EQ(client->brightnessForKeyboard(9), 1.0f);

    EXPECT_FALSE(p.appearance->lookupGetTheme()) << "no SkyLight";
    EXPECT_TRUE(p.appearance->applicationAppearanceIsDark());

    auto screens = p.screens->screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_FALSE(screens[1].deviceDescription.find("NSScreenNumber"));
}

TEST_F(SimMachineTest, ItsOwnFilesAreNeverWaitedOnNorWrittenThroughALinkAndItsToolsAreBounded) {
    QTemporaryDir scratch;
    const std::string profile = scratch.path().toStdString() + "/profile";
    const std::string outside = scratch.path().toStdString() + "/outside";
    QDir().mkpath(QString::fromStdString(outside));
    const std::string root = profile + "/root";
    const std::string plist = root + "/Library/Preferences/SystemConfiguration/"
                                     "com.apple.PowerManagement.plist";
    const std::string profiler = root + "/usr/sbin/system_profiler";
    sim::VirtualMacOptions options;
    options.profileDir = profile;

    // A FIFO at the power settings, a link at the profiler: the start goes on and says so.
    QDir().mkpath(QString::fromStdString(root + "/Library/Preferences/SystemConfiguration"));
    QDir().mkpath(QString::fromStdString(root + "/usr/sbin"));
    ASSERT_EQ(::mkfifo(plist.c_str(), 0600), 0);
    std::ofstream(outside + "/secret") << "keep me";
    ASSERT_EQ(::symlink((outside + "/secret").c_str(), profiler.c_str()), 0);
    boot(sim::VirtualMac::defaultDescription(), options);
    EXPECT_TRUE(log().contains("Virtual Mac: " + plist + " is a FIFO (named pipe), not a file"));
    EXPECT_TRUE(
        log().contains("Virtual Mac: " + profiler + " is a symbolic link, which is not followed"));
    std::ifstream secret(outside + "/secret");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(secret), {}), "keep me");

    // A profiler that prints without end is stopped, not read whole.
    ::unlink(profiler.c_str());
    std::ofstream(profiler) << "#!/bin/sh\nexec yes\n";
    ASSERT_EQ(::chmod(profiler.c_str(), 0755), 0);
    EXPECT_FALSE(platform().processes->runTool("/usr/sbin/system_profiler", {"SPPowerDataType"}));
    EXPECT_TRUE(log().contains(
        "Virtual Mac: /usr/sbin/system_profiler printed more than 1 MiB; it is stopped"));

    // The machine's root as a link to a folder elsewhere: set aside, nothing written there.
    ::unlink(plist.c_str());
    std::filesystem::remove_all(root);
    ASSERT_EQ(::symlink(outside.c_str(), root.c_str()), 0);
    boot(sim::VirtualMac::defaultDescription(), options);
    const auto& lines = log().lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.starts_with("Virtual Mac: " + root +
                             " is a symbolic link, which is not followed; it is moved to");
    }));
    EXPECT_EQ(
        QDir(QString::fromStdString(outside)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
        QStringList{"secret"});
    struct stat st {};
    ASSERT_EQ(::lstat(root.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST_F(SimMachineTest, TheBundlesHelperIsCopiedInWhenTheBundleIsFirstLookedInto) {
    const std::string helper = "/Contents/MacOS/nightlid-helper";
    auto onDisk = [&] {
        return platform().paths->root() + platform().paths->bundlePath() + helper;
    };
    // A throwaway machine: not there until something looks into the bundle, then there whole.
    boot(sim::VirtualMac::defaultDescription());
    struct stat st {};
    EXPECT_NE(::lstat(onDisk().c_str(), &st), 0);
    const std::string mapped = platform().paths->map(platform().paths->bundlePath());
    EXPECT_EQ(mapped + helper, onDisk());
    ASSERT_EQ(::lstat(onDisk().c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_GT(st.st_size, 1000);
    EXPECT_TRUE(st.st_mode & S_IXUSR);
    // Copied once: what the bundle holds afterwards is not replaced by a later look.
    std::ofstream(onDisk(), std::ios::trunc) << "another build";
    platform().paths->map(platform().paths->bundlePath() + helper);
    std::ifstream again(onDisk());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}), "another build");

    // A profile kept after the run holds it from the start.
    QTemporaryDir scratch;
    sim::VirtualMacOptions options;
    options.profileDir = scratch.path().toStdString() + "/profile";
    boot(sim::VirtualMac::defaultDescription(), options);
    EXPECT_EQ(::lstat(onDisk().c_str(), &st), 0);
    EXPECT_GT(st.st_size, 1000);
}
