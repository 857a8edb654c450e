#include "power/PowerStatus.h"

#include "app/BlackoutController.h"
#include "platform/IORegistry.h"
#include "platform/Platform.h"
#include "platform/PowerSources.h"
#include "platform/Processes.h"
#include "platform/RunLoop.h"
#include "platform/SerialQueue.h"

#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <limits>

namespace {

// "Is Charging" and the like: a Boolean or a number.
std::optional<int64_t> asInteger(const platform::Value* v) {
    if (!v) return std::nullopt;
    if (auto i = v->integer()) return i;
    if (auto b = v->boolean()) return *b ? 1 : 0;
    return std::nullopt;
}

// Registry integers are 64-bit; the card's fields are not.
std::optional<int> asInt(const platform::Value* v) {
    auto i = v ? v->integer() : std::nullopt;
    if (!i || *i < std::numeric_limits<int>::min() || *i > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(*i);
}

} // namespace

int maximumCapacityFromProfilerOutput(const std::string& output) {
    auto decoder = QStringDecoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(QByteArray::fromStdString(output));
    if (decoder.hasError()) return 0;
    for (const auto& line : text.split('\n')) {
        if (!line.contains("Maximum Capacity:")) continue;
        const auto parts = line.split(':');
        if (parts.size() < 2) continue;
        QString value = parts[1];
        value.remove('%');
        bool ok = false;
        const int parsed = value.trimmed().toInt(&ok);
        return ok ? parsed : 0;
    }
    return 0;
}

void BlackoutController::askSystemProfilerOnce() {
    // The profiler takes seconds on a real Mac, or never answers: it runs once, off the main
    // thread, and the card shows the registry's figure until its first answer.
    if (systemProfilerAsked) return;
    systemProfilerAsked = true;
    auto* global = platform::current().globalQueue;
    auto* main = &platform::mainQueue();
    auto* processes = platform::current().processes;
    auto ask = [processes, main] {
        std::optional<std::string> output;
        if (processes)
            output = processes->runTool("/usr/sbin/system_profiler", {"SPPowerDataType"});
        const int profiled = output ? maximumCapacityFromProfilerOutput(*output) : 0;
        main->async([profiled] {
            if (!hasShared() || profiled < 1) return;
            shared().cachedMaxCapacity = profiled;
            shared().updatePowerStatusUI();
        });
    };
    if (global)
        global->async(ask);
    else
        ask();
}

int BlackoutController::fetchMaximumCapacityFromSystemProfiler() {
    auto* processes = platform::current().processes;
    if (!processes) return 0;
    auto output = processes->runTool("/usr/sbin/system_profiler", {"SPPowerDataType"});
    return output ? maximumCapacityFromProfilerOutput(*output) : 0;
}

PowerStatus BlackoutController::fetchPowerStatus() {
    PowerStatus s;
    auto& p = platform::current();
    if (p.powerSources)
        if (auto sources = p.powerSources->powerSourceDescriptions())
            for (const auto& d : *sources) {
                const auto* type = d.find("Type");
                if (!type || type->string() != "InternalBattery") continue;
                if (auto percent = asInt(d.find("Current Capacity"))) s.percent = *percent;
                s.isCharging = asInteger(d.find("Is Charging")).value_or(0) != 0;
                const auto* state = d.find("Power Source State");
                const bool ac = state && state->string() == "AC Power";
                s.isConnected = s.isDrawingFromAC = ac;
            }

    auto* registry = p.ioRegistry;
    auto battery = registry ? registry->matchingService("AppleSmartBattery") : nullptr;
    auto properties = battery ? registry->createCFProperties(battery) : std::nullopt;
    if (!properties) return s;
    const auto& props = *properties;
    if (const auto* external = props.find("ExternalConnected")) {
        if (auto b = external->boolean(); external->isBool())
            s.isConnected = *b;
        else if (auto i = external->integer())
            s.isConnected = *i != 0;
    }
    if (const auto* fed = props.find("FedDetails"); fed && fed->array())
        for (const auto& entry : *fed->array()) {
            const auto* v = entry.find("FedExternalConnected");
            if (v && (v->integer() == 1 || (v->isBool() && *v->boolean()))) s.isConnected = true;
        }
    if (const auto* ports = props.find("PortControllerInfo"); ports && ports->array())
        for (const auto& entry : *ports->array()) {
            const auto power = asInt(entry.find("PortControllerMaxPower"));
            if (!power || *power <= 0) continue;
            s.isConnected = true;
            if (!s.watts) s.watts = *power / 1000;
        }
    s.cycleCount = asInt(props.find("CycleCount")).value_or(0);
    if (const auto* adapter = props.find("AdapterDetails"); adapter && adapter->isDict())
        s.watts = asInt(adapter->find("Watts"));
    if (auto failure = props.find("PermanentFailureStatus");
        failure && failure->integer() && *failure->integer() != 0) {
        s.condition = "교체 필요";
    } else if (const auto* health = props.find("BatteryHealth"); health && health->string()) {
        s.condition = *health->string() == "Check Battery" ? "확인 필요" : "정상";
    }
    if (cachedMaxCapacity) {
        s.healthPercent = *cachedMaxCapacity;
    } else {
        askSystemProfilerOnce();
        const auto raw = asInt(props.find("AppleRawMaxCapacity"));
        const auto design = asInt(props.find("DesignCapacity"));
        if (raw && design && *design > 0)
            // Capped before it becomes an int: a huge ratio must not wrap around.
            s.healthPercent = int(std::clamp(double(*raw) / double(*design) * 100, 0.0, 100.0));
    }
    return s;
}

std::string BlackoutController::getConditionTranslation(const std::string& condition) const {
    if (!isEnglish()) return condition;
    if (condition == "정상") return "Normal";
    if (condition == "교체 필요") return "Service Recommended";
    if (condition == "확인 필요") return "Check Battery";
    return condition;
}

void BlackoutController::installPowerSourceNotification() {
    if (auto* sources = platform::current().powerSources)
        sources->addPowerSourceNotification([] {
            platform::mainQueue().async([] {
                if (hasShared()) shared().updatePowerStatusUI();
            });
        });
}
