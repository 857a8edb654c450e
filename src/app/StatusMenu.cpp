#include "app/BlackoutController.h"

#include "platform/Applications.h"
#include "platform/Platform.h"
#include "platform/StatusBar.h"

namespace {

platform::MenuItem item(std::string title, std::string keyEquivalent,
                        std::function<void()> action) {
    platform::MenuItem m;
    m.title = std::move(title);
    m.keyEquivalent = std::move(keyEquivalent);
    m.action = std::move(action);
    return m;
}

} // namespace

void BlackoutController::recreateStatusMenu() {
    platform::Menu menu;
    menu.addItem(item(t("수명 보호 모드 켜기", "Turn On Protector Mode"), "b", [] {
        if (hasShared()) shared().start();
    }));
    menu.addItem(item(t("검정 화면 해제", "Restore Screen"), std::string(1, '\x1b'), [] {
        if (hasShared()) shared().stop();
    }));
    if (isPomodoroActive)
        menu.addItem(item(t("포모도로 타이머 중단", "Stop Pomodoro Timer"), "", [] {
            if (hasShared()) shared().stopPomodoroFromAction();
        }));
    menu.addItem(platform::MenuItem::separator());
    menu.addItem(item(t("업데이트 확인...", "Check for Updates..."), "", [] {
        if (hasShared()) shared().checkForUpdates();
    }));
    menu.addItem(
        item(t("종료", "Quit"), "q", [] { platform::current().applications->terminate(); }));
    statusMenu = std::move(menu);
}

void BlackoutController::statusItemClicked() {
    auto event = platform::current().applications->currentEvent();
    if (!event) {
        showControlWindow();
        return;
    }
    if (event->type == platform::EventType::rightMouseUp || event->modifiers.control) {
        if (!statusMenu || !statusItem) return;
        if (statusItem->hasButton())
            statusItem->popUpMenu(*statusMenu, {0, statusItem->buttonBounds().height});
        else
            statusItem->popUpMenuAtMouse(*statusMenu);
        return;
    }
    showControlWindow();
}
