#pragma once
// CoreGraphics gamma transfer tables and the ColorSync reset.

#include "platform/Displays.h"

#include <cstdint>

namespace platform {

class TransferTables {
  public:
    virtual ~TransferTables() = default;
    // CGGetDisplayTransferByTable: fills up to capacity samples per channel.
    virtual CGError getDisplayTransferByTable(DisplayID id, uint32_t capacity, float* red,
                                              float* green, float* blue, uint32_t* sampleCount) = 0;
    // CGSetDisplayTransferByTable.
    virtual CGError setDisplayTransferByTable(DisplayID id, uint32_t tableSize, const float* red,
                                              const float* green, const float* blue) = 0;
    // CGDisplayRestoreColorSyncSettings: every display back to its ColorSync table.
    virtual void restoreColorSyncSettings() = 0;
};

} // namespace platform
