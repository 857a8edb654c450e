#pragma once
// A top-level window in the manner of NSWindow: closing hides it and keeps the object, so its
// owner decides when it is rebuilt.

#include <QImage>
#include <QPoint>
#include <QSize>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace appkit {

enum class Appearance { aqua, darkAqua };

struct WindowStyle {
    bool titled = true;
    bool closable = true;
    bool miniaturizable = true;
    bool resizable = false;
};

class Window {
  public:
    explicit Window(QSize contentSize, WindowStyle style = {});
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    void setTitle(const std::string& title);
    std::string title() const;
    const WindowStyle& style() const { return style_; }

    // The content view is owned by the window from here on.
    void setContentView(QWidget* view);
    QWidget* contentView() const { return content_; }
    void setContentSize(QSize size);
    QSize contentSize() const;
    // Centres the window on the main screen.
    void center();

    bool isVisible() const;
    void makeKeyAndOrderFront();
    // Hides the window without telling its delegate.
    void orderOut();
    // Hides the window after the will-close callback; the object stays usable.
    void close();
    void setWillClose(std::function<void()> callback) { willClose_ = std::move(callback); }

    // The delegate's other notifications.
    enum class Notification { willMiniaturize, didMiniaturize, didDeminiaturize, didMove };
    void setNotificationHandler(std::function<void(Notification)> handler) {
        notify_ = std::move(handler);
    }
    bool isMiniaturized() const;
    void miniaturize();
    void deminiaturize();
    // The frame's height; the top edge stays where it is.
    void setFrameHeight(int height);
    int frameHeight() const;
    QPoint topLeft() const;
    void moveTopLeft(QPoint point);

    // Absent: the window follows the application's (the system's) appearance.
    void setAppearance(std::optional<Appearance> appearance);
    std::optional<Appearance> appearance() const { return appearance_; }
    Appearance effectiveAppearance() const;
    // Called whenever the effective appearance changes, whether set here or by the system.
    int observeEffectiveAppearance(std::function<void()> handler);
    void removeAppearanceObservation(int token);

    // The program's visible windows, the front-most first.
    static std::vector<Window*> orderedWindows();

    // The window's content as it is drawn now (also when hidden).
    QImage snapshot() const;
    QWidget* widget() const;

    void notify(Notification n) {
        if (notify_) notify_(n);
    }

  private:
    class Frame;
    void applyAppearance();
    void notifyWillClose();

    WindowStyle style_;
    std::unique_ptr<Frame> frame_;
    QWidget* content_ = nullptr;
    std::optional<Appearance> appearance_;
    std::function<void()> willClose_;
    std::function<void(Notification)> notify_;
    uint64_t orderedFrontAt_ = 0;
    std::optional<Appearance> shownAppearance_;
    std::map<int, std::function<void()>> appearanceObservers_;
    int nextObserver_ = 1;
    std::optional<int> systemObserver_;
};

} // namespace appkit
