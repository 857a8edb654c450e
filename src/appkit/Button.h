#pragma once
// A push button or checkbox in the manner of NSButton: a title, an on/off state, a tag, and an
// action that receives the button. Setting the state in code sends no action; a click does.

#include "appkit/Image.h"

#include <QWidget>

#include <optional>

#include <functional>
#include <string>

class QAbstractButton;

namespace appkit {

enum class ButtonType { push, checkbox };
enum class ControlState { off = 0, on = 1 };

class Button : public QWidget {
  public:
    using Action = std::function<void(Button&)>;

    Button(ButtonType type, const std::string& title, QWidget* parent = nullptr);

    ButtonType type() const { return type_; }
    virtual ~Button() = default;
    virtual void setTitle(const std::string& title);
    virtual std::string title() const;
    // Push buttons are always off.
    void setState(ControlState state);
    ControlState state() const;
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    void setAction(Action action) { action_ = std::move(action); }
    bool hasAction() const { return bool(action_); }

    // An icon button shows a system symbol in the text colour of its window's appearance.
    void setImage(const std::string& symbolName, const std::string& accessibilityDescription);
    const std::string& imageName() const { return imageName_; }
    std::string accessibilityDescription() const;
    // An image-only button shows this image as it is.
    void setImage(const Image& image);
    const std::optional<Image>& image() const { return image_; }
    void setBordered(bool bordered);
    bool isBordered() const { return bordered_; }
    void setAccessibilityLabel(const std::string& label) { accessibilityLabel_ = label; }
    const std::string& accessibilityLabel() const { return accessibilityLabel_; }
    // The key that presses the button wherever the focus is in its window ("\r" for Return: the
    // window's default button, drawn as such).
    void setKeyEquivalent(const std::string& key);
    const std::string& keyEquivalent() const { return keyEquivalent_; }

    // A click as the user makes it: a checkbox flips first, then the action runs.
    // A disabled button does nothing.
    void performClick();

  protected:
    void changeEvent(QEvent* event) override;
    // For buttons drawn their own way.
    QAbstractButton* control() const { return control_; }

  private:
    void sendAction();
    void renderImage();

    ButtonType type_;
    QAbstractButton* control_;
    int tag_ = 0;
    Action action_;
    std::string imageName_;
    std::optional<Image> image_;
    bool bordered_ = true;
    std::string accessibilityLabel_;
    std::string keyEquivalent_;
};

} // namespace appkit
