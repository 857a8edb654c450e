#include "appkit/Button.h"

#include "appkit/Colors.h"
#include "appkit/Pictographs.h"
#include "platform/SymbolImages.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace appkit {

namespace {

// The last size measured, for the text and font it was measured in (a new style forgets it).
struct MeasuredSize {
    QString text;
    QFont font;
    QSize size;
    bool holds(const QWidget& w, const QString& t) const {
        return size.isValid() && text == t && font == w.font();
    }
};

// A checkbox or push button that measures a title's pictographs as the labels do (see
// Pictographs.h), by Qt's own arithmetic for its kind; a title without any is measured by Qt.
template <typename Base, QStyle::ContentsType kind> class PictographTitled : public Base {
  public:
    using Base::Base;
    QSize sizeHint() const override {
        const auto plain = withoutPictographs(this->text());
        if (plain.pictographs == 0) return Base::sizeHint();
        if (measured_.holds(*this, this->text())) return measured_.size;
        this->ensurePolished();
        QStyleOptionButton option;
        this->initStyleOption(&option);
        // Each kind's title measured as Qt measures it.
        QSize contents = kind == QStyle::CT_CheckBox
                             ? this->style()
                                   ->itemTextRect(this->fontMetrics(), QRect(),
                                                  Qt::TextShowMnemonic, false, plain.text)
                                   .size()
                             : this->fontMetrics().size(Qt::TextShowMnemonic, plain.text);
        contents.rwidth() += plain.pictographs * pictographWidth(this->font());
        // An icon stands before the title, 4 pixels apart.
        if (!option.icon.isNull())
            contents = QSize(contents.width() + option.iconSize.width() + 4,
                             std::max(contents.height(), option.iconSize.height()));
        // As Qt does for a push button only: its menu indicator is measured against that height.
        if constexpr (kind == QStyle::CT_PushButton) option.rect.setSize(contents);
        measured_ = {this->text(), this->font(),
                     this->style()->sizeFromContents(kind, &option, contents, this)};
        return measured_.size;
    }

  protected:
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::StyleChange) measured_ = {};
        Base::changeEvent(event);
    }

  private:
    mutable MeasuredSize measured_;
};

using CheckBox = PictographTitled<QCheckBox, QStyle::CT_CheckBox>;
using PushButton = PictographTitled<QPushButton, QStyle::CT_PushButton>;

} // namespace

Button::Button(ButtonType type, const std::string& title, QWidget* parent)
    : QWidget(parent), type_(type) {
    if (type == ButtonType::checkbox)
        control_ = new CheckBox(this);
    else
        control_ = new PushButton(this);
    control_->setText(QString::fromStdString(title));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(control_);
    // clicked() comes from the user only, never from setChecked().
    connect(control_, &QAbstractButton::clicked, this, [this] { sendAction(); });
}

void Button::setTitle(const std::string& title) {
    control_->setText(QString::fromStdString(title));
}

std::string Button::title() const {
    return control_->text().toStdString();
}

void Button::setState(ControlState state) {
    if (type_ == ButtonType::checkbox) control_->setChecked(state == ControlState::on);
}

ControlState Button::state() const {
    return type_ == ButtonType::checkbox && control_->isChecked() ? ControlState::on
                                                                  : ControlState::off;
}

void Button::setImage(const std::string& symbolName, const std::string& description) {
    imageName_ = symbolName;
    image_.reset();
    control_->setAccessibleName(QString::fromStdString(description));
    renderImage();
}

void Button::setImage(const Image& image) {
    imageName_.clear();
    image_ = image;
    renderImage();
}

void Button::setBordered(bool bordered) {
    bordered_ = bordered;
    if (auto* push = qobject_cast<QPushButton*>(control_)) {
        push->setFlat(!bordered);
        // Setting a style sheet parses it and polishes the button again, even the same one.
        const QString sheet = bordered ? QString() : "QPushButton { border: none; padding: 0; }";
        if (sheet != push->styleSheet()) push->setStyleSheet(sheet);
    }
}

std::string Button::accessibilityDescription() const {
    return control_->accessibleName().toStdString();
}

void Button::renderImage() {
    if (image_) {
        control_->setIcon(QIcon(QPixmap::fromImage(image_->bitmapFor(drawsDark(*this)))));
        control_->setIconSize(image_->size.toSize());
        return;
    }
    if (imageName_.empty()) return;
    const QColor color = palette().color(QPalette::ButtonText);
    if (auto icon = platform::systemSymbol(imageName_, 16, color)) {
        control_->setIcon(*icon);
        control_->setIconSize(QSize(16, 16));
    } else {
        control_->setIcon(QIcon());
    }
}

void Button::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) renderImage();
    QWidget::changeEvent(event);
}

void Button::setKeyEquivalent(const std::string& key) {
    keyEquivalent_ = key;
    if (auto* push = qobject_cast<QPushButton*>(control_)) push->setDefault(key == "\r");
}

void Button::performClick() {
    if (!isEnabled()) return;
    control_->click();
}

void Button::sendAction() {
    if (action_) action_(*this);
}

} // namespace appkit
