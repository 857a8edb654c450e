#include "app/ControlWindowParts.h"
#include "ui/OneLineLabel.h"
#include "ui/WrappedLabel.h"

#include "appkit/StackView.h"
#include "platform/SymbolImages.h"

#include <QLabel>
#include <QPainter>

namespace controlwindow {

SymbolView::SymbolView(std::string name, std::optional<QColor> tint, int size)
    : name_(std::move(name)), tint_(tint), size_(size) {
    setFixedSize(size + 4, size + 4);
}

void SymbolView::paintEvent(QPaintEvent*) {
    auto image = platform::systemSymbolImage(name_, size_,
                                           tint_.value_or(palette().color(QPalette::WindowText)));
    if (!image) return;
    QPainter p(this);
    p.drawImage(QPointF(2, 2), *image);
}

QLabel* label(const std::string& text, int pointSize, bool semibold) {
    return styled(new ui::OneLineLabel(QString::fromStdString(text)), pointSize, semibold);
}

QLabel* wrappedLabel(const std::string& text, int width, int pointSize) {
    return styled(new ui::WrappedLabel(QString::fromStdString(text), width), pointSize, false);
}

QLabel* styled(QLabel* l, int pointSize, bool semibold) {
    QFont font = l->font();
    if (pointSize > 0) font.setPointSize(pointSize);
    if (semibold) font.setWeight(QFont::DemiBold);
    l->setFont(font);
    return l;
}

QWidget* row(std::initializer_list<QWidget*> views, bool lastAtEnd) {
    auto* r = new appkit::StackView(appkit::Orientation::horizontal);
    r->setSpacing(8);
    const int n = int(views.size());
    int i = 0;
    for (auto* v : views) {
        if (lastAtEnd && i == n - 1 && n > 1) r->addFlexibleSpace();
        r->addArrangedSubview(v);
        ++i;
    }
    // Packed from the left: a suffix follows its title instead of the row's spare room.
    if (!lastAtEnd && n > 1) r->addFlexibleSpace();
    r->setFixedWidth(kCardWidth - 2 * kCardPadding);
    return r;
}

} // namespace controlwindow
