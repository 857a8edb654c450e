#pragma once
// The display registry: every online display with its name, built-in flag and DDC service.
// Also owns the serial DDC queue and the software-dimming overlays.

#include "display/ControlledDisplay.h"
#include "display/DimmerOverlayWindow.h"
#include "platform/Screens.h"
#include "platform/SerialQueue.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

class DisplayEngine : public std::enable_shared_from_this<DisplayEngine> {
  public:
    static DisplayEngine& shared();
    // Ends the shared engine (process end, or between tests on fresh machines).
    static void tearDownShared();
    static bool hasShared();

    platform::SerialQueue ddcQueue{"Duskpane.DDC"};
    std::vector<ControlledDisplay> displays;

    void refreshDisplays();
    std::optional<ControlledDisplay> builtInDisplay() const;
    std::vector<ControlledDisplay> externalDisplays() const;
    std::optional<platform::Screen> screen(DisplayID id) const;

    // Brightness and volume are fractions 0..1; the lowest tenth of a monitor's brightness is an
    // overlay. Writes are queued on ddcQueue; a write still waiting there is replaced by a newer
    // one for the same display and VCP code, so a drag never builds a backlog. Reads and power
    // writes wait for every write queued before them.
    std::optional<float> brightness(const ControlledDisplay& display);
    void setBrightness(float value, const ControlledDisplay& display);
    void setVolume(float value, const ControlledDisplay& display);
    bool setPowerState(uint16_t value, const ControlledDisplay& display);

    // The latest value asked of a monitor for a VCP code, and when (the clock's microseconds).
    struct AskedValue {
        uint64_t at = 0;
        uint16_t value = 0;
    };
    std::optional<AskedValue> lastAsked(DisplayID id, uint8_t code) const;

    // Main thread only.
    std::map<DisplayID, std::shared_ptr<DimmerOverlayWindow>> overlayWindows;

    // The DDC queue takes part in the platform's virtual time, if it keeps one.
    DisplayEngine();

    // Set VCP frames to one monitor are sent at least this far apart.
    static constexpr uint32_t kFrameSpacingMicros = 50'000;
    // ... and a monitor that stopped answering gets a try this often while a drag goes on.
    static constexpr uint32_t kUnansweredSpacingMicros = 250'000;

  private:
    // A brightness or volume value on its way to a monitor: sent twice (the transport's write
    // cycles), or replaced while it waits.
    struct PendingWrite {
        platform::AVServiceRef service;
        std::string name;
        uint16_t value = 0;
        std::vector<uint16_t> unlogged; // every value asked for, logged once each
        int framesLeft = 0;
        bool queued = false;
        bool lastChance = false; // the next frame goes with every retry
    };
    using WriteKey = std::pair<DisplayID, uint8_t>;
    void queueWrite(const ControlledDisplay& display, uint8_t code, uint16_t value);
    void sendNextFrame(WriteKey key); // on the DDC queue
    void requeueFrame(WriteKey key);
    mutable std::mutex writesMutex_;
    std::map<WriteKey, PendingWrite> writes_;
    std::map<WriteKey, AskedValue> asked_;
    std::map<DisplayID, uint64_t> lastFrameAt_; // DDC queue only
    std::set<DisplayID> unanswered_;            // DDC queue only: the last frame failed

    struct MatchedServices {
        std::vector<DisplayID> externalIDs;
        uint64_t generation = 0;
        std::map<DisplayID, platform::AVServiceRef> services;
    };
    std::optional<MatchedServices> matched_;

    // The last value below 0.1 asked of each monitor: the part of its range that is an overlay.
    std::mutex softwareDimmingMutex_;
    std::map<DisplayID, float> softwareDimming_;

    // The refreshed record of the display, or the caller's own when it left the registry.
    ControlledDisplay resolve(const ControlledDisplay& display);
    void applyOverlay(DisplayID id, float alpha);
    void removeOverlaysNotIn(const std::vector<DisplayID>& online);
};
