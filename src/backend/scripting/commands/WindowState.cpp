#include "backend/scripting/commands/WindowCommands.h"

#include "appkit/Button.h"
#include "appkit/PopUpButton.h"
#include "appkit/SegmentedControl.h"
#include "appkit/Slider.h"
#include "appkit/ViewLookup.h"
#include "backend/scripting/Controls.h"
#include "ui/CardView.h"
#include "ui/InteractiveImageView.h"

#include <QJsonArray>
#include <QLabel>

#include <cmath>

// What `state` says of the program's windows: every control, the cards, the front window.

namespace scripting {

namespace {

// What a clickable image says to accessibility: its image's description.
std::string imageTitle(const ui::InteractiveImageView& view) {
    return view.image() ? view.image()->accessibilityDescription : std::string();
}

QJsonObject controlState(QWidget* w) {
    QJsonObject o{{"enabled", w->isEnabled()}, {"hidden", !shownInWindow(w)}};
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

} // namespace

void addWindowState(QJsonObject& state) {
    QJsonArray controls;
    QJsonObject byTag; // the tagged controls again, for scripts that know a control's tag
    QJsonObject cards;
    for (auto* window : programWindows()) {
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
    auto all = programWindows();
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
