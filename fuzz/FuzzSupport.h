#pragma once
// What the fuzz targets share: a scratch folder for inputs that arrive as files, and property
// values grown from the fuzzer's bytes for the fakes that stand in for the system.

#include "platform/Value.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace fuzz {

// A folder of this process, emptied for every input.
inline const std::string& scratch() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/nightlid-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern;
    }();
    return folder;
}

inline void clearScratch() {
    const std::string command =
        "rm -rf '" + scratch() + "'/* '" + scratch() + "'/.[!.]* 2>/dev/null";
    if (std::system(command.c_str()) != 0) {
    }
}

// Writes the input as a file in the scratch folder and returns its path.
inline std::string writeInput(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = scratch() + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    return path;
}

// Mostly the keys the program looks for, so the fuzzer reaches what is behind them.
inline std::string key(FuzzedDataProvider& in) {
    static const char* const known[] = {"EDID UUID",
                                        "DisplayAttributes",
                                        "ProductAttributes",
                                        "ManufacturerID",
                                        "ProductName",
                                        "SerialNumber",
                                        "AlphanumericSerialNumber",
                                        "Transport",
                                        "Upstream",
                                        "Downstream",
                                        "Location",
                                        "DisplayVendorID",
                                        "DisplayProductID",
                                        "DisplaySerialNumber",
                                        "DisplayYearManufacture",
                                        "DisplayWeekManufacture",
                                        "DisplayVerticalImageSize",
                                        "DisplayHorizontalImageSize",
                                        "IODisplayLocation",
                                        "DisplayProductName",
                                        "en_US",
                                        "Custom Profile",
                                        "AC Power",
                                        "Battery Power",
                                        "OptimizedBatteryCharging",
                                        "Label",
                                        "ProgramArguments"};
    if (in.ConsumeBool()) return in.ConsumeRandomLengthString(24);
    return known[in.ConsumeIntegralInRange<size_t>(0, std::size(known) - 1)];
}

// A property value as the system could hand one out, of any kind and nesting.
inline platform::Value value(FuzzedDataProvider& in, int depth = 0) {
    switch (in.ConsumeIntegralInRange<int>(0, depth > 3 ? 4 : 6)) {
    case 0:
        return platform::Value(in.ConsumeRandomLengthString(64));
    case 1:
        return platform::Value(in.ConsumeIntegral<int64_t>());
    case 2:
        return platform::Value(in.ConsumeFloatingPoint<double>());
    case 3:
        return platform::Value(in.ConsumeBool());
    case 4:
        return platform::Value(in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 32)));
    case 5: {
        platform::ValueArray items;
        for (int n = in.ConsumeIntegralInRange<int>(0, 4); n > 0; --n)
            items.push_back(value(in, depth + 1));
        return platform::Value(std::move(items));
    }
    default: {
        platform::ValueDict entries;
        for (int n = in.ConsumeIntegralInRange<int>(0, 5); n > 0; --n)
            entries.emplace_back(key(in), value(in, depth + 1));
        return platform::Value(std::move(entries));
    }
    }
}

} // namespace fuzz
