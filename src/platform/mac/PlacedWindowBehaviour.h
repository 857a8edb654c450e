#pragma once
// How AppKit must hold the windows the program places over whole screens. Qt makes a tool
// window an NSPanel, and AppKit hides panels whenever their application is not active: for a
// menu-bar utility that is nearly always, so an overlay or a black window would vanish the
// moment the user clicked elsewhere.

#include <cstdint>

namespace mac {

// NSWindowCollectionBehavior's bits.
namespace WindowCollection {
constexpr uint64_t canJoinAllSpaces = 1u << 0;
constexpr uint64_t moveToActiveSpace = 1u << 1;
constexpr uint64_t managed = 1u << 2;
constexpr uint64_t transient = 1u << 3;
constexpr uint64_t stationary = 1u << 4;
constexpr uint64_t participatesInCycle = 1u << 5;
constexpr uint64_t ignoresCycle = 1u << 6;
constexpr uint64_t fullScreenPrimary = 1u << 7;
constexpr uint64_t fullScreenAuxiliary = 1u << 8;
constexpr uint64_t fullScreenNone = 1u << 9;
} // namespace WindowCollection

struct PlacedWindowBehaviour {
    bool alwaysShowToolWindow = true; // Qt's Qt::WA_MacAlwaysShowToolWindow
    bool hidesOnDeactivate = false;   // NSWindow.hidesOnDeactivate
    bool canHide = false;             // NSWindow.canHide: Hide Nightlid leaves it on screen
    uint64_t collectionBehavior = WindowCollection::canJoinAllSpaces;
};

// requested: the collection behaviour the window asks for. The result is one AppKit accepts:
// it joins every Space, and of each set of exclusive bits it keeps one.
PlacedWindowBehaviour placedWindowBehaviour(uint64_t requested);

} // namespace mac
