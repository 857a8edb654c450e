#include "platform/mac/PlacedWindowBehaviour.h"

#include <initializer_list>

namespace mac {

namespace {

// Keeps the first bit of group that is set in behaviour, in the order given, and drops the rest.
uint64_t keepOne(uint64_t behaviour, std::initializer_list<uint64_t> group) {
    bool kept = false;
    for (uint64_t bit : group) {
        if (!(behaviour & bit)) continue;
        if (kept) behaviour &= ~bit;
        kept = true;
    }
    return behaviour;
}

} // namespace

PlacedWindowBehaviour placedWindowBehaviour(uint64_t requested) {
    using namespace WindowCollection;
    // AppKit raises when a window asks for two exclusive behaviours; joining all Spaces rules out
    // following the active one.
    uint64_t behaviour = (requested | canJoinAllSpaces) & ~moveToActiveSpace;
    behaviour = keepOne(behaviour, {stationary, transient, managed});
    behaviour = keepOne(behaviour, {ignoresCycle, participatesInCycle});
    behaviour = keepOne(behaviour, {fullScreenAuxiliary, fullScreenNone, fullScreenPrimary});
    PlacedWindowBehaviour out;
    out.collectionBehavior = behaviour;
    return out;
}

} // namespace mac
