#include "app/BlackoutController.h"
#include "app/ThemeManager.h"
#include "appkit/Button.h"
#include "appkit/Colors.h"
#include "appkit/SegmentedControl.h"
#include "appkit/Slider.h"
#include "platform/CoreBrightness.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"

#include <QLabel>

#include <cmath>

namespace {

// Halves away from zero: 0.125 shows 13%.
QString percentText(float strength) {
    return QString::number(std::lround(double(strength) * 100)) + "%";
}

void colorLabel(QLabel* label, bool on) {
    if (!label) return;
    const auto color = on ? appkit::SystemColor::label : appkit::SystemColor::tertiaryLabel;
    appkit::setTextColor(*label, appkit::color(color));
}

float readStrength(platform::BlueLightClient* client) {
    float strength = 0.5f; // what shows when the call leaves it untouched
    if (client) client->getStrength(&strength);
    return strength;
}

} // namespace

void BlackoutController::installBlueLightStatusHandler() {
    if (!cbClient) return;
    // Any thread: only queue the work.
    cbClient->setStatusNotificationBlock([] {
        platform::mainQueue().async([] {
            if (hasShared()) shared().syncBlueLightUI();
        });
    });
}

void BlackoutController::syncBlueLightUI() {
    if (!controlWindow) return;
    platform::BlueLightStatus status{};
    if (cbClient) cbClient->getBlueLightStatus(&status);
    const bool on = status.enabled != 0;
    const float strength = readStrength(cbClient.get());
    platform::mainQueue().async([on, strength] {
        if (!hasShared()) return;
        auto& c = shared();
        if (c.blueLightCheckbox) {
            c.blueLightCheckbox->setState(on ? appkit::ControlState::on
                                             : appkit::ControlState::off);
            c.blueLightCheckbox->setEnabled(true);
        }
        if (c.blueLightSlider) {
            c.blueLightSlider->setEnabled(on);
            c.blueLightSlider->setDoubleValue(strength);
        }
        if (c.blueLightValueLabel) {
            c.blueLightValueLabel->setText(on ? percentText(strength)
                                              : QString::fromStdString(c.t("꺼짐", "Off")));
            colorLabel(c.blueLightValueLabel, on);
        }
        if (auto* theme = c.systemThemeSegmentedControl.data()) {
            const int wanted = ThemeManager::isDarkMode() ? 1 : 0;
            if (theme->selectedSegment() != wanted) theme->setSelectedSegment(wanted);
            theme->setEnabled(true);
        }
    });
}

void BlackoutController::blueLightToggled(appkit::Button& sender) {
    const bool on = sender.state() == appkit::ControlState::on;
    if (cbClient) cbClient->setEnabled(on);
    if (blueLightSlider) blueLightSlider->setEnabled(on);
    const float strength = readStrength(cbClient.get());
    if (blueLightValueLabel) {
        blueLightValueLabel->setText(on ? percentText(strength)
                                        : QString::fromStdString(t("꺼짐", "Off")));
        colorLabel(blueLightValueLabel, on);
    }
}

void BlackoutController::blueLightStrengthChanged(appkit::Slider& sender) {
    const float v = float(sender.doubleValue());
    if (cbClient) cbClient->setStrength(v, true);
    if (blueLightValueLabel) blueLightValueLabel->setText(percentText(v));
}
