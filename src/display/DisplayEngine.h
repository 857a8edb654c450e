#pragma once
// The display registry: every online display with its name, built-in flag and DDC service.
// Also owns the serial DDC queue and the software-dimming overlays.

#include "display/ControlledDisplay.h"
#include "display/DimmerOverlayWindow.h"
#include "platform/Screens.h"
#include "platform/SerialQueue.h"

#include <deque>
#include <functional>
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

    // One DDC queue per monitor: a monitor's frames stay in order, and a monitor that does not
    // answer holds up no other monitor's reads or writes.
    platform::SerialQueue& ddcQueue(DisplayID id);
    // Waits until no monitor's queue has work left.
    void drainDDC();
    bool ddcIdle();
    std::vector<ControlledDisplay> displays;

    void refreshDisplays();
    std::optional<ControlledDisplay> builtInDisplay() const;
    std::vector<ControlledDisplay> externalDisplays() const;
    std::optional<platform::Screen> screen(DisplayID id) const;

    // Brightness and volume are fractions 0..1; the lowest tenth of a monitor's brightness is an
    // overlay. Writes are queued on the monitor's queue; a write still waiting there is replaced by
    // a newer one for the same display and VCP code, so a drag never builds a backlog. Reads and
    // power writes wait for every write queued before them.
    std::optional<float> brightness(const ControlledDisplay& display);
    // Told on the main queue whether the value has landed: for a monitor, its write
    // acknowledged and, where the monitor can be read, read back within one step of it; for the
    // panel, read back. A value replaced by a newer one before it went out tells what the newer
    // one did.
    using LandingHandler = std::function<void(bool landed)>;
    void setBrightness(float value, const ControlledDisplay& display,
                       LandingHandler onLanded = nullptr);
    void setVolume(float value, const ControlledDisplay& display);
    bool setPowerState(uint16_t value, const ControlledDisplay& display);

    // The latest value asked of a monitor for a VCP code, and when (the clock's microseconds).
    struct AskedValue {
        uint64_t at = 0;
        uint16_t value = 0;
    };
    std::optional<AskedValue> lastAsked(DisplayID id, uint8_t code) const;

    // Whether a monitor has answered on its link (a read, or a write acknowledged) since the
    // program started; told once per monitor, on the main queue, when it first does.
    bool hasAnswered(DisplayID id) const;
    std::function<void(DisplayID)> onFirstAnswer;

    // The brightness a monitor is known to hold: read from it, or a value it acknowledged since
    // it last refused one. Nothing while that is not known.
    std::optional<float> knownBrightness(DisplayID id) const;
    // What is known of a monitor's link: its brightness maximum (0: not known) and whether it
    // answers reads. An earlier run's knowledge, kept with a record, is taken where this run
    // has none, so a read-back that fails is a failure and a write goes out on the right scale.
    struct LinkKnowledge {
        uint16_t maximum = 0;
        bool readable = false;
    };
    LinkKnowledge linkKnowledge(DisplayID id) const;
    void rememberLink(DisplayID id, LinkKnowledge known);
    // A monitor whose own brightness is not known is never lowered over its link: what a
    // feature asks of it is the overlay alone, and nothing is guessed back onto it.
    void setLinkUntouched(DisplayID id, bool untouched);
    bool isLinkUntouched(DisplayID id) const;

    // Runs at once the landing handlers whose outcome is known (the main queue would run them
    // on its next turn): shut-down waits for the DDC queues and then takes them.
    void deliverLandings();

    // Main thread only.
    std::map<DisplayID, std::shared_ptr<DimmerOverlayWindow>> overlayWindows;

    // The DDC queues take part in the platform's virtual time, if it keeps one.
    DisplayEngine();

    // Set VCP frames to one monitor are sent at least this far apart.
    static constexpr uint32_t kFrameSpacingMicros = 50'000;
    // ... and a monitor that stopped answering gets a try this often while a drag goes on.
    static constexpr uint32_t kUnansweredSpacingMicros = 250'000;

  private:
    platform::WorkGate* gate_ = nullptr;
    std::mutex queuesMutex_;
    // Made once per monitor and kept for the engine's life: callers hold references.
    std::map<DisplayID, std::unique_ptr<platform::SerialQueue>> ddcQueues_;
    std::vector<platform::SerialQueue*> allQueues();

    // A brightness or volume value on its way to a monitor: sent twice (the transport's write
    // cycles), or replaced while it waits. Brightness goes out on the monitor's own scale
    // (fraction x its maximum), as it is read; volume as a percentage.
    struct PendingWrite {
        platform::AVServiceRef service;
        std::string name;
        float fraction = 0;
        bool scaled = false;
        std::vector<float> unlogged; // every value asked for, logged once each
        int framesLeft = 0;
        bool queued = false;
        bool lastChance = false;              // the next frame goes with every retry
        std::vector<LandingHandler> landings; // told how the latest value ends
    };
    using WriteKey = std::pair<DisplayID, uint8_t>;
    void queueWrite(const ControlledDisplay& display, uint8_t code, float fraction, bool scaled,
                    LandingHandler onLanded);
    void sendNextFrame(WriteKey key); // on the DDC queue
    void requeueFrame(WriteKey key);
    // On the DDC queue: the monitor's brightness maximum, read once when not yet known.
    uint16_t luminanceMaximum(DisplayID id, const platform::AVServiceRef& service);
    // On the DDC queue: whether the monitor now holds the value (within one step).
    bool readsBack(DisplayID id, const platform::AVServiceRef& service, uint8_t code,
                   float fraction, const std::string& name);
    void tellLanding(std::vector<LandingHandler> handlers, bool landed);
    uint16_t onScale(const PendingWrite& w, float fraction, DisplayID id) const;
    mutable std::mutex writesMutex_;
    std::map<WriteKey, PendingWrite> writes_;
    std::map<WriteKey, AskedValue> asked_;
    // Each monitor's entries are its own queue's; the maps are shared.
    mutable std::mutex pacingMutex_;
    std::map<DisplayID, uint64_t> lastFrameAt_;
    std::set<DisplayID> unanswered_; // the last frame failed
    bool isUnanswered(DisplayID id) const;
    // What reads taught of each monitor: its brightness maximum, and that it answers reads.
    mutable std::mutex monitorsMutex_;
    std::map<DisplayID, uint16_t> maxima_;
    std::set<DisplayID> readable_;
    std::set<DisplayID> answered_;
    std::map<DisplayID, float> known_;
    std::set<DisplayID> untouched_;
    void answered(DisplayID id);
    // A value read from the monitor or acknowledged by it, on the fractions the program uses.
    void knowValue(DisplayID id, float ddcFraction);
    // Landing outcomes waiting for the main queue.
    std::mutex landingsMutex_;
    std::deque<std::pair<std::vector<LandingHandler>, bool>> landed_;

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
