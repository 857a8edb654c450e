#pragma once
// A layer-backed view: corner radius, border and background drawn as a layer would. Its
// subviews are placed by frame.

#include "appkit/Colors.h"
#include "appkit/RoundedPlate.h"

#include <QWidget>

namespace appkit {

class LayerView : public QWidget {
  public:
    explicit LayerView(QWidget* parent = nullptr);

    void setCornerRadius(double radius);
    double cornerRadius() const { return cornerRadius_; }
    void setBorderWidth(double width);
    double borderWidth() const { return borderWidth_; }
    void setBorderColor(DynamicColor color);
    DynamicColor borderColor() const { return borderColor_; }
    void setLayerBackgroundColor(DynamicColor color);
    DynamicColor layerBackgroundColor() const { return background_; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    double cornerRadius_ = 0;
    double borderWidth_ = 0;
    DynamicColor borderColor_{SystemColor::clear, 1};
    DynamicColor background_{SystemColor::clear, 1};
    RoundedPlate plate_;
};

} // namespace appkit
