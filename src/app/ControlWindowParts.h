#pragma once
// Small views the control window is built from.

#include <QColor>
#include <QWidget>

#include <optional>
#include <string>

class QLabel;

namespace controlwindow {

constexpr int kContentWidth = 560;
constexpr int kColumnInset = 20;
constexpr int kCardWidth = kContentWidth - 2 * kColumnInset;
constexpr int kCardPadding = 16;

// A system symbol, in a fixed colour or in the text colour of the window's appearance.
class SymbolView : public QWidget {
  public:
    explicit SymbolView(std::string name, std::optional<QColor> tint = std::nullopt, int size = 18);
    const std::string& symbolName() const { return name_; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    std::string name_;
    std::optional<QColor> tint_;
    int size_;
};

// pointSize 0 keeps the font of the rest of the window.
QLabel* label(const std::string& text, int pointSize = 0, bool semibold = false);
// Word-wrapped at a fixed width (cheap to lay out again and again).
QLabel* wrappedLabel(const std::string& text, int width, int pointSize = 0);
QLabel* styled(QLabel* l, int pointSize, bool semibold);
// A row of views spanning a card, with the last one pushed to the far end when asked.
QWidget* row(std::initializer_list<QWidget*> views, bool lastAtEnd = true);

} // namespace controlwindow
