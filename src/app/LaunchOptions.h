#pragma once
// What the command line asked of this run, read before any platform exists.

#include <optional>
#include <string>

struct LaunchOptions {
    std::optional<std::string> machineFile;   // a machine description: run on a virtual Mac
    std::optional<std::string> profileFolder; // the virtual Mac's profile
    std::optional<std::string> scriptFile;
    std::optional<std::string> tourFolder;
    bool echoLog = false;
    bool virtualMac = false; // asked for by name, even where a real Mac is at hand
    bool realTime = false;   // a script or the tour on Qt's loop and the real clock

    // Without a window, in virtual time unless realTime.
    bool headless() const { return scriptFile || tourFolder; }
    // Everything but a plain launch needs the virtual Mac: scripts drive its devices.
    bool needsVirtualMac() const {
        return virtualMac || machineFile || profileFolder || headless();
    }
};
