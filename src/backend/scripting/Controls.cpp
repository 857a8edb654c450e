#include "backend/scripting/Controls.h"

#include "appkit/Button.h"
#include "backend/scripting/Hands.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleOptionButton>

namespace scripting {

std::vector<appkit::Window*> programWindows() {
    return appkit::Window::orderedWindows();
}

bool shownInWindow(QWidget* w) {
    return w->isVisibleTo(w->window());
}

std::string rowTitle(QWidget* control) {
    auto* row = control->parentWidget();
    if (!row) return {};
    for (auto* label : row->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (!label->text().isEmpty() && !label->text().endsWith('%'))
            return label->text().toStdString();
    return {};
}

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

QWidget* mouseTarget(QWidget* control) {
    if (auto* button = dynamic_cast<appkit::Button*>(control))
        if (auto* inner = button->findChild<QAbstractButton*>()) return inner;
    return control;
}

QPointF clickPoint(QWidget* target) {
    // A checkbox takes clicks on its box and its title only, not on the row's empty end.
    if (auto* box = qobject_cast<QCheckBox*>(target)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        return QRectF(box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box))
            .center();
    }
    return QRectF(target->rect()).center();
}

bool reachControl(QWidget* control, QPointF at, const std::string& name, std::string& error) {
    if (control->isVisible()) hands::scrollIntoView(control, at);
    error = hands::whyUnreachable(control, at, name);
    return error.empty();
}

bool clickControl(QWidget* control, const std::string& name, std::string& error,
                  Qt::KeyboardModifiers modifiers) {
    QWidget* target = mouseTarget(control);
    const QPointF at = clickPoint(target);
    if (!reachControl(target, at, name, error)) return false;
    hands::click(target, at, Qt::LeftButton, modifiers);
    return true;
}

} // namespace scripting

namespace scripting {

bool chooseItem(QComboBox* box, int index, const std::string& name, std::string& error) {
    if (auto* model = qobject_cast<QStandardItemModel*>(box->model()))
        if (auto* item = model->item(index); item && !item->isEnabled()) {
            error = "the item \"" + box->itemText(index).toStdString() + "\" of " + name +
                    " is unavailable";
            return false;
        }
    if (!clickControl(box, name, error)) return false;
    QAbstractItemView* view = box->view();
    if (!view || !view->isVisible()) {
        error = name + " did not open its list";
        return false;
    }
    // The arrow keys skip what cannot be chosen; the list starts on the selected item.
    for (int keys = 0; keys <= box->count() && view->currentIndex().row() != index; ++keys)
        hands::pressKey(view, view->currentIndex().row() < index ? Qt::Key_Down : Qt::Key_Up);
    if (view->currentIndex().row() != index) {
        box->hidePopup();
        error = name + " would not step to its item \"" + box->itemText(index).toStdString() + "\"";
        return false;
    }
    hands::pressKey(view, Qt::Key_Return, Qt::NoModifier, "\r");
    return true;
}

} // namespace scripting
