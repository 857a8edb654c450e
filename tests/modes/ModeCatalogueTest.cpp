#include "modes/ModeCatalogue.h"

#include <gtest/gtest.h>

using modes::DisplayMode;

namespace {

DisplayMode hi(int w, int h, double hz = 60) {
    return {w, h, 2 * w, 2 * h, hz, true};
}
DisplayMode lo(int w, int h, double hz = 60) {
    return {w, h, w, h, hz, true};
}
std::vector<std::string> sizes(const std::vector<DisplayMode>& list) {
    std::vector<std::string> out;
    for (const auto& m : list)
        out.push_back(std::to_string(m.width) + "x" + std::to_string(m.height) +
                      (modes::isHiDPI(m) ? "@2x" : "") +
                      (m.refreshRate > 0 ? "/" + std::to_string(int(m.refreshRate)) : ""));
    return out;
}

} // namespace

TEST(ModeCatalogue, BuiltInPanelsOfKnownSizesOfferTheirListedSizes) {
    // A 2560 x 1664 panel: its own size at 1x (shown as a low-resolution duplicate) is the native.
    std::vector<DisplayMode> all = {lo(2560, 1664), hi(1710, 1112), hi(1470, 956), hi(1440, 936),
                                    lo(1440, 936),  hi(1280, 832),  hi(1024, 666), lo(800, 600)};
    all.push_back({1024, 666, 2048, 1332, 60, false}); // not usable for the desktop
    const std::vector<std::string> airSizes = {"1024x666@2x/60", "1280x832@2x/60",
                                               "1440x936/60",    "1440x936@2x/60",
                                               "1470x956@2x/60", "1710x1112@2x/60"};
    EXPECT_EQ(sizes(modes::recommendedScalingModes(all, true, hi(1470, 956))), airSizes);
    EXPECT_EQ(sizes(modes::recommendedScalingModes(all, true, hi(1710, 1112))), airSizes)
        << "the panel's default size stays offered after the user left it";

    // A panel of another size: only the sizes drawn at twice their points.
    all = {lo(1920, 1200), hi(1920, 1200), hi(1680, 1050), lo(1680, 1050), hi(1440, 900)};
    EXPECT_EQ(sizes(modes::recommendedScalingModes(all, true, std::nullopt)),
              (std::vector<std::string>{"1440x900@2x/60", "1680x1050@2x/60", "1920x1200@2x/60"}));

    EXPECT_TRUE(modes::recommendedScalingModes(std::nullopt, true, hi(1440, 900)).empty());
    auto unusable = hi(1440, 900);
    unusable.usableForDesktop = false;
    EXPECT_TRUE(modes::recommendedScalingModes(std::vector{unusable}, true, unusable).empty());
}

TEST(ModeCatalogue, ExternalMonitorsFollowTheirWidthAndKeepTheFastestOfEachSize) {
    // A 4K monitor: listed widths drawn at 2x, or its own width.
    std::vector<DisplayMode> fourK = {lo(3840, 2160, 60),  lo(3840, 2160, 30), hi(1920, 1080, 60),
                                      hi(1920, 1080, 120), hi(2560, 1440),     lo(2560, 1440),
                                      hi(1280, 720),       hi(3008, 1692),     lo(1280, 1024)};
    EXPECT_EQ(sizes(modes::recommendedScalingModes(fourK, false, lo(1280, 1024))),
              (std::vector<std::string>{"1280x1024/60", "1920x1080@2x/120", "2560x1440@2x/60",
                                        "3008x1692@2x/60", "3840x2160/60"}));

    // A 2560 x 1440 monitor without HiDPI modes: every size of its shape.
    std::vector<DisplayMode> qhd = {lo(2560, 1440, 75), lo(1920, 1080), lo(1280, 720),
                                    lo(1280, 1024), lo(2560, 1440, 75)};
    EXPECT_EQ(sizes(modes::recommendedScalingModes(qhd, false, lo(2560, 1440, 75))),
              (std::vector<std::string>{"1280x720/60", "1920x1080/60", "2560x1440/75"}));

    // Equal within a hundredth of a hertz; the first of two equally fast modes stays.
    EXPECT_TRUE(modes::areDisplayModesEqual(lo(1920, 1080, 59.999), lo(1920, 1080, 60.0)));
    EXPECT_FALSE(modes::areDisplayModesEqual(lo(1920, 1080, 59.9), lo(1920, 1080, 60.0)));
    DisplayMode first{1920, 1080, 3840, 2160, 60, true}, second{1920, 1080, 3840, 2400, 60, true};
    auto kept = modes::recommendedScalingModes(std::vector{lo(3840, 2160), first, second}, false,
                                               std::nullopt);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].pixelHeight, 2160);
}

TEST(ModeCatalogue, PopUpTitlesNameRefreshAndLowResolutionTwins) {
    const std::vector<DisplayMode> catalogue = {lo(1440, 900), hi(1440, 900), lo(1280, 800, 0)};
    EXPECT_EQ(modes::resolutionTitle(catalogue[0], catalogue), "1440 x 900 (60Hz) (저해상도)");
    EXPECT_EQ(modes::resolutionTitle(catalogue[1], catalogue), "1440 x 900 (60Hz)");
    EXPECT_EQ(modes::resolutionTitle(catalogue[2], catalogue), "1280 x 800");
    EXPECT_EQ(modes::resolutionTitle(lo(1512, 982, 119.88), {}), "1512 x 982 (120Hz)");
}
