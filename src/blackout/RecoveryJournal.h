#pragma once
// The one owner of what displays looked like before the program darkened them, kept on disk so
// that the next start undoes it after a crash or a kill: a monitor left at DDC luminance 0 stays
// dark when the process dies, and the gamma table reverting does not help it. Every change is on
// disk before the hardware is touched.
//
// Each darkening feature holds a display for a reason ("off", "dim", "zen", "pomodoro"). The
// first one records the brightness the display had; a feature that darkens a display that is
// already dark joins that record instead of reading the lowered value. When the last reason is
// released the record stays, as a restore, until the display has its light back: a restore
// that was only asked, or that failed, is still owed at the next start.

#include "platform/Displays.h"

#include <QByteArray>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class SystemLog;
}

class RecoveryJournal {
  public:
    struct DarkDisplay {
        platform::DisplayID id = 0;
        std::string name;
        bool builtIn = false;
        float brightness = 0.5f; // what to bring it back to
        std::string reason;      // "off", "dim", ...: one entry per reason
        std::string identity;    // which monitor it is (maker, model, serial); empty: unknown
        // The display may have taken a darkening value: a panel, or a monitor that had answered
        // on its link. One that never answered was never darkened over it, and its light is
        // not waited for.
        bool answered = true;
        // What the run that darkened it knew of the monitor's link: its brightness maximum
        // (0: not known) and whether it answered reads, so its restore is written on its own
        // scale and seen back also after a restart.
        int maximum = 0;
        bool readable = false;
        // Another connected display had the same identity when it was darkened: the identity
        // cannot tell them apart, so the record never follows it to another ID.
        bool ambiguous = false;
        // Set aside while another monitor has its ID: the ID it had (0: it has its own).
        platform::DisplayID home = 0;
    };
    // No feature holds the display any more, but its light is not known to be back yet.
    static constexpr const char* restoreReason = "restore";
    // What a journal of an earlier version calls a display lit again once it is plugged in.
    static constexpr const char* olderRestoreReason = "away";
    // What is read of a journal at most: anything larger is not ours.
    static constexpr int64_t maxFileBytes = 256 * 1024;
    static constexpr size_t maxEntries = 512;

    // Reads what an earlier run left (a damaged journal is copied aside with a log line).
    RecoveryJournal(std::string path, platform::SystemLog* log);

    // A display about to be darkened for a reason. A display already held (or still owed its
    // light) keeps the brightness of its first record; returns the brightness recorded for it.
    float recordDisplay(const DarkDisplay& entry);
    // Lets go of one reason; when none is left, the brightness to bring the display back to,
    // which stays recorded as a restore until it has landed.
    std::optional<float> releaseDisplay(platform::DisplayID id, const std::string& reason);
    // Every reason of a display becomes one restore (an earlier run's holds, at launch).
    void releaseAll(platform::DisplayID id);
    // A restore owed to a display that no feature holds: of the given brightness, created if
    // the display has no record.
    void owe(const DarkDisplay& entry);
    // The display has its light back: its restore goes (never a hold). True when one went.
    bool landed(platform::DisplayID id);
    // The display's records are those of another ID now (the same monitor came back under it).
    void moveDisplay(platform::DisplayID from, platform::DisplayID to,
                     platform::DisplayID home = 0);
    // The records of two IDs trade places (either may have none).
    void swapDisplays(platform::DisplayID a, platform::DisplayID b);
    std::optional<float> preDarkBrightness(platform::DisplayID id) const;
    // The monitor answered on its link while darkened: its light must be seen back.
    void markAnswered(platform::DisplayID id);
    // What is known of the monitor's link now, kept with its records.
    void learnLink(platform::DisplayID id, int maximum, bool readable);
    // The record of a display (its first entry), if any.
    std::optional<DarkDisplay> record(platform::DisplayID id) const;
    bool mayHaveTakenDark(platform::DisplayID id) const;
    std::string identity(platform::DisplayID id) const;
    bool holds(platform::DisplayID id, const std::string& reason) const;
    // Held by a feature that is still under way (not merely owed its light).
    bool isHeld(platform::DisplayID id) const;
    // Any record: held, or owed its light.
    bool hasRecord(platform::DisplayID id) const;
    bool owesLight(platform::DisplayID id) const;

    // The keyboards' levels before the first feature turned them off; later calls keep them.
    void recordKeyboards(const std::map<uint64_t, float>& levels);
    void clearKeyboards();

    const std::vector<DarkDisplay>& displays() const { return displays_; }
    const std::map<uint64_t, float>& keyboards() const { return keyboards_; }
    bool empty() const { return displays_.empty() && keyboards_.empty(); }
    const std::string& path() const { return path_; }
    // The file was there but could not be read whole: what it said of some display is lost.
    bool wasDamaged() const { return damaged_; }

  private:
    void load();
    void loadJournal();
    bool parse(const QByteArray& bytes);
    // A journal set aside unread by an earlier run, readable now: its records come back.
    void takeBackSetAside();
    void keepDamagedCopy(const std::string& why);
    void write();

    std::string path_;
    platform::SystemLog* log_;
    std::vector<DarkDisplay> displays_;
    std::map<uint64_t, float> keyboards_;
    bool damaged_ = false;
    // A journal that could be neither read nor moved: never written over nor removed unread.
    bool keepOut_ = false;
};
