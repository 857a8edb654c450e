#include "backend/scripting/commands/WindowCommands.h"
#include "backend/scripting/CommandTable.h"

#include "app/BlackoutController.h"
#include "appkit/Button.h"
#include "appkit/PopUpButton.h"
#include "appkit/SegmentedControl.h"
#include "appkit/Slider.h"
#include "backend/scripting/Arguments.h"
#include "backend/scripting/Controls.h"
#include "backend/scripting/Hands.h"
#include "backend/scripting/RunnerSupport.h"
#include "backend/scripting/Session.h"
#include "platform/sim/SimBrightness.h"
#include "platform/sim/SimWindowServer.h"
#include "ui/CardView.h"
#include "ui/InteractiveImageView.h"
#include "zen/HudView.h"
#include "zen/ZenWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <cmath>
#include <optional>
#include <sstream>

// The generic commands: whatever the control, they work it as a person's hands do.

namespace scripting {

namespace {

std::string inQuotes(const std::string& text) {
    return "\"" + text + "\"";
}

// A control bar button on the program's screen-covering windows (the Zen and break bars): the
// click goes to the window on the screen, at the button's place, as the window server sends it.
std::optional<bool> clickOnScreen(Session& session, const std::string& title, std::string& error) {
    if (!BlackoutController::hasShared()) return std::nullopt;
    auto& c = BlackoutController::shared();
    auto& server = session.mac().windowServer();
    for (const auto* windows : {&c.zenWindows, &c.pomodoroWindows})
        for (const auto& [id, window] : *windows) {
            QWidget* view = window && window->isVisible() ? window->view() : nullptr;
            if (!view) continue;
            for (auto* b : appkit::subviews<appkit::Button>(view)) {
                if (b->title() != title) continue;
                const std::string name = "the button " + inQuotes(title);
                auto* hud = dynamic_cast<zen::HudView*>(view);
                if (!b->isVisibleTo(view) || (hud && hud->controlBarAlpha() <= 0)) {
                    error = name + " is hidden: its control bar has faded (move the mouse over "
                                   "the screen first, move-mouse-window zen)";
                    return false;
                }
                for (const auto& entry : server.windows()) {
                    if (entry.window.content.data() != view) continue;
                    const QPointF at =
                        QRectF(QRect(b->mapTo(view, QPoint(0, 0)), b->size())).center();
                    const auto& frame = entry.window.frame;
                    const auto front = server.windowAt({frame.x + at.x(), frame.y + at.y()}, true);
                    if (front && *front != entry.number) {
                        error = name + " is covered by another window on its screen";
                        return false;
                    }
                    platform::Event event;
                    event.type = platform::EventType::leftMouseDown;
                    event.location = platform::Point{at.x(), at.y()};
                    server.sendEvent(entry.number, event);
                    return true;
                }
            }
        }
    return std::nullopt;
}

struct Clickable {
    QWidget* control = nullptr; // what is checked and named
    QWidget* target = nullptr;  // what takes the mouse
    std::string name;
};

// The buttons, checkboxes, segments and clickable images of the program's windows, front-most
// window first, that answer to that title or tag.
std::vector<Clickable> clickables(const std::string& title) {
    const auto tag = wholeArg(title, 1'000'000);
    std::vector<Clickable> found;
    for (auto* window : programWindows()) {
        QWidget* root = window->widget();
        for (auto* b : appkit::subviews<appkit::Button>(root))
            if ((tag && b->tag() == int(*tag)) || b->title() == title ||
                b->accessibilityLabel() == title ||
                (b->title().empty() &&
                 (b->toolTip().toStdString() == title || b->accessibilityDescription() == title)))
                found.push_back({b, mouseTarget(b), hands::describe(b)});
        for (auto* s : appkit::subviews<appkit::SegmentedControl>(root))
            for (auto* segment : s->findChildren<QPushButton*>())
                if (segment->text().toStdString() == title)
                    found.push_back({segment, segment, "the segment " + inQuotes(title)});
        for (auto* v : appkit::subviews<ui::InteractiveImageView>(root))
            if ((tag && v->tag() == int(*tag)) ||
                (v->image() && v->image()->accessibilityDescription == title))
                found.push_back({v, v, "the image " + inQuotes(title)});
    }
    return found;
}

bool clickCommand(CommandCall& call) {
    const std::string title = unquoted(call.rest);
    if (title.empty()) {
        call.error = "click takes the title of a button, checkbox or segment";
        return false;
    }
    if (auto done = clickOnScreen(call.session, title, call.error)) return *done;
    const auto found = clickables(title);
    if (found.empty()) {
        call.error = "no window shows a button, checkbox, segment or clickable image " +
                     std::string(wholeArg(title, 1'000'000) ? "tagged " : "titled ") +
                     inQuotes(title);
        return false;
    }
    // The first one shown; a hidden one only says that it is hidden.
    const Clickable* chosen = &found.front();
    for (const auto& c : found)
        if (shownInWindow(c.control) && c.control->window()->isVisible()) {
            chosen = &c;
            break;
        }
    if (!reachControl(chosen->target, clickPoint(chosen->target), chosen->name, call.error))
        return false;
    hands::click(chosen->target, clickPoint(chosen->target));
    return true;
}

// The editable field labelled title, or the place-th editable field (from 1) of the front-most
// window that has any.
QLineEdit* findField(const std::string& target) {
    const auto place = wholeArg(target, 1000);
    for (auto* window : programWindows()) {
        std::vector<QLineEdit*> editable;
        for (auto* f : window->widget()->findChildren<QLineEdit*>())
            if (shownInWindow(f) && !f->isReadOnly()) editable.push_back(f);
        for (auto* f : editable)
            if (rowTitle(f) == target) return f;
        if (place && !editable.empty())
            return *place >= 1 && *place <= editable.size() ? editable[*place - 1] : nullptr;
    }
    return nullptr;
}

bool typeCommand(CommandCall& call) {
    auto [target, text] = firstArg(call.rest);
    QLineEdit* field = findField(target);
    if (!field) {
        call.error = "no window shows a field labelled " + inQuotes(target) +
                     (wholeArg(target, 1000) ? " or an editable field at that place" : "");
        return false;
    }
    const std::string name = "the field " + inQuotes(target);
    if (!reachControl(field, clickPoint(field), name, call.error)) return false;
    // Into the field, all of its text selected, the new text over it, and Return.
    hands::click(field, clickPoint(field));
    hands::pressKey(field, Qt::Key_A, Qt::ControlModifier);
    hands::typeText(field, QString::fromStdString(text));
    hands::pressKey(field, Qt::Key_Return, Qt::NoModifier, "\r");
    return true;
}

// The knob taken at the first value's place (on the track elsewhere it jumps there) and let go
// at the last's, with the moves between.
bool dragKnob(CommandCall& call, appkit::Slider& slider, const std::string& name, double from,
              double to, int steps) {
    QWidget* track = slider.findChild<QSlider*>();
    if (!track) track = &slider;
    auto at = [&](double value) { return track->mapFrom(&slider, slider.knobCentreFor(value)); };
    if (!reachControl(track, at(from), name, call.error)) return false;
    hands::moveTo(track, at(from));
    hands::grab(track, at(from));
    for (int i = 1; i <= steps; ++i) {
        hands::dragTo(track, at(from + (to - from) * double(i) / steps));
        if (i < steps && call.advance) call.advance(1.0 / 60.0);
    }
    hands::letGo(track, at(to));
    return true;
}

bool sliderCommand(CommandCall& call) {
    auto [target, valueText] = lastArg(call.rest);
    auto* slider = findControl<appkit::Slider>(target);
    if (!slider) {
        call.error =
            "no window shows a slider " + (target.empty() ? "(give a tag or a title)" : target);
        return false;
    }
    auto value = numberArg(valueText, slider->minValue(), slider->maxValue());
    if (!value) {
        call.error = "slider takes a value from " + std::to_string(slider->minValue()) + " to " +
                     std::to_string(slider->maxValue()) + ", not \"" + valueText + "\"";
        return false;
    }
    // Taken where the knob is and let go at the value.
    return dragKnob(call, *slider, "the slider " + target, slider->doubleValue(), *value, 1);
}

bool dragCommand(CommandCall& call) {
    std::istringstream in(call.rest);
    std::string tagText, fromText, toText, secondsText, extra;
    in >> tagText >> fromText >> toText >> secondsText >> extra;
    auto* slider = wholeArg(tagText, 1'000'000) ? findControl<appkit::Slider>(tagText) : nullptr;
    auto from = slider ? numberArg(fromText, slider->minValue(), slider->maxValue()) : std::nullopt;
    auto to = slider ? numberArg(toText, slider->minValue(), slider->maxValue()) : std::nullopt;
    auto seconds = numberArg(secondsText, 0, 600);
    if (!slider || !from || !to || !seconds || !extra.empty()) {
        call.error = "drag takes a slider's tag, a start and an end value in its range and the "
                     "seconds it lasts (at most 600), e.g. drag 1001 0.2 0.9 2";
        return false;
    }
    // Pressed on the track at the start value (the knob jumps there), moved at 60 values a second.
    const int steps = std::max(1, int(std::lround(*seconds * 60)));
    return dragKnob(call, *slider, "the slider " + tagText, *from, *to, steps);
}

bool popupCommand(CommandCall& call) {
    // "TAG ITEM" or "\"TITLE\" ITEM": the first word (quoted for spaces) names the pop-up.
    auto [target, item] = firstArg(call.rest);
    item = unquoted(item);
    auto* popup = findControl<appkit::PopUpButton>(target);
    if (!popup) {
        call.error =
            "no window shows a pop-up " + (target.empty() ? "(give a tag or a title)" : target);
        return false;
    }
    const auto titles = popup->itemTitles();
    const auto it = std::find(titles.begin(), titles.end(), item);
    if (it == titles.end()) {
        call.error = "the pop-up " + target + " has no item " + inQuotes(item);
        return false;
    }
    auto* box = popup->findChild<QComboBox*>();
    return box && chooseItem(box, int(it - titles.begin()), "the pop-up " + target, call.error);
}

bool wheelCommand(CommandCall& call) {
    auto [target, stepsText] = firstArg(call.rest);
    const bool negative = !stepsText.empty() && stepsText[0] == '-';
    auto steps = wholeArg(negative ? stepsText.substr(1) : stepsText, 100);
    QWidget* control = nullptr;
    if (!target.empty()) {
        control = findControl<appkit::Slider>(target);
        if (!control) control = findControl<appkit::PopUpButton>(target);
        if (!control) control = findControl<appkit::Button>(target);
    }
    if (!control || !steps || *steps == 0) {
        call.error = "wheel takes a control's tag or title and the notches turned, from -100 to "
                     "100 and not 0 (negative is up), e.g. wheel 1001 3";
        return false;
    }
    // The pointer rests over the control as it is shown: no scrolling to it first.
    const QPointF middle = QRectF(control->rect()).center();
    call.error = hands::whyUnreachable(control, middle, hands::describe(control), false);
    if (!call.error.empty()) return false;
    hands::moveTo(control, middle);
    hands::turnWheel(control, middle, negative ? -int(*steps) : int(*steps));
    return true;
}

bool collapseCommand(CommandCall& call) {
    for (auto* window : programWindows())
        for (auto* card : appkit::subviews<ui::CollapsibleCard>(window->widget()))
            if (card->key() == call.rest && card->arrowButton())
                return clickControl(card->arrowButton(), "the chevron of the card " + call.rest,
                                    call.error);
    call.error = "no window shows a card with the collapse key \"" + call.rest + "\"";
    return false;
}

bool screenshotWindowCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    // The title may be quoted; the file is the last word.
    const auto cut = rest.find_last_of(' ');
    const std::string title = cut == std::string::npos ? "" : unquoted(rest.substr(0, cut));
    const std::string file = cut == std::string::npos ? "" : rest.substr(cut + 1);
    if (title.empty() || file.empty()) {
        call.error = "screenshot-window takes a window's title and a file name";
        return false;
    }
    for (auto* window : programWindows())
        if (window->title() == title && window->isVisible()) {
            return saveImage(window->snapshot(), file, call.error);
        }
    call.error = "no open window is titled \"" + title + "\"";
    return false;
}

bool closeWindowCommand(CommandCall& call) {
    auto all = programWindows();
    if (all.empty()) {
        call.error = "no window of the program is open";
        return false;
    }
    all.front()->close();
    return true;
}

bool panelBrightnessCommand(CommandCall& call) {
    auto& mac = call.session.mac();
    auto value = numberArg(call.rest, 0, 1);
    if (!value) {
        call.error = "panel-brightness takes a level from 0 to 1";
        return false;
    }
    auto set = mac.brightness().lookupSetBrightness();
    for (const auto& d : mac.description().displays)
        if (d.builtIn && d.online && set && set(d.id, float(*value)) == 0) return true;
    call.error = "there is no built-in panel to change";
    return false;
}

// The commands of this file: name, arguments, help (the README's driver table), handler.
const Command kWindowCommands[] = {
    {"wheel", "TAG|TITLE STEPS",
     "rests the pointer over that slider, pop-up or button where it is shown and turns the "
     "wheel STEPS notches (from -100 to 100, not 0; negative is up): as on a Mac it scrolls the "
     "window holding it and never changes the control",
     wheelCommand},
    {"click", "TITLE|TAG",
     "moves the pointer to the button, checkbox, segment or clickable image with that exact "
     "title (an image button by its accessibility text or tool tip, a tile's display icon by the "
     "display name) or that tag (hotkey buttons 5000 + i, tile icons 6000 + i, power toggles "
     "2000 + i), in the front-most window that has one, scrolling it into view with the wheel, "
     "and presses and releases the left button there (a checkbox at its box); a button of the "
     "Zen or break bar is clicked on its screen",
     clickCommand},
    {"type", "TAG|TITLE TEXT",
     "clicks into the editable field labelled TITLE (or the TAG-th editable field, from 1, of "
     "the front-most window that has any), selects its text with ⌃A, types TEXT key by key and "
     "presses Return, which also presses the window's default button (`type \"명상 시간:\" 90`, "
     "`type 2 10`)",
     typeCommand},
    {"slider", "TAG|TITLE VALUE",
     "takes the slider's knob with the mouse, moves it to the value's place and lets go; TITLE "
     "is the label beside it (quote titles with spaces)",
     sliderCommand},
    {"drag", "TAG FROM TO SECONDS",
     "presses the mouse on the slider at FROM, moves it to TO at 60 moves a second, virtual time "
     "passing between moves, and lets go",
     dragCommand},
    {"popup", "TAG|TITLE ITEM",
     "clicks the pop-up open, steps to the item with the arrow keys and chooses it with Return "
     "(`popup \"사운드 출력 기기\" \"USB Headset\"`)",
     popupCommand},
    {"collapse", "KEY",
     "clicks the chevron of the card with that collapse key (`collapseSystemCard`, "
     "`collapseDisplay_external_2`, ...), folding or unfolding it",
     collapseCommand},
    {"screenshot-window", "TITLE FILE",
     "saves any open window of the program (a panel, by its title) as PNG",
     screenshotWindowCommand},
    {"close-window", "", "closes the program's front-most window, as its close box does",
     closeWindowCommand},
    {"panel-brightness", "VALUE",
     "the system changing the panel's brightness (brightness keys, automatic brightness)",
     panelBrightnessCommand},
};

} // namespace

void registerWindowCommands(CommandTable& table) {
    for (const auto& command : kWindowCommands)
        table.add(command);
}

} // namespace scripting
