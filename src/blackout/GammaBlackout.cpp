#include "app/BlackoutController.h"
#include "platform/Platform.h"
#include "platform/SystemLog.h"
#include "platform/TransferTables.h"

namespace {
constexpr uint32_t kReadCapacity = 1024;
constexpr uint32_t kBlackTableSize = 256;
} // namespace

bool BlackoutController::saveOriginalGammaTable(DisplayID displayID) {
    auto* tables = platform::current().transferTables;
    if (!tables) return false;
    std::vector<float> red(kReadCapacity, 0), green(kReadCapacity, 0), blue(kReadCapacity, 0);
    uint32_t count = 0;
    auto error = tables->getDisplayTransferByTable(displayID, kReadCapacity, red.data(),
                                                   green.data(), blue.data(), &count);
    if (error != platform::kCGErrorSuccess || count == 0) return false;
    count = std::min(count, kReadCapacity);
    GammaTable saved;
    saved.red.assign(red.begin(), red.begin() + count);
    saved.green.assign(green.begin(), green.begin() + count);
    saved.blue.assign(blue.begin(), blue.begin() + count);
    saved.sampleCount = count;
    originalGammaTables[displayID] = std::move(saved);
    return true;
}

void BlackoutController::blackoutDisplayViaGamma(DisplayID displayID) {
    // A second blackout must never save the black table over the original.
    if (!originalGammaTables.count(displayID)) saveOriginalGammaTable(displayID);
    auto* tables = platform::current().transferTables;
    if (!tables) return;
    std::vector<float> zeros(kBlackTableSize, 0);
    auto error = tables->setDisplayTransferByTable(displayID, kBlackTableSize, zeros.data(),
                                                   zeros.data(), zeros.data());
    if (error != platform::kCGErrorSuccess)
        platform::logf("Failed to set display gamma table to black for display %u, error: %d",
                       displayID, error);
}

void BlackoutController::restoreDisplayViaGamma(DisplayID displayID) {
    auto* tables = platform::current().transferTables;
    if (!tables) return;
    auto it = originalGammaTables.find(displayID);
    if (it == originalGammaTables.end()) {
        tables->restoreColorSyncSettings();
        return;
    }
    const auto& saved = it->second;
    auto error = tables->setDisplayTransferByTable(displayID, saved.sampleCount, saved.red.data(),
                                                   saved.green.data(), saved.blue.data());
    if (error != platform::kCGErrorSuccess) {
        platform::logf("Failed to restore gamma table for display %u, error: %d. Falling back to "
                       "default settings.",
                       displayID, error);
        tables->restoreColorSyncSettings();
    }
    originalGammaTables.erase(it);
}
