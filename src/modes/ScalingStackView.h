#pragma once
// The scaling picker's row: its options side by side over a track line with a tick under each.

#include "appkit/StackView.h"

#include <QLineF>
#include <vector>

namespace modes {

class ScalingStackView : public appkit::StackView {
  public:
    explicit ScalingStackView(QWidget* parent = nullptr);
    // The track line and the ticks, in the stack's coordinates; none with fewer than two options.
    std::vector<QLineF> trackLines() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace modes
