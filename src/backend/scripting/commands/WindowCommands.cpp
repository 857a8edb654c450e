#include "backend/scripting/commands/WindowCommands.h"
#include "backend/scripting/CommandTable.h"

#include "app/BlackoutController.h"
#include "appkit/Button.h"
#include "appkit/PopUpButton.h"
#include "appkit/SegmentedControl.h"
#include "appkit/Slider.h"
#include "appkit/ViewLookup.h"
#include "appkit/Window.h"
#include "platform/BuiltInBrightness.h"
#include "platform/sim/SimAudio.h"
#include "platform/sim/SimBrightness.h"
#include "backend/scripting/Arguments.h"
#include "backend/scripting/Session.h"
#include "ui/CardView.h"
#include "ui/InteractiveImageView.h"
#include "zen/ZenWindow.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QWheelEvent>

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <optional>

#include <sstream>

namespace scripting {

namespace {

std::vector<appkit::Window*> windows() {
    return appkit::Window::orderedWindows();
}

// The text of a plain label beside a control in its row, for finding a slider or a pop-up by
// what the person reads next to it.
std::string rowTitle(QWidget* control) {
    auto* row = control->parentWidget();
    if (!row) return {};
    for (auto* label : row->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (!label->text().isEmpty() && !label->text().endsWith('%'))
            return label->text().toStdString();
    return {};
}

bool shown(QWidget* w) {
    return w->isVisibleTo(w->window());
}

template <typename T> T* findControl(const std::string& tagOrTitle) {
    auto tag = wholeArg(tagOrTitle, 1'000'000);
    for (auto* window : windows())
        for (auto* control : appkit::subviews<T>(window->widget())) {
            if (!shown(control)) continue;
            if (tag ? control->tag() == int(*tag) : rowTitle(control) == tagOrTitle) return control;
        }
    return nullptr;
}

// "A B C" -> first word and the rest; a quoted first word may hold spaces.
std::pair<std::string, std::string> firstArg(const std::string& text) {
    if (!text.empty() && text[0] == '"') {
        auto end = text.find('"', 1);
        if (end == std::string::npos) return {text, {}};
        auto rest = text.substr(end + 1);
        auto start = rest.find_first_not_of(' ');
        return {text.substr(1, end - 1), start == std::string::npos ? "" : rest.substr(start)};
    }
    auto sp = text.find(' ');
    if (sp == std::string::npos) return {text, {}};
    auto start = text.find_first_not_of(' ', sp);
    return {text.substr(0, sp), start == std::string::npos ? "" : text.substr(start)};
}

// The last word, and what comes before it (for "TITLE VALUE" where the title has spaces).
std::pair<std::string, std::string> lastArg(const std::string& text) {
    auto sp = text.find_last_of(' ');
    if (sp == std::string::npos) return {{}, text};
    auto head = text.substr(0, sp);
    while (!head.empty() && head.back() == ' ')
        head.pop_back();
    if (head.size() >= 2 && head.front() == '"' && head.back() == '"')
        head = head.substr(1, head.size() - 2);
    return {head, text.substr(sp + 1)};
}

std::string unquote(std::string s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
    return s;
}

// What a clickable image says to accessibility: its image's description.
std::string imageTitle(const ui::InteractiveImageView& view) {
    return view.image() ? view.image()->accessibilityDescription : std::string();
}

// The views of the program's screen-covering windows that hold controls (the Zen and break
// bars).
std::vector<QWidget*> screenViews() {
    std::vector<QWidget*> out;
    if (!BlackoutController::hasShared()) return out;
    auto& c = BlackoutController::shared();
    for (const auto* windows : {&c.zenWindows, &c.pomodoroWindows})
        for (const auto& [id, window] : *windows)
            if (window && window->isVisible() && window->view()) out.push_back(window->view());
    return out;
}

bool click(const std::string& title, std::string& error) {
    // A whole number names a control by its tag.
    const auto tag = wholeArg(title, 1'000'000);
    for (auto* view : screenViews())
        for (auto* b : appkit::subviews<appkit::Button>(view))
            if (!b->isHidden() && b->title() == title) {
                b->performClick();
                return true;
            }
    for (auto* window : windows()) {
        for (auto* b : appkit::subviews<appkit::Button>(window->widget()))
            if (shown(b) && ((tag && b->tag() == int(*tag)) || b->title() == title ||
                             b->accessibilityLabel() == title ||
                             (b->title().empty() && (b->toolTip().toStdString() == title ||
                                                     b->accessibilityDescription() == title)))) {
                if (!b->isEnabled()) {
                    error = "\"" + title + "\" is disabled";
                    return false;
                }
                b->performClick();
                return true;
            }
        for (auto* s : appkit::subviews<appkit::SegmentedControl>(window->widget()))
            for (int i = 0; shown(s) && i < s->segmentCount(); ++i)
                if (s->label(i) == title) {
                    if (!s->isEnabled()) {
                        error = "\"" + title + "\" is disabled";
                        return false;
                    }
                    s->performClick(i);
                    return true;
                }
        for (auto* v : appkit::subviews<ui::InteractiveImageView>(window->widget()))
            if (shown(v) && ((tag && v->tag() == int(*tag)) || imageTitle(*v) == title)) {
                v->performClick();
                return true;
            }
    }
    error = "no window shows a button, checkbox, segment or clickable image " +
            std::string(tag ? "tagged " : "titled ") + "\"" + title + "\"";
    return false;
}

QJsonObject controlState(QWidget* w) {
    QJsonObject o{{"enabled", w->isEnabled()}, {"hidden", !shown(w)}};
    if (auto* b = dynamic_cast<appkit::Button*>(w)) {
        o["kind"] = b->type() == appkit::ButtonType::checkbox ? "checkbox" : "button";
        // An image button is known by what it says to accessibility, or by its tool tip.
        std::string title = b->title();
        if (title.empty()) title = b->accessibilityDescription();
        if (title.empty()) title = b->toolTip().toStdString();
        o["title"] = QString::fromStdString(title);
        o["tag"] = b->tag();
        o["value"] = b->type() == appkit::ButtonType::checkbox
                         ? QJsonValue(b->state() == appkit::ControlState::on)
                         : QJsonValue(QJsonValue::Null);
    } else if (auto* s = dynamic_cast<appkit::Slider*>(w)) {
        o["kind"] = "slider";
        o["title"] = QString::fromStdString(rowTitle(s));
        o["tag"] = s->tag();
        o["value"] = std::round(s->doubleValue() * 1000) / 1000;
    } else if (auto* p = dynamic_cast<appkit::PopUpButton*>(w)) {
        o["kind"] = "popup";
        o["title"] = QString::fromStdString(rowTitle(p));
        o["tag"] = p->tag();
        o["value"] = QString::fromStdString(p->titleOfSelectedItem());
        QJsonArray items;
        for (const auto& t : p->itemTitles())
            items.append(QString::fromStdString(t));
        o["items"] = items;
    } else if (auto* g = dynamic_cast<appkit::SegmentedControl*>(w)) {
        o["kind"] = "segmented";
        QJsonArray labels;
        for (int i = 0; i < g->segmentCount(); ++i)
            labels.append(QString::fromStdString(g->label(i)));
        o["title"] = labels;
        o["tag"] = 0;
        o["value"] = g->selectedSegment();
    } else if (auto* v = dynamic_cast<ui::InteractiveImageView*>(w)) {
        o["kind"] = "image";
        o["title"] = QString::fromStdString(imageTitle(*v));
        o["tag"] = v->tag();
        o["value"] = QJsonValue(QJsonValue::Null);
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        o["kind"] = "label";
        o["label"] = l->text();
    } else {
        return {};
    }
    return o;
}

// The mouse wheel turned steps notches over a control (negative: up), as a person scrolling the
// window would: the event goes to what lies under the pointer at the control's middle.
bool turnWheel(const std::string& rest, std::string& error) {
    auto [target, stepsText] = firstArg(rest);
    bool negative = !stepsText.empty() && stepsText[0] == '-';
    auto steps = wholeArg(negative ? stepsText.substr(1) : stepsText, 100);
    QWidget* control = nullptr;
    if (!target.empty()) {
        control = findControl<appkit::Slider>(target);
        if (!control) control = findControl<appkit::PopUpButton>(target);
        if (!control) control = findControl<appkit::Button>(target);
    }
    if (!control || !steps || *steps == 0) {
        error = "wheel takes a control's tag or title and the notches turned, from -100 to 100 "
                "and not 0 (negative is up), e.g. wheel 1001 3";
        return false;
    }
    const QPoint middle = control->rect().center();
    QWidget* under = control->childAt(middle);
    QWidget* receiver = under ? under : control;
    const QPointF local = receiver->mapFrom(control, QPointF(middle));
    const int notches = negative ? -int(*steps) : int(*steps);
    QWheelEvent wheel(local, receiver->mapToGlobal(local), QPoint(), QPoint(0, -120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(receiver, &wheel);
    return true;
}

} // namespace

namespace {

bool wheelCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    return turnWheel(rest, error);
}

bool clickCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    if (rest.empty()) {
        error = "click takes the title of a button, checkbox or segment";
        return false;
    }
    return click(unquote(rest), error);
}

bool typeCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    // Into an editable field, known by the label before it; then editing ends, as with Return.
    // A whole number instead names the field by its place (from 1) in the front-most window
    // that has editable fields (fields carry no tags of their own).
    auto [target, text] = firstArg(rest);
    QLineEdit* field = nullptr;
    const auto place = wholeArg(target, 1000);
    for (auto* window : windows()) {
        std::vector<QLineEdit*> editable;
        for (auto* f : window->widget()->findChildren<QLineEdit*>())
            if (shown(f) && !f->isReadOnly()) editable.push_back(f);
        for (auto* f : editable)
            if (!field && rowTitle(f) == target) field = f;
        if (!field && place && !editable.empty()) {
            if (*place >= 1 && *place <= editable.size()) field = editable[*place - 1];
            break;
        }
    }
    if (!field) {
        error = "no window shows a field labelled \"" + target + "\"" +
                (place ? " or an editable field at that place" : "");
        return false;
    }
    field->setText(QString::fromStdString(text));
    emit field->editingFinished();
    return true;
}

bool sliderCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    auto [target, valueText] = lastArg(rest);
    auto* slider = findControl<appkit::Slider>(target);
    if (!slider) {
        error = "no window shows a slider " + (target.empty() ? "(give a tag or a title)" : target);
        return false;
    }
    auto value = numberArg(valueText, slider->minValue(), slider->maxValue());
    if (!value) {
        error = "slider takes a value from " + std::to_string(slider->minValue()) + " to " +
                std::to_string(slider->maxValue()) + ", not \"" + valueText + "\"";
        return false;
    }
    if (!slider->isEnabled()) {
        error = "the slider " + target + " is disabled";
        return false;
    }
    slider->performDrag(*value);
    return true;
}

bool dragCommand(CommandCall& call) {
    auto& advance = call.advance;
    const std::string& rest = call.rest;
    std::string& error = call.error;
    std::istringstream in(rest);
    std::string tagText, fromText, toText, secondsText, extra;
    in >> tagText >> fromText >> toText >> secondsText >> extra;
    auto* slider = wholeArg(tagText, 1'000'000) ? findControl<appkit::Slider>(tagText) : nullptr;
    auto from = slider ? numberArg(fromText, slider->minValue(), slider->maxValue()) : std::nullopt;
    auto to = slider ? numberArg(toText, slider->minValue(), slider->maxValue()) : std::nullopt;
    auto seconds = numberArg(secondsText, 0, 600);
    if (!slider || !from || !to || !seconds || !extra.empty()) {
        error = "drag takes a slider's tag, a start and an end value in its range and the "
                "seconds it lasts (at most 600), e.g. drag 1001 0.2 0.9 2";
        return false;
    }
    if (!slider->isEnabled()) {
        error = "the slider " + tagText + " is disabled";
        return false;
    }
    const int steps = std::max(1, int(std::lround(*seconds * 60)));
    const double start = from.value_or(0), end = to.value_or(0);
    for (int i = 0; i <= steps; ++i) {
        slider->performDrag(start + (end - start) * double(i) / steps);
        if (i < steps) advance(1.0 / 60.0);
    }
    return true;
}

bool popupCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    // "TAG ITEM" or "\"TITLE\" ITEM": the first word (quoted for spaces) names the pop-up.
    auto [target, item] = firstArg(rest);
    item = unquote(item);
    auto* popup = findControl<appkit::PopUpButton>(target);
    if (!popup) {
        error = "no window shows a pop-up " + (target.empty() ? "(give a tag or a title)" : target);
        return false;
    }
    const auto titles = popup->itemTitles();
    for (size_t i = 0; i < titles.size(); ++i)
        if (titles[i] == item) {
            if (!popup->isEnabled()) {
                error = "the pop-up " + target + " is disabled";
                return false;
            }
            popup->performSelect(int(i));
            return true;
        }
    error = "the pop-up " + target + " has no item \"" + item + "\"";
    return false;
}

bool collapseCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    for (auto* window : windows())
        for (auto* card : appkit::subviews<ui::CollapsibleCard>(window->widget()))
            if (card->key() == rest) {
                card->toggleCollapsed();
                return true;
            }
    error = "no window shows a card with the collapse key \"" + rest + "\"";
    return false;
}

bool screenshotWindowCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    // The title may be quoted; the file is the last word.
    const auto cut = rest.find_last_of(' ');
    const std::string title = cut == std::string::npos ? "" : unquote(rest.substr(0, cut));
    const std::string file = cut == std::string::npos ? "" : rest.substr(cut + 1);
    if (title.empty() || file.empty()) {
        error = "screenshot-window takes a window's title and a file name";
        return false;
    }
    for (auto* window : windows())
        if (window->title() == title && window->isVisible()) {
            QFileInfo info(QString::fromStdString(file));
            QDir().mkpath(info.absolutePath());
            if (!window->snapshot().save(info.absoluteFilePath())) {
                error = "cannot write " + file;
                return false;
            }
            return true;
        }
    error = "no open window is titled \"" + title + "\"";
    return false;
}

bool closeWindowCommand(CommandCall& call) {
    std::string& error = call.error;
    auto all = windows();
    if (all.empty()) {
        error = "no window of the program is open";
        return false;
    }
    all.front()->close();
    return true;
}

bool panelBrightnessCommand(CommandCall& call) {
    auto& session = call.session;
    const std::string& rest = call.rest;
    std::string& error = call.error;
    auto& mac = session.mac();
    auto value = numberArg(rest, 0, 1);
    if (!value) {
        error = "panel-brightness takes a level from 0 to 1";
        return false;
    }
    auto set = mac.brightness().lookupSetBrightness();
    for (const auto& d : mac.description().displays)
        if (d.builtIn && d.online && set && set(d.id, float(*value)) == 0) return true;
    error = "there is no built-in panel to change";
    return false;
}

bool defaultOutputCommand(CommandCall& call) {
    auto& session = call.session;
    const std::string& rest = call.rest;
    std::string& error = call.error;
    auto& mac = session.mac();
    if (!mac.audio().setDefaultOutputByName(unquote(rest))) {
        error = "no sound output device is called \"" + unquote(rest) + "\"";
        return false;
    }
    return true;
}

// The commands of this file: name, arguments, help (the README's driver table), handler.
const Command kWindowCommands[] = {
    {"wheel", "TAG|TITLE STEPS",
     "turns the mouse wheel STEPS notches (from -100 to 100, not 0; negative is up) over that "
     "slider, pop-up or button: as on a Mac it scrolls the window holding it and never changes "
     "the control",
     wheelCommand},
    {"click", "TITLE|TAG",
     "clicks the button, checkbox, segment or clickable image with that exact title (an image "
     "button by its accessibility text or tool tip, a tile's display icon by the display name) "
     "or that tag (hotkey buttons 5000 + i, tile icons 6000 + i, power toggles 2000 + i) in the "
     "program's front-most window that has one",
     clickCommand},
    {"type", "TAG|TITLE TEXT",
     "types TEXT into the editable field labelled TITLE (or the TAG-th editable field, from 1, "
     "of the front-most window that has any) and ends editing, as Return does (`type \"명상 "
     "시간:\" "
     "90`, `type 2 10`)",
     typeCommand},
    {"slider", "TAG|TITLE VALUE",
     "moves a slider as a drag ending with the mouse-up; TITLE is the label beside it (quote "
     "titles with spaces)",
     sliderCommand},
    {"drag", "TAG FROM TO SECONDS",
     "drags a slider from one value to another at 60 values a second, virtual time passing "
     "between values",
     dragCommand},
    {"popup", "TAG|TITLE ITEM",
     "chooses an item of a pop-up by its title (`popup \"사운드 출력 기기\" \"USB Headset\"`)",
     popupCommand},
    {"collapse", "KEY",
     "folds or unfolds the card with that collapse key (`collapseSystemCard`, "
     "`collapseDisplay_external_2`, ...)",
     collapseCommand},
    {"screenshot-window", "TITLE FILE",
     "saves any open window of the program (a panel, by its title) as PNG",
     screenshotWindowCommand},
    {"close-window", "", "closes the program's front-most window", closeWindowCommand},
    {"panel-brightness", "VALUE",
     "the system changing the panel's brightness (brightness keys, automatic brightness)",
     panelBrightnessCommand},
    {"default-output", "NAME", "the default sound output changed elsewhere", defaultOutputCommand},
};

} // namespace

void registerWindowCommands(CommandTable& table) {
    for (const auto& command : kWindowCommands)
        table.add(command);
}

void addWindowState(QJsonObject& state) {
    QJsonArray controls;
    QJsonObject byTag; // the tagged controls again, for scripts that know a control's tag
    QJsonObject cards;
    for (auto* window : windows()) {
        for (auto* w : window->widget()->findChildren<QWidget*>()) {
            auto o = controlState(w);
            if (o.isEmpty()) continue;
            o["window"] = QString::fromStdString(window->title());
            controls.append(o);
            if (o.value("tag").toInt() != 0) byTag[QString::number(o.value("tag").toInt())] = o;
        }
        for (auto* card : appkit::subviews<ui::CollapsibleCard>(window->widget()))
            cards[QString::fromStdString(card->key())] = card->isCollapsed();
    }
    state["controls"] = controls;
    state["controlsByTag"] = byTag;
    state["cards"] = cards;
    auto all = windows();
    if (!all.empty()) {
        auto* front = all.front()->widget();
        state["frontWindow"] = QJsonObject{{"title", QString::fromStdString(all.front()->title())},
                                           {"x", front->x()},
                                           {"y", front->y()},
                                           {"width", front->width()},
                                           {"height", front->height()}};
    }
}

} // namespace scripting
