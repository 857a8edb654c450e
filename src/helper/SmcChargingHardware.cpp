#include "helper/SmcChargingHardware.h"

namespace helper {

namespace {

using smc::fourCC;
constexpr smc::FourCC kCHTE = fourCC("CHTE"), kCHIE = fourCC("CHIE");
constexpr smc::FourCC kCH0B = fourCC("CH0B"), kCH0C = fourCC("CH0C"), kCH0I = fourCC("CH0I");

// Newer firmware: CHTE 1 stops charging; CHIE 0x08 takes the machine off its adapter.
constexpr uint32_t kNewerStop = 1, kNewerOffAdapter = 0x08;
// Older firmware: CH0B and CH0C 0x02 stop charging; CH0I 0x01 takes it off its adapter.
constexpr uint32_t kOlderStop = 0x02, kOlderOffAdapter = 0x01;

// A one-byte key is taken as a small number or as a raw byte; nothing else is written to.
bool oneByteType(smc::FourCC type) {
    return type == smc::types::ui8 || type == smc::types::hex;
}

struct Probe {
    bool found = false;
    bool unreachable = false; // the controller did not answer at all
    std::string text;         // "CHTE missing", "CH0B found", ...
};

class UncontrolledCharging : public ChargingHardware {
  public:
    explicit UncontrolledCharging(std::string why) : why_(std::move(why)) {}
    std::optional<BatteryReading> read() override { return std::nullopt; }
    bool apply(const ChargeControl&, std::string& error) override {
        error = why_;
        return false;
    }
    std::string whyNotControlled() const override { return why_; }
    bool restoreNormalCharging(std::string&) override { return true; }

  private:
    std::string why_;
};

} // namespace

std::unique_ptr<ChargingHardware> makeUncontrolledCharging(std::string why) {
    return std::make_unique<UncontrolledCharging>(std::move(why));
}

SmcChargingHardware::SmcChargingHardware(std::unique_ptr<smc::Transport> transport,
                                         std::unique_ptr<BatteryGauge> gauge, Log log)
    : transport_(std::move(transport)), gauge_(std::move(gauge)), client_(*transport_),
      log_(std::move(log)) {
    detect();
}

void SmcChargingHardware::detect() {
    std::string detail;
    order_ = smc::detectByteOrder(client_, detail);
    log_(order_ ? "nightlid-helper: SMC byte order " + std::string(smc::byteOrderName(*order_)) +
                      " (" + detail + ")"
                : "nightlid-helper: the SMC's byte order is unknown (" + detail + ")");

    auto probe = [this](smc::FourCC key, bool oneByte) {
        Probe p;
        smc::Failure failure;
        const auto info = client_.keyInfo(key, failure);
        const std::string name = smc::fourCCText(key);
        if (!info) {
            p.unreachable = failure.kind == smc::Failure::Kind::transport;
            p.text = failure.kind == smc::Failure::Kind::refused ? name + " missing" : failure.text;
            return p;
        }
        p.found = oneByte ? info->dataSize == 1 && oneByteType(info->dataType)
                          : info->dataSize == 4 && info->dataType == smc::types::ui32;
        p.text = p.found ? name + " found"
                         : name + " is " + smc::fourCCText(info->dataType) + " of " +
                               std::to_string(info->dataSize) + " bytes, not " +
                               (oneByte ? "one byte" : "ui32");
        return p;
    };
    const Probe chte = probe(kCHTE, false), ch0b = probe(kCH0B, true), ch0c = probe(kCH0C, true);
    for (const Probe* p : {&chte, &ch0b, &ch0c})
        if (p->unreachable) {
            notControlled_ = "the SMC did not answer (" + p->text + ")";
            log_("nightlid-helper: " + notControlled_ + "; nothing is enforced");
            return;
        }
    if (chte.found && order_)
        keys_ = Keys::newer;
    else if (ch0b.found && ch0c.found)
        keys_ = Keys::older;
    if (keys_ == Keys::none) {
        notControlled_ = "this Mac's SMC has no charging keys the helper knows (" + chte.text +
                         (chte.found ? " but its byte order is unknown" : "") + ", " + ch0b.text +
                         ", " + ch0c.text + ")";
        log_("nightlid-helper: " + notControlled_ + "; nothing is enforced");
        return;
    }

    const smc::FourCC adapter = keys_ == Keys::newer ? kCHIE : kCH0I;
    const Probe bypass = probe(adapter, true);
    if (bypass.found) adapterKey_ = adapter;
    log_("nightlid-helper: charging through " +
         std::string(keys_ == Keys::newer ? "CHTE" : "CH0B and CH0C") +
         (bypass.found ? ", the adapter through " + smc::fourCCText(adapter)
                       : "; no adapter bypass (" + bypass.text +
                             "): a calibration discharges only while unplugged"));

    std::string error;
    if (!restoreNormalCharging(error)) {
        notControlled_ = "the SMC did not keep what the helper wrote (" + error + ")";
        log_("nightlid-helper: " + notControlled_ + "; nothing is enforced");
    }
}

bool SmcChargingHardware::writeNumber(smc::FourCC key, uint32_t number, smc::Failure& failure) {
    const auto info = client_.keyInfo(key, failure);
    if (!info) return false;
    // One byte has no order; CHTE is chosen only once the order is known.
    const auto bytes = encodeUnsigned(
        info->dataType == smc::types::hex ? smc::KeyInfo{1, smc::types::ui8, 0} : *info, number,
        order_.value_or(smc::ByteOrder::little));
    if (!bytes || bytes->size() != info->dataSize) {
        failure = {smc::Failure::Kind::unusable,
                   smc::fourCCText(key) + " cannot hold " + std::to_string(number)};
        return false;
    }
    return client_.write(key, *bytes, failure);
}

bool SmcChargingHardware::setCharging(bool inhibited, smc::Failure& failure) {
    if (keys_ == Keys::newer) return writeNumber(kCHTE, inhibited ? kNewerStop : 0, failure);
    // Both halves of the older switch, always.
    const uint32_t value = inhibited ? kOlderStop : 0;
    smc::Failure second;
    const bool first = writeNumber(kCH0B, value, failure);
    const bool other = writeNumber(kCH0C, value, second);
    if (first && !other) failure = second;
    return first && other;
}

bool SmcChargingHardware::setAdapter(bool bypassed, smc::Failure& failure) {
    if (!adapterKey_) return true;
    const uint32_t off = keys_ == Keys::newer ? kNewerOffAdapter : kOlderOffAdapter;
    return writeNumber(adapterKey_, bypassed ? off : 0, failure);
}

std::optional<BatteryReading> SmcChargingHardware::read() {
    if (!notControlled_.empty()) return std::nullopt;
    return gauge_->read();
}

bool SmcChargingHardware::apply(const ChargeControl& control, std::string& error) {
    if (!notControlled_.empty()) {
        error = notControlled_;
        return false;
    }
    smc::Failure failure;
    // Off the adapter only once charging has stopped, and back on it before charging resumes.
    const bool ok =
        control.adapterBypassed
            ? setCharging(control.chargingInhibited, failure) && setAdapter(true, failure)
            : setAdapter(false, failure) && setCharging(control.chargingInhibited, failure);
    if (ok) return true;
    error = failure.text;
    // A call that failed is tried again at the next poll; a controller that refused or did not
    // keep a value is not written to again.
    if (failure.kind != smc::Failure::Kind::transport) {
        notControlled_ = "the SMC did not keep what the helper wrote (" + failure.text + ")";
        std::string ignored;
        restoreNormalCharging(ignored);
        error += "; charging is left on and nothing is enforced";
    }
    return false;
}

bool SmcChargingHardware::restoreNormalCharging(std::string& error) {
    if (keys_ == Keys::none) return true;
    smc::Failure adapter, charging;
    const bool onAdapter = setAdapter(false, adapter);
    const bool charges = setCharging(false, charging);
    error =
        adapter.text + (adapter.text.empty() || charging.text.empty() ? "" : "; ") + charging.text;
    return onAdapter && charges;
}

} // namespace helper
