#include "ui/StyledPopUpButton.h"

#include "appkit/Colors.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace ui {

namespace {
constexpr int kFallbackPointSize = 12;
constexpr int kTextInset = 8;
constexpr int kArrowRoom = 18;
constexpr double kCornerRadius = 5;

// Set only when it changes: every restyle would otherwise send palette changes down the tree.
void setColor(QWidget& w, QPalette::ColorRole role, const QColor& color) {
    QPalette p = w.palette();
    p.setColor(role, color);
    if (p != w.palette()) w.setPalette(p);
}
} // namespace

StyledPopUpButton::StyledPopUpButton(QWidget* parent) : appkit::PopUpButton(parent) {
    comboBox()->installEventFilter(this);
    // Items added, enabled or disabled later take the colours too.
    auto* model = comboBox()->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, [this] { restyle(); });
    connect(model, &QAbstractItemModel::dataChanged, this, [this] {
        if (!restyling_) restyle();
    });
    restyle();
}

void StyledPopUpButton::resizeEvent(QResizeEvent* event) {
    appkit::PopUpButton::resizeEvent(event);
    restyle();
}

void StyledPopUpButton::changeEvent(QEvent* event) {
    appkit::PopUpButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) restyle();
}

bool StyledPopUpButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == comboBox() && event->type() == QEvent::Paint) {
        paintBezel();
        return true;
    }
    // The menu, built as it first opens, is polished before it shows.
    if (watched == comboBox() && event->type() == QEvent::ChildPolished) colourMenu();
    return appkit::PopUpButton::eventFilter(watched, event);
}

void StyledPopUpButton::restyle() {
    restyling_ = true; // the colours it gives the items come back as changes of their data
    dark_ = appkit::drawsDark(*this);
    hasBezel_ = !dark_;
    const QColor text = appkit::color(appkit::SystemColor::label).resolve(dark_);
    auto* box = comboBox();
    QFont font = box->font();
    if (font.pointSizeF() <= 0) font.setPointSize(kFallbackPointSize);
    if (font != box->font()) box->setFont(font);
    setColor(*box, QPalette::ButtonText, text);
    const QColor background = palette().color(QPalette::Window);
    colourMenu();
    const QColor unavailable = appkit::color(appkit::SystemColor::tertiaryLabel).resolve(dark_);
    auto* model = box->model();
    for (int i = 0; i < box->count(); ++i) {
        const bool enabled = model->flags(model->index(i, 0)).testFlag(Qt::ItemIsEnabled);
        box->setItemData(i, QBrush(enabled ? text : unavailable), Qt::ForegroundRole);
        box->setItemData(i, QBrush(background), Qt::BackgroundRole);
    }
    box->update();
    restyling_ = false;
}

void StyledPopUpButton::colourMenu() {
    // Qt builds the menu the first time it opens (asking for it builds it: seven pop-ups' menus
    // were most of the widgets a launch made); until then there is nothing to colour.
    auto* view = comboBox()->findChild<QAbstractItemView*>();
    if (!view) return;
    // The menu is a window of its own and takes nothing from the control window, and Qt draws
    // its items in the application's menu colours unless each item says otherwise: the label
    // colour over the appearance's own background.
    const QColor background = palette().color(QPalette::Window);
    for (QWidget* menu : {view->window(), static_cast<QWidget*>(view)}) {
        setColor(*menu, QPalette::Window, background);
        setColor(*menu, QPalette::Base, background);
    }
}

void StyledPopUpButton::paintBezel() {
    auto* box = comboBox();
    QPainter p(box);
    p.setRenderHint(QPainter::Antialiasing);
    if (!box->isEnabled()) p.setOpacity(0.5);
    // The recessed bezel: a light grey plate in the light appearance, only its edge in the dark.
    bezel_.paint(p, box->rect(), box->devicePixelRatioF(),
                 {kCornerRadius,
                  hasBezel_ ? QColor::fromRgbF(0.88, 0.88, 0.88) : QColor(Qt::transparent),
                  dark_ ? QColor(255, 255, 255, 40) : QColor(0, 0, 0, 30), 1});

    const QColor text = box->palette().color(QPalette::ButtonText);
    const QRect textRect = box->rect().adjusted(kTextInset, 0, -kArrowRoom, 0);
    p.setPen(text);
    p.setFont(box->font());
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
               box->fontMetrics().elidedText(box->currentText(), Qt::ElideRight, textRect.width()));

    // A small chevron pointing down.
    const QPointF centre(box->width() - kArrowRoom / 2.0 - 2, box->height() / 2.0);
    QPainterPath chevron;
    chevron.moveTo(centre + QPointF(-3.5, -1.75));
    chevron.lineTo(centre + QPointF(0, 1.75));
    chevron.lineTo(centre + QPointF(3.5, -1.75));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(text, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(chevron);
}

} // namespace ui
