#include "app/BlackoutController.h"
#include "display/Arm64DDC.h"
#include "display/DisplayEngine.h"
#include "support/VirtualMacTest.h"

using platform::Value;

namespace {

Value info(int64_t vendor, int64_t product, int64_t week, int64_t year, int64_t h, int64_t v,
           const std::string& name = "", int64_t serial = 0) {
    Value d;
    if (!name.empty())
        d.set("DisplayProductName", Value(platform::ValueDict{{"en_US", Value(name)}}));
    d.set("DisplayVendorID", vendor);
    d.set("DisplayProductID", product);
    d.set("DisplayWeekManufacture", week);
    d.set("DisplayYearManufacture", year);
    d.set("DisplayHorizontalImageSize", h);
    d.set("DisplayVerticalImageSize", v);
    d.set("DisplaySerialNumber", serial);
    return d;
}

sim::DisplayDescription display(DisplayID id, bool builtIn, std::string screenName, Value i = {}) {
    sim::DisplayDescription d;
    d.id = id;
    d.builtIn = builtIn;
    d.frame = {double(id) * 2000, 0, 1920, 1080};
    if (builtIn) d.frame = {0, 0, 1512, 982};
    d.screenName = std::move(screenName);
    d.info = std::move(i);
    if (!builtIn) d.monitor = sim::MonitorDescription{};
    return d;
}

sim::RegistryNode node(std::string name, Value props = {},
                       std::vector<sim::RegistryNode> kids = {}) {
    return {std::move(name), std::move(props), std::move(kids), std::nullopt, false};
}

} // namespace

class DisplayRegistryTest : public VirtualMacTest {};

TEST_F(DisplayRegistryTest, IdenticalMonitorsEachGetTheirOwnPort) {
    auto& engine = DisplayEngine::shared();
    engine.refreshDisplays();
    ASSERT_EQ(engine.displays.size(), 4u);
    EXPECT_EQ(engine.builtInDisplay()->id, 1u);
    EXPECT_FALSE(engine.builtInDisplay()->ddcService);
    ASSERT_EQ(engine.externalDisplays().size(), 3u);

    // Writing through each record's service moves that monitor and no other.
    Arm64DDC::write(engine.displays[1].ddcService, 0x10, 11);
    Arm64DDC::write(engine.displays[2].ddcService, 0x10, 22);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 11);
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 22);
    EXPECT_TRUE(log().contains("DisplayEngine display=DELL U2723QE id=3 builtIn=0 ddc=1"));
    EXPECT_TRUE(log().contains(
        "DisplayEngine display=Built-in Liquid Retina XDR Display id=1 builtIn=1 ddc=0"));

    auto& controller = BlackoutController::shared();
    EXPECT_EQ(controller.externalDisplayIDs(), (std::vector<DisplayID>{2, 3, 4}));
    ASSERT_TRUE(controller.builtInScreen());
    EXPECT_EQ(controller.displayID(*controller.builtInScreen()), 1u);
    platform::Screen noNumber;
    EXPECT_FALSE(controller.displayID(noNumber));
}

TEST_F(DisplayRegistryTest, ScoresFollowTheEdidKeysAndTheirClamps) {
    sim::MachineDescription m;
    m.displays = {
        display(5, false, "A", info(0x10AC, 0x41BA, 18, 2022, 597, 336, "DELL U2723QE", 77)),
        display(6, false, "B", info(0, 0x0102, 5, 1985, 2600, 3000))};
    m.registryRoot = node("Root");
    boot(m);
    // vendor, product (low byte first), date, size, name, serial: 6 points at most.
    EXPECT_EQ(Arm64DDC::ioregMatchScore(5, "10ACBA41-0000-0000-1220-0104B53B2178", "",
                                        "dell u2723qe", 77),
              6);
    EXPECT_EQ(Arm64DDC::ioregMatchScore(5, "10ACBA41-0000-0000-1220-0104B53B2178"), 4);
    EXPECT_EQ(Arm64DDC::ioregMatchScore(5, "FFFFFFFF-0000-0000-0000-0104B5000078"), 0);
    // Vendor 0 never scores; a year before 1990 is "00"; huge sizes clamp to "FF".
    EXPECT_EQ(Arm64DDC::ioregMatchScore(6, "00000201-0000-0000-0500-0104B5FFFF78"), 3);
    EXPECT_EQ(Arm64DDC::ioregMatchScore(99, "10ACBA41"), 0) << "no CoreDisplay information";
}

TEST_F(DisplayRegistryTest, PairingPrefersTheFramebufferPathAndGivesEachRecordOnce) {
    auto same = info(0x10AC, 0x41BA, 18, 2022, 597, 336, "DELL U2723QE");
    auto withLocation = [&](const std::string& path) {
        Value i = same;
        i.set("IODisplayLocation", path);
        return i;
    };
    auto fb = [&](const std::string& n) {
        Value p;
        p.set("EDID UUID", "10ACBA41-0000-0000-1220-0104B53B2178");
        return node(n, p);
    };
    auto proxy = [](std::optional<DisplayID> target, const std::string& location) {
        Value p;
        p.set("Location", location);
        sim::RegistryNode n{"DCPAVServiceProxy", p, {}, target, false};
        return n;
    };
    sim::MachineDescription m;
    // Display 8's CoreDisplay path names the second pipe; 7 has no path and takes what is left.
    m.displays = {display(7, false, "Left", same),
                  display(8, false, "Right", withLocation("IOService:/b/IOMobileFramebufferShim"))};
    m.registryRoot = node(
        "Root", {},
        {
            proxy(std::nullopt, "External"), // before any framebuffer: default fields, location 0
            node("a", {},
                 {fb("IOMobileFramebufferShim"), node("IOMobileFramebufferShimUserClient"),
                  proxy(7, "External")}),
            node("b", {}, {fb("IOMobileFramebufferShim"), proxy(8, "External")}),
            node("c", {}, {fb("AppleCLCD2"), proxy(std::nullopt, "Embedded")}),
        });
    boot(m);

    auto records = Arm64DDC::getIoregServicesForMatching();
    ASSERT_EQ(records.size(), 4u) << "the user client is not a framebuffer";
    EXPECT_EQ(records[0].serviceLocation, 0);
    EXPECT_EQ(records[1].serviceLocation, 1);
    EXPECT_EQ(records[2].ioDisplayLocation, "IOService:/b/IOMobileFramebufferShim");
    EXPECT_FALSE(records[3].service) << "an embedded proxy gets no service";

    auto matches = Arm64DDC::getServiceMatches({7, 8});
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0].displayID, 8u);
    EXPECT_EQ(matches[0].serviceLocation, 2);
    EXPECT_EQ(matches[0].matchScore, 14);
    EXPECT_EQ(matches[1].displayID, 7u);
    EXPECT_EQ(matches[1].serviceLocation, 1) << "first equal record not yet taken";

    // Tied on every record, the display that comes first in the list wins the first record.
    m.displays[1].info = same;
    boot(m);
    auto tied = Arm64DDC::getServiceMatches({8, 7});
    ASSERT_EQ(tied.size(), 2u);
    EXPECT_EQ(tied[0].displayID, 8u);
    EXPECT_EQ(tied[0].serviceLocation, 1);
}

TEST_F(DisplayRegistryTest, NamesComeFromTheScreenThenCoreDisplayThenTheKoreanDefault) {
    Value names;
    names.set("DisplayProductName", Value(platform::ValueDict{{"ja_JP", Value("モニター")},
                                                              {"en_US", Value("Studio Display")}}));
    sim::MachineDescription m;
    auto noScreen = [](sim::DisplayDescription d) {
        d.hasScreen = false;
        return d;
    };
    m.displays = {display(1, true, "Panel"), noScreen(display(2, false, "", names)),
                  noScreen(display(3, false, "")), noScreen(display(4, true, ""))};
    m.localeIdentifier = "ja_JP";
    m.registryRoot = node("Root");
    boot(m);
    defaults().set("appLanguage", "en");
    auto& engine = DisplayEngine::shared();
    engine.refreshDisplays();
    ASSERT_EQ(engine.displays.size(), 4u);
    EXPECT_EQ(engine.displays[0].name, "Panel");
    EXPECT_EQ(engine.displays[1].name, "モニター");
    EXPECT_EQ(engine.displays[2].name, "외장 디스플레이") << "Korean also in English mode";
    EXPECT_EQ(engine.displays[3].name, "내장 디스플레이");

    m.localeIdentifier = "fr_FR";
    boot(m);
    DisplayEngine::shared().refreshDisplays();
    EXPECT_EQ(DisplayEngine::shared().displays[1].name, "Studio Display");
}

TEST_F(DisplayRegistryTest, LidClosedNoMonitorsAndAFailingListAreHandled) {
    sim::MachineDescription m;
    m.displays = {display(1, true, "Panel")};
    boot(m);
    auto& engine = DisplayEngine::shared();
    engine.refreshDisplays();
    EXPECT_EQ(engine.displays.size(), 1u);
    EXPECT_TRUE(engine.externalDisplays().empty());

    sim::MachineDescription lidClosed;
    lidClosed.displays = {display(1, true, "Panel"), display(2, false, "DELL")};
    lidClosed.displays[0].online = false;
    lidClosed.displays[1].frame = {0, 0, 2560, 1440};
    boot(lidClosed);
    DisplayEngine::shared().refreshDisplays();
    EXPECT_FALSE(DisplayEngine::shared().builtInDisplay());
    EXPECT_FALSE(BlackoutController::shared().builtInScreen());
    EXPECT_EQ(DisplayEngine::shared().screen(2)->localizedName, "DELL");

    lidClosed.onlineListFails = true;
    boot(lidClosed);
    DisplayEngine::shared().displays = {ControlledDisplay{9, "stale", false, nullptr}};
    DisplayEngine::shared().refreshDisplays();
    EXPECT_TRUE(DisplayEngine::shared().displays.empty());
}
