// The limit and calibration files: as the helper reads them at every tick, and as the program
// reads them for its card.

#include "FuzzSupport.h"
#include "helper/HelperCore.h"
#include "platform/Platform.h"
#include "platform/SystemPaths.h"
#include "power/HelperFiles.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::clearScratch();
    FuzzedDataProvider in(data, size);
    const std::string limit = in.ConsumeRandomLengthString(200);
    const std::string calibration = in.ConsumeRandomLengthString(200);
    // The clock's time, not the input's: from 1970 to the year 36812.
    const int64_t now = in.ConsumeIntegralInRange<int64_t>(0, int64_t(1) << 40);
    helper::BatteryReading reading{in.ConsumeIntegralInRange<int>(0, 100), in.ConsumeBool()};

    const std::string folder = fuzz::scratch() + "/Library/Application Support/Nightlid";
    std::filesystem::create_directories(folder);
    fuzz::writeInput("Library/Application Support/Nightlid/limit.txt",
                     reinterpret_cast<const uint8_t*>(limit.data()), limit.size());
    fuzz::writeInput("Library/Application Support/Nightlid/calibration.txt",
                     reinterpret_cast<const uint8_t*>(calibration.data()), calibration.size());

    helper::HelperCore core(folder, [](const std::string&) {});
    core.tick(now, reading);
    core.tick(now + 2, reading);
    if (core.limit() != 0 && (core.limit() < 50 || core.limit() > 100)) __builtin_trap();

    // A calibration line the helper accepts is written back as one it reads the same.
    std::string error;
    if (auto state = helper::parseCalibration(calibration, error)) {
        auto again = helper::parseCalibration(helper::formatCalibration(*state), error);
        if (!again || again->kind != state->kind || again->limit != state->limit ||
            again->weeks != state->weeks ||
            (state->kind == helper::CalibrationState::Kind::scheduled &&
             again->startTime != state->startTime))
            __builtin_trap();
    }

    // The program's own reads, through the machine's paths.
    static platform::SystemPaths paths(fuzz::scratch());
    static platform::Platform platform = [] {
        platform::Platform p;
        p.paths = &paths;
        return p;
    }();
    platform::setCurrent(&platform);
    std::string refusal;
    if (auto text =
            power::readHelperFile("/Library/Application Support/Nightlid/limit.txt", refusal))
        (void)helper::parseLimit(*text, error);
    if (auto text =
            power::readHelperFile("/Library/Application Support/Nightlid/calibration.txt", refusal))
        (void)helper::parseCalibration(QString::fromStdString(*text).trimmed().toStdString(),
                                       error);
    return 0;
}
