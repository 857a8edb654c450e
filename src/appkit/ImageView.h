#pragma once
// An image view in the manner of NSImageView, with a content tint for template images.

#include "appkit/Colors.h"
#include "appkit/Image.h"

#include <QWidget>

#include <optional>

namespace appkit {

class ImageView : public QWidget {
  public:
    explicit ImageView(QWidget* parent = nullptr);

    void setImage(std::optional<Image> image);
    const std::optional<Image>& image() const { return image_; }
    void setContentTintColor(std::optional<DynamicColor> tint);
    const std::optional<DynamicColor>& contentTintColor() const { return tint_; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    std::optional<Image> image_;
    std::optional<DynamicColor> tint_;
    QImage tinted_;
    qint64 tintedFrom_ = 0;
    QRgb tintedWith_ = 0;
    QSize tintedAt_;
};

} // namespace appkit
