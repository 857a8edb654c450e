#include "platform/sim/MachineFiles.h"

#include "platform/OutsideFiles.h"
#include "platform/PropertyList.h"
#include "platform/SystemLog.h"
#include "platform/SystemPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace sim {

namespace {

// A helper build is a few megabytes; nothing near this.
constexpr size_t kMaxHelperBytes = 256 * 1024 * 1024;

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

void writeFile(const std::string& path, const std::string& text, platform::SystemLog& log,
               platform::Durability durability, bool executable = false) {
    QDir().mkpath(QFileInfo(q(path)).absolutePath());
    std::string error;
    if (!platform::writeOutsideFile(path, text, error, executable ? 0755 : 0644, durability))
        log.write("Virtual Mac: " + error);
}

// What "system_profiler SPPowerDataType" prints about the battery.
std::string profilerScript(const BatteryDescription& b) {
    // Printed by the shell itself: a second program (cat) for a few lines doubled the cost of
    // every start of the battery card.
    std::string out = "#!/bin/sh\n[ \"$1\" = \"SPPowerDataType\" ] || exit 1\n";
    out += "printf '%s' 'Power:\n\n    Battery Information:\n\n      Health Information:\n"
           "          Cycle Count: " +
           std::to_string(b.cycleCount) + "\n          Condition: Normal\n";
    if (b.profilerMaxCapacity)
        out += "          Maximum Capacity: " + std::to_string(*b.profilerMaxCapacity) + "%\n";
    return out + "'\n";
}

} // namespace

void writeMachineFiles(const MachineDescription& d, platform::SystemPaths& paths,
                       platform::SystemLog& log, bool profileKept) {
    // A throwaway profile's files go with it when the run ends: nothing waits on the disk.
    const auto durability =
        profileKept ? platform::Durability::synced : platform::Durability::unsynced;
    // The system folders every Mac has.
    for (const char* folder : {"/Library/LaunchDaemons", "/Library/Application Support",
                               "/Library/Preferences/SystemConfiguration", "/usr/sbin"})
        QDir().mkpath(q(paths.map(folder)));
    // The bundle carries the helper built with this program: megabytes, copied in when something
    // first looks into the bundle (installing the helper, a check of its build), not at every
    // start.
    const std::string bundled = d.bundlePath + "/Contents/MacOS/nightlid-helper";
    const std::string helperInBundle = paths.map(bundled);
    paths.provideOnFirstUse(bundled, [&log, helperInBundle] {
        QDir().mkpath(QFileInfo(q(helperInBundle)).absolutePath());
        struct stat st {};
        std::string error;
        if (::lstat(helperInBundle.c_str(), &st) != 0 &&
            !platform::copyOutsideFile(NIGHTLID_HELPER_PATH, helperInBundle, kMaxHelperBytes, 0755,
                                       error))
            log.write("Virtual Mac: the bundle's helper is not copied: " + error);
    });
    // A profile that outlives the run holds the bundle whole, as a user finds it on disk.
    if (profileKept) paths.map(d.bundlePath);

    const std::string profiler = paths.map("/usr/sbin/system_profiler");
    if (d.battery && d.battery->hasProfiler)
        writeFile(profiler, profilerScript(*d.battery), log, durability, true);
    else
        QFile::remove(q(profiler));

    platform::Value onBattery, onAC, custom, settings;
    onBattery.set("OptimizedBatteryCharging",
                  d.battery && d.battery->optimizedChargingOnBattery ? 1 : 0);
    onAC.set("OptimizedBatteryCharging", d.battery && d.battery->optimizedChargingOnAC ? 1 : 0);
    custom.set("Battery Power", onBattery);
    custom.set("AC Power", onAC);
    settings.set("Custom Profile", custom);
    // Binary, as a Mac keeps it, unless the machine asks for the XML form.
    const bool xml = d.battery && d.battery->powerSettingsXML;
    writeFile(paths.map("/Library/Preferences/SystemConfiguration/com.apple.PowerManagement.plist"),
              xml ? platform::xmlPropertyList(settings) : platform::binaryPropertyList(settings),
              log, durability);
}

} // namespace sim
