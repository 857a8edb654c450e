#include "appkit/WheelScrolls.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QEvent>
#include <QWheelEvent>
#include <QWidget>

namespace appkit {

namespace {

class WheelScrolls : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel) return false;
        for (auto* w = qobject_cast<QWidget*>(watched); w; w = w->parentWidget())
            if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) {
                QCoreApplication::sendEvent(area->viewport(), event);
                break;
            }
        return true;
    }
};

} // namespace

void wheelScrollsOnly(QWidget* control) {
    control->installEventFilter(new WheelScrolls(control));
}

} // namespace appkit
