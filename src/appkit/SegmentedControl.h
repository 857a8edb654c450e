#pragma once
// A segmented control in the manner of NSSegmentedControl: one segment selected at a time; a
// click by the user selects and sends the action, selecting in code sends nothing.

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QButtonGroup;

namespace appkit {

class SegmentedControl : public QWidget {
  public:
    using Action = std::function<void(SegmentedControl&)>;

    explicit SegmentedControl(const std::vector<std::string>& labels, QWidget* parent = nullptr);

    int segmentCount() const { return int(labels_.size()); }
    std::string label(int segment) const;
    int selectedSegment() const;
    void setSelectedSegment(int segment);
    void setAction(Action action) { action_ = std::move(action); }
    // The user clicking a segment; nothing when disabled or out of range.
    void performClick(int segment);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void applyStyle();
    std::vector<std::string> labels_;
    QButtonGroup* group_;
    Action action_;
};

} // namespace appkit
