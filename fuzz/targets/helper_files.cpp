// The limit and calibration files: as the helper reads them at every tick, and as the program
// reads them for its card.

#include "FuzzSupport.h"
#include "helper/HelperCore.h"
#include "platform/Platform.h"
#include "platform/SystemLog.h"
#include "platform/SystemPaths.h"
#include "power/HelperFiles.h"

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

    helper::HelperCore core(fuzz::scratch(), "/Library/Application Support/Nightlid",
                            [](const std::string&) {});
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
    static platform::SystemLog log;
    static platform::Platform platform = [] {
        platform::Platform p;
        p.paths = &paths;
        p.log = &log;
        return p;
    }();
    platform::setCurrent(&platform);
    log.clear();
    // One reader, one answer: the card shows what the helper enforces.
    std::string refusal;
    const auto limitFile = power::readLimitFile(refusal);
    const int shown = limitFile.state == helper::LimitFile::State::value ? limitFile.value : 0;
    if (shown != core.limit()) __builtin_trap();
    const auto calibrationFile = power::readCalibrationFile(refusal);
    const auto shownKind = calibrationFile.state == helper::CalibrationFile::State::value
                               ? calibrationFile.value.kind
                               : helper::CalibrationState::Kind::inactive;
    if (shownKind != core.calibration().kind) __builtin_trap();
    return 0;
}
