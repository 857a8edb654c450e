#pragma once
// One option of the scaling picker: a small screen whose lines of text stand for the text size
// at that scale, a ring when selected or hovered, and an optional caption.

#include "platform/Displays.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

namespace modes {

class ScalingOptionView : public QWidget {
  public:
    ScalingOptionView(platform::DisplayID displayID, const platform::DisplayMode& mode,
                      int optionIndex, int totalOptions, std::string labelText,
                      QWidget* parent = nullptr);

    const platform::DisplayID displayID;
    const platform::DisplayMode mode;
    const int optionIndex;
    const int totalOptions;
    const std::string labelText;
    std::function<void()> onClick;

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    bool isHovered() const { return hovered_; }
    void setHovered(bool hovered);
    QSize sizeHint() const override { return {80, 80}; }

    // Which row of the line table the icon draws, from 0 (largest text) to 4.
    int densityLevel() const;
    // The ring drawn around the icon: none, the hover ring or the selection ring.
    enum class Ring { none, hover, selection };
    Ring ring() const;
    // The text lines drawn inside the screen, in the view's own unflipped coordinates.
    std::vector<QRectF> textLines() const;
    double opacity() const { return enabled_ ? 1.0 : 0.4; }
    // The screen's grey and its outline's, for the appearance the view is drawn in.
    std::pair<double, double> screenGreys() const;

    // A click as the user makes it.
    void performClick();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QRectF iconRect() const; // unflipped
    bool enabled_ = true;
    bool selected_ = false;
    bool hovered_ = false;
};

} // namespace modes
