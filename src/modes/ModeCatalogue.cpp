#include "modes/ModeCatalogue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

namespace modes {

namespace {

using Size = std::pair<int, int>;

// The point sizes offered on the built-in panels whose native size is known.
const std::map<Size, std::vector<Size>>& builtInSizes() {
    static const std::map<Size, std::vector<Size>> table = {
        {{2560, 1600}, {{1024, 640}, {1280, 800}, {1440, 900}, {1680, 1050}}},
        {{2560, 1664}, {{1024, 666}, {1280, 832}, {1440, 936}, {1710, 1112}}},
        {{2880, 1864}, {{1024, 662}, {1280, 828}, {1440, 932}, {1710, 1107}}},
        {{3024, 1964}, {{1160, 725}, {1352, 845}, {1512, 945}, {1800, 1125}}},
        {{3456, 2234}, {{1312, 820}, {1536, 960}, {1728, 1080}, {2056, 1331}, {2056, 1285}}},
    };
    return table;
}

// The size a known panel ships at. Once the user leaves it, it must still be offered to go back
// to; on three of the panels it is not among the listed sizes.
const std::map<Size, Size>& builtInDefaultSizes() {
    static const std::map<Size, Size> table = {
        {{2560, 1600}, {1440, 900}}, {{2560, 1664}, {1470, 956}},  {{2880, 1864}, {1440, 932}},
        {{3024, 1964}, {1512, 982}}, {{3456, 2234}, {1728, 1117}},
    };
    return table;
}

bool ordered(const DisplayMode& a, const DisplayMode& b) {
    if (a.width != b.width) return a.width < b.width;
    if (a.height != b.height) return a.height < b.height;
    if (a.pixelWidth != b.pixelWidth) return a.pixelWidth < b.pixelWidth;
    return a.refreshRate < b.refreshRate;
}

bool passesSizeRule(const DisplayMode& m, bool isBuiltIn, int maxW, int maxH) {
    if (isBuiltIn) {
        auto row = builtInSizes().find({maxW, maxH});
        if (row != builtInSizes().end()) {
            const Size size{m.width, m.height};
            if (builtInDefaultSizes().at(row->first) == size && m.pixelWidth == 2 * m.width)
                return true;
            return std::find(row->second.begin(), row->second.end(), size) != row->second.end();
        }
        return m.pixelWidth == 2 * m.width;
    }
    if (maxW < 3840) return true;
    static const int widths[] = {1504, 1920, 2560, 3008, 3840, 5120};
    const bool listed =
        std::find(std::begin(widths), std::end(widths), m.width) != std::end(widths);
    return listed && (m.pixelWidth == 2 * m.width || m.width == maxW);
}

} // namespace

bool isHiDPI(const DisplayMode& mode) {
    return mode.width < mode.pixelWidth;
}

bool areDisplayModesEqual(const DisplayMode& a, const DisplayMode& b) {
    return a.width == b.width && a.height == b.height && a.pixelWidth == b.pixelWidth &&
           a.pixelHeight == b.pixelHeight && std::abs(a.refreshRate - b.refreshRate) < 0.01;
}

std::vector<DisplayMode>
recommendedScalingModes(const std::optional<std::vector<DisplayMode>>& allModes, bool isBuiltIn,
                        const std::optional<DisplayMode>& current) {
    if (!allModes) return {};
    std::vector<DisplayMode> usable;
    for (const auto& m : *allModes)
        if (m.usableForDesktop && m.width > 0 && m.height > 0) usable.push_back(m);
    if (usable.empty()) return {};

    int maxW = 0, maxH = 0;
    for (const auto& m : usable)
        maxW = std::max(maxW, m.width);
    for (const auto& m : usable)
        if (m.width == maxW) maxH = std::max(maxH, m.height);
    const double nativeRatio = double(maxW) / double(maxH);

    // One mode per point size and HiDPI flag: the highest refresh rate, the first on a tie.
    std::vector<DisplayMode> kept;
    std::map<std::string, size_t> byKey;
    for (const auto& m : usable) {
        // A listed size of a known panel is offered even off the native ratio: the 16:10 sizes
        // of the notched panels would otherwise never show.
        const bool listed = isBuiltIn && builtInSizes().count({maxW, maxH});
        if (!listed && std::abs(nativeRatio - double(m.width) / double(m.height)) >= 0.05) continue;
        if (!passesSizeRule(m, isBuiltIn, maxW, maxH)) continue;
        const std::string key = std::to_string(m.width) + "x" + std::to_string(m.height) + "_" +
                                (isHiDPI(m) ? "true" : "false");
        auto it = byKey.find(key);
        if (it == byKey.end()) {
            byKey[key] = kept.size();
            kept.push_back(m);
        } else if (m.refreshRate > kept[it->second].refreshRate) {
            kept[it->second] = m;
        }
    }
    std::stable_sort(kept.begin(), kept.end(), ordered);
    if (current && std::none_of(kept.begin(), kept.end(), [&](const DisplayMode& m) {
            return areDisplayModesEqual(m, *current);
        })) {
        kept.push_back(*current);
        std::stable_sort(kept.begin(), kept.end(), ordered);
    }
    return kept;
}

std::string resolutionTitle(const DisplayMode& mode, const std::vector<DisplayMode>& catalogue) {
    std::string title = std::to_string(mode.width) + " x " + std::to_string(mode.height);
    if (mode.refreshRate > 0) {
        char hz[32];
        std::snprintf(hz, sizeof hz, " (%.0fHz)", mode.refreshRate);
        title += hz;
    }
    const bool hiDPISibling =
        std::any_of(catalogue.begin(), catalogue.end(), [&](const DisplayMode& m) {
            return isHiDPI(m) && m.width == mode.width && m.height == mode.height;
        });
    if (!isHiDPI(mode) && hiDPISibling) title += " (저해상도)";
    return title;
}

} // namespace modes
