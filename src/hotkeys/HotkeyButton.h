#pragma once
// The small pill in a power tile that shows a display's hotkey; hovering offers to edit it.

#include "appkit/Button.h"
#include "appkit/Colors.h"

#include <QFont>

#include <optional>

namespace hotkeys {

class HotkeyButton : public appkit::Button {
  public:
    explicit HotkeyButton(QWidget* parent = nullptr);

    void setTextColor(appkit::DynamicColor color);
    const appkit::DynamicColor& textColor() const { return textColor_; }
    // The title is what the button shows when it is not hovered.
    void setTitle(const std::string& title) override;
    std::string title() const override { return actualTitle_; }
    void setActive(bool active);
    bool isActive() const { return isActive_; }
    void setHovered(bool hovered);
    bool isHovered() const { return isHovered_; }
    void setRecordingMode(bool recording);
    bool isRecordingMode() const { return isRecordingMode_; }
    void setTitleFont(const QFont& font);

    // What it shows now, and the colours it is drawn in, in its window's appearance.
    std::string shownTitle() const;
    QColor fillColor() const;
    QColor borderColor() const;
    QColor titleColor() const;
    // The shown text's width plus 12, by 18.
    QSize intrinsicContentSize() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void redraw();

    appkit::DynamicColor textColor_ = appkit::color(appkit::SystemColor::secondaryLabel);
    std::string actualTitle_;
    bool isActive_ = false;
    bool isHovered_ = false;
    bool isRecordingMode_ = false;
    std::optional<QFont> font_;
};

} // namespace hotkeys
