#pragma once
// Pill-shaped buttons with hover and pressed colours, and a small circular close button.

#include "appkit/Button.h"

#include <QColor>

namespace ui {

// Hover and press tracking shared by both buttons.
class TrackingButton : public appkit::Button {
  public:
    bool isHovered() const { return isHovered_; }
    bool isPressed() const { return isPressed_; }

  protected:
    TrackingButton(const std::string& title, QWidget* parent);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    virtual void restyle() = 0;

  private:
    bool isHovered_ = false;
    bool isPressed_ = false;
};

class CustomCapsuleButton : public TrackingButton {
  public:
    explicit CustomCapsuleButton(const std::string& title, QWidget* parent = nullptr);

    void setNormalBgColor(QColor c) { normalBgColor_ = c, restyle(); }
    void setHoverBgColor(QColor c) { hoverBgColor_ = c, restyle(); }
    void setActiveBgColor(QColor c) { activeBgColor_ = c, restyle(); }
    void setCornerRadius(double r) { cornerRadius_ = r, restyle(); }
    void setContentTintColor(QColor c) { tint_ = c, restyle(); }
    // The colour the background shows now.
    QColor currentBackground() const;

  protected:
    void restyle() override;

  private:
    QColor normalBgColor_ = QColor::fromRgbF(1, 1, 1, 0.08);
    QColor hoverBgColor_ = QColor::fromRgbF(1, 1, 1, 0.15);
    QColor activeBgColor_ = QColor::fromRgbF(1, 1, 1, 0.25);
    double cornerRadius_ = 10;
    QColor tint_ = Qt::white;
};

class CircularCloseButton : public TrackingButton {
  public:
    explicit CircularCloseButton(QWidget* parent = nullptr);
    QColor currentBackground() const;
    QColor currentGlyph() const;

  protected:
    void restyle() override;
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace ui
