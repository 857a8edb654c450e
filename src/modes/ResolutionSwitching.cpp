// The display cards' resolution choice: the curated catalogue, the pop-up or scaling picker, and
// the configuration transaction that applies a mode while keeping the arrangement.

#include "app/BlackoutController.h"
#include "app/ControlWindowParts.h"
#include "appkit/StackView.h"
#include "modes/ModeCatalogue.h"
#include "modes/ScalingOptionView.h"
#include "modes/ScalingStackView.h"
#include "platform/Displays.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/SystemLog.h"
#include "ui/StyledPopUpButton.h"

#include <QLabel>
#include <QPointer>
#include <cstdio>

namespace {

constexpr double kRebuildDelay = 0.5;
constexpr uint32_t kMaxOnlineDisplays = 16;

void log(const std::string& line) {
    platform::current().log->write(line);
}

std::string infoText(const platform::DisplayMode& mode) {
    std::string text = std::to_string(mode.width) + " x " + std::to_string(mode.height);
    if (mode.refreshRate > 0) {
        char hz[32];
        std::snprintf(hz, sizeof hz, " (%.0fHz)", mode.refreshRate);
        text += hz;
    }
    return text;
}

} // namespace

std::vector<platform::DisplayMode> BlackoutController::getRecommendedScalingModes(DisplayID id,
                                                                                  bool isBuiltIn) {
    auto* displays = platform::current().displays;
    if (!displays) return {};
    return modes::recommendedScalingModes(displays->copyAllDisplayModes(id), isBuiltIn,
                                          displays->copyDisplayMode(id));
}

void BlackoutController::scheduleRebuildAfterConfiguration() {
    platform::mainQueue().asyncAfter(kRebuildDelay, [] {
        if (hasShared()) shared().screenConfigurationChanged(true);
    });
}

void BlackoutController::changeResolution(DisplayID id, const platform::DisplayMode& mode) {
    auto* displays = platform::current().displays;
    if (!displays) return;
    std::vector<std::pair<DisplayID, platform::Rect>> origins;
    std::vector<DisplayID> online;
    if (displays->getOnlineDisplayList(kMaxOnlineDisplays, online) == platform::kCGErrorSuccess)
        for (auto other : online)
            origins.push_back({other, displays->bounds(other)});

    platform::DisplayConfigRef config = 0;
    if (displays->beginDisplayConfiguration(config) == platform::kCGErrorSuccess) {
        if (auto error = displays->configureDisplayWithDisplayMode(config, id, mode);
            error != platform::kCGErrorSuccess) {
            log("Failed to configure display mode: " + std::to_string(error));
            displays->cancelDisplayConfiguration(config);
        } else {
            for (const auto& [other, bounds] : origins)
                displays->configureDisplayOrigin(config, other, int32_t(bounds.x),
                                                 int32_t(bounds.y));
            if (auto done = displays->completeDisplayConfiguration(
                    config, platform::ConfigureOption::permanently);
                done != platform::kCGErrorSuccess) {
                log("Failed to commit display configuration: " + std::to_string(done));
                displays->cancelDisplayConfiguration(config);
            } else {
                log("Successfully changed resolution for display " + std::to_string(id) + " to " +
                    std::to_string(mode.width) + "x" + std::to_string(mode.height));
            }
        }
    }
    scheduleRebuildAfterConfiguration();
}

void BlackoutController::displayResolutionChanged(appkit::PopUpButton& sender) {
    auto display = resolutionDisplays.find(sender.tag());
    auto list = displayModesByTag.find(sender.tag());
    if (display == resolutionDisplays.end() || list == displayModesByTag.end()) return;
    const int index = sender.indexOfSelectedItem();
    if (index < 0 || size_t(index) >= list->second.size()) return;
    changeResolution(display->second.id, list->second[size_t(index)]);
}

QWidget* BlackoutController::buildResolutionRow(const ControlledDisplay& display, int position) {
    const auto catalogue = getRecommendedScalingModes(display.id, display.isBuiltIn);
    auto* displays = platform::current().displays;
    const auto current = displays ? displays->copyDisplayMode(display.id) : std::nullopt;
    const bool hasHiDPI = std::any_of(catalogue.begin(), catalogue.end(), modes::isHiDPI);

    if (hasHiDPI && catalogue.size() > 2) {
        auto* column = new appkit::StackView(appkit::Orientation::vertical);
        column->setSpacing(6);
        column->setAlignment(appkit::StackAlignment::center);
        auto* row = new modes::ScalingStackView;
        row->setAlignment(appkit::StackAlignment::leading);
        row->setSpacing(16);
        auto* info = controlwindow::label("", 11);
        if (current) {
            const int n = int(catalogue.size());
            for (int i = 0; i < n; ++i) {
                const std::string caption = i == 0       ? t("가장 크게", "Larger")
                                            : i == n - 1 ? t("가장 작게", "Smaller")
                                                         : "";
                auto* option =
                    new modes::ScalingOptionView(display.id, catalogue[size_t(i)], i, n, caption);
                option->setObjectName(QString("scaling-%1-%2").arg(display.id).arg(i));
                const bool selected = modes::areDisplayModesEqual(catalogue[size_t(i)], *current);
                option->setSelected(selected);
                if (selected) info->setText(QString::fromStdString(infoText(*current)));
                QPointer<modes::ScalingOptionView> weak(option);
                option->onClick = [weak] {
                    if (weak && hasShared()) shared().changeResolution(weak->displayID, weak->mode);
                };
                row->addArrangedSubview(option);
            }
        }
        row->setFixedWidth(std::min(controlwindow::kCardWidth - 2 * controlwindow::kCardPadding,
                                    int(catalogue.size()) * (80 + 16) - 16));
        column->addArrangedSubview(row);
        column->addArrangedSubview(info);
        // The card's whole width, so the picker sits centred under the pop-up above it.
        column->setFixedWidth(controlwindow::kCardWidth - 2 * controlwindow::kCardPadding);
        return column;
    }

    const int tag = resolutionPopUpTagBase + position;
    auto* popup = new ui::StyledPopUpButton;
    popup->setTag(tag);
    popup->setAction([this](appkit::PopUpButton& p) { displayResolutionChanged(p); });
    resolutionDisplays[tag] = display;
    displayModesByTag[tag] = catalogue;
    popup->removeAllItems();
    if (current) {
        int selected = 0;
        for (size_t i = 0; i < catalogue.size(); ++i) {
            popup->addItem(modes::resolutionTitle(catalogue[i], catalogue));
            if (modes::areDisplayModesEqual(catalogue[i], *current)) selected = int(i);
        }
        if (!catalogue.empty()) popup->selectItem(selected);
    }
    if (catalogue.empty()) {
        popup->addItem("해상도 정보 없음");
        popup->setEnabled(false);
    }
    popup->setFixedWidth(220);
    return controlwindow::row({controlwindow::label("해상도"), popup});
}
