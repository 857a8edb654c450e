#include "platform/sim/SimDisplayModes.h"

#include <algorithm>

namespace sim {

using platform::DisplayMode;

namespace {

DisplayMode hi(int w, int h, double hz, bool usable = true) {
    return {w, h, 2 * w, 2 * h, hz, usable};
}
DisplayMode lo(int w, int h, double hz) {
    return {w, h, w, h, hz, true};
}

const std::map<std::string, std::vector<DisplayMode>>& presets() {
    static const std::map<std::string, std::vector<DisplayMode>> all = {
        // A 14-inch notched panel: its own sizes and the 16:10 ones below the notch.
        {"macbook-3024x1964",
         {lo(3024, 1964, 120), hi(1147, 745, 120), hi(1352, 878, 120), hi(1512, 982, 120),
          lo(1512, 982, 120), hi(1800, 1169, 120), hi(1160, 725, 120), hi(1352, 845, 120),
          hi(1512, 945, 120), hi(1800, 1125, 120), hi(800, 500, 120, false)}},
        // A 13-inch notched panel, 1470 x 956 by default.
        {"macbook-2560x1664",
         {lo(2560, 1664, 60), hi(1024, 666, 60), hi(1280, 832, 60), hi(1440, 936, 60),
          hi(1470, 956, 60), lo(1470, 956, 60), hi(1710, 1112, 60)}},
        // A 27-inch 4K monitor, 2560 x 1440 looking by default.
        {"4k",
         {lo(3840, 2160, 60), lo(3840, 2160, 30), hi(1280, 720, 60), hi(1920, 1080, 60),
          hi(2560, 1440, 60), hi(3008, 1692, 60), lo(2560, 1440, 60), lo(1920, 1080, 60),
          lo(1600, 900, 60), lo(1280, 720, 60), lo(1024, 768, 60)}},
        // A 2560 x 1440 monitor without HiDPI modes.
        {"1440p",
         {lo(2560, 1440, 144), lo(2560, 1440, 60), lo(2048, 1152, 60), lo(1920, 1080, 60),
          lo(1680, 1050, 60), lo(1280, 720, 60), lo(1024, 768, 60)}},
        // A television over HDMI.
        {"1080p",
         {lo(1920, 1080, 60), lo(1920, 1080, 30), lo(1600, 900, 60), lo(1280, 720, 60),
          lo(1024, 768, 60), lo(720, 480, 60)}},
    };
    return all;
}

bool overlaps(const platform::Rect& a, const platform::Rect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

DisplayDescription* find(std::vector<DisplayDescription>& displays, DisplayID id) {
    for (auto& d : displays)
        if (d.id == id && d.online) return &d;
    return nullptr;
}

} // namespace

std::optional<std::vector<DisplayMode>> modePreset(const std::string& name) {
    auto it = presets().find(name);
    if (it == presets().end()) return std::nullopt;
    return it->second;
}

const std::vector<std::string>& modePresetNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const auto& [name, modes] : presets())
            out.push_back(name);
        return out;
    }();
    return names;
}

DisplayMode modeForFrame(const platform::Rect& frame, bool builtIn) {
    const int w = int(frame.width), h = int(frame.height), scale = builtIn ? 2 : 1;
    return {w, h, w * scale, h * scale, 60, true};
}

std::optional<size_t> modeMatchingFrame(const std::vector<DisplayMode>& modes,
                                        const platform::Rect& frame) {
    std::optional<size_t> best;
    for (size_t i = 0; i < modes.size(); ++i) {
        const auto& m = modes[i];
        if (m.width != int(frame.width) || m.height != int(frame.height) || !m.usableForDesktop)
            continue;
        if (!best) {
            best = i;
            continue;
        }
        const auto& b = modes[*best];
        const bool hiM = m.pixelWidth > m.width, hiB = b.pixelWidth > b.width;
        if ((hiM && !hiB) || (hiM == hiB && m.refreshRate > b.refreshRate)) best = i;
    }
    return best;
}

std::optional<std::string> applyConfiguration(std::vector<DisplayDescription>& displays,
                                              const PendingConfiguration& config) {
    auto work = displays;
    const std::string prefix = "display ";
    for (const auto& [id, mode] : config.modes) {
        auto* d = find(work, id);
        if (!d) return prefix + std::to_string(id) + " is not online";
        if (std::find(d->modes.begin(), d->modes.end(), mode) == d->modes.end() ||
            !mode.usableForDesktop)
            return prefix + std::to_string(id) + " has no mode " + std::to_string(mode.width) +
                   "x" + std::to_string(mode.height);
    }
    for (const auto& [id, master] : config.mirrors) {
        if (!find(work, id)) return prefix + std::to_string(id) + " is not online";
        if (master == id) return prefix + std::to_string(id) + " cannot mirror itself";
        if (master == 0) continue;
        if (!find(work, master)) return "mirror master " + std::to_string(master) + " is offline";
        auto m = config.mirrors.find(master);
        const DisplayID mastersMaster =
            m != config.mirrors.end() ? m->second : find(work, master)->mirrorOf;
        if (mastersMaster != 0)
            return "mirror master " + std::to_string(master) + " mirrors another display";
    }
    for (const auto& [id, origin] : config.origins) {
        auto* d = find(work, id);
        if (!d) return prefix + std::to_string(id) + " is not online";
        d->frame.x = origin.first;
        d->frame.y = origin.second;
    }
    // A display that changes size pushes the displays right of and below it along.
    for (const auto& [id, mode] : config.modes) {
        auto* d = find(work, id);
        const auto old = d->frame;
        d->currentMode =
            size_t(std::find(d->modes.begin(), d->modes.end(), mode) - d->modes.begin());
        d->frame.width = mode.width;
        d->frame.height = mode.height;
        const double dw = mode.width - old.width, dh = mode.height - old.height;
        for (auto& e : work) {
            if (&e == d || !e.online || e.mirrorOf) continue;
            if (e.frame.x >= old.x + old.width)
                e.frame.x += dw;
            else if (e.frame.y >= old.y + old.height)
                e.frame.y += dh;
        }
    }
    for (const auto& [id, master] : config.mirrors) {
        auto* d = find(work, id);
        const bool wasMirroring = d->mirrorOf != 0;
        d->mirrorOf = master;
        d->hasScreen = master == 0;
        if (master != 0 || !wasMirroring) continue;
        // Back in the desktop: to the right of everything unless its place is free.
        bool clash = false;
        double right = 0;
        for (const auto& e : work) {
            if (&e == d || !e.online || e.mirrorOf) continue;
            clash = clash || overlaps(e.frame, d->frame);
            right = std::max(right, e.frame.x + e.frame.width);
        }
        if (clash) d->frame.x = right, d->frame.y = 0;
    }
    // Some desktop display is always at the origin: that is the main display.
    const DisplayDescription* origin = nullptr;
    for (const auto& e : work)
        if (e.online && !e.mirrorOf && e.frame.x == 0 && e.frame.y == 0) origin = &e;
    if (!origin)
        for (const auto& e : work)
            if (e.online && !e.mirrorOf) {
                const double x0 = e.frame.x, y0 = e.frame.y;
                for (auto& f : work)
                    f.frame.x -= x0, f.frame.y -= y0;
                break;
            }
    for (auto& e : work)
        if (e.online && e.mirrorOf)
            if (auto* m = find(work, e.mirrorOf)) e.frame.x = m->frame.x, e.frame.y = m->frame.y;
    displays = std::move(work);
    return std::nullopt;
}

} // namespace sim
