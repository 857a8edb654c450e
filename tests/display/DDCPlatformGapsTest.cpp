#include "display/Arm64DDC.h"
#include "display/DisplayEngine.h"
#include "support/VirtualMacTest.h"

class DDCPlatformGapsTest : public VirtualMacTest {
  protected:
    int displaysWithDDC() {
        auto& engine = DisplayEngine::shared();
        engine.refreshDisplays();
        int n = 0;
        for (const auto& d : engine.displays)
            n += d.ddcService ? 1 : 0;
        return n;
    }
};

TEST_F(DDCPlatformGapsTest, MissingSystemPiecesLeaveEveryDisplayWithoutDDC) {
    ASSERT_EQ(displaysWithDDC(), 3);

    auto noIterator = sim::VirtualMac::defaultDescription();
    noIterator.registryIteratorFails = true;
    boot(noIterator);
    EXPECT_TRUE(Arm64DDC::getIoregServicesForMatching().empty());
    EXPECT_EQ(displaysWithDDC(), 0);
    EXPECT_EQ(DisplayEngine::shared().displays.size(), 4u) << "the displays themselves remain";

    auto noAVServices = sim::VirtualMac::defaultDescription();
    noAVServices.hasAVServices = false;
    boot(noAVServices);
    EXPECT_EQ(displaysWithDDC(), 0);

    auto noCoreDisplay = sim::VirtualMac::defaultDescription();
    noCoreDisplay.hasCoreDisplay = false;
    boot(noCoreDisplay);
    EXPECT_EQ(Arm64DDC::ioregMatchScore(2, "10ACBA41-0000-0000-1220-0104B53B2178"), 0);
    EXPECT_EQ(displaysWithDDC(), 0) << "nothing scores, so nothing pairs";

    auto failingList = sim::VirtualMac::defaultDescription();
    failingList.onlineListFails = true;
    boot(failingList);
    EXPECT_EQ(displaysWithDDC(), 0);
    EXPECT_TRUE(DisplayEngine::shared().displays.empty());
    for (const auto& line : log().lines())
        EXPECT_EQ(line.find("DisplayEngine display="), std::string::npos) << line;
}
