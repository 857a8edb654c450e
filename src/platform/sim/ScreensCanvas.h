#pragma once
// Paints the virtual screens, the menu bar with the status item and an open status menu.

#include "platform/Menu.h"
#include "platform/sim/MachineDescription.h"

#include <QWidget>

#include <map>
#include <optional>

namespace sim {

class VirtualMac;

// The menu bar's height in screen points, and the status menu's measures in window pixels.
constexpr double kMenuBarPoints = 24;
constexpr double kMenuRow = 22, kMenuSeparator = 9, kMenuWidth = 240;

class ScreensCanvas : public QWidget {
  public:
    explicit ScreensCanvas(VirtualMac& mac, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {980, 420}; }

    // The status menu drawn open below the status item, until an item is chosen or it closes.
    void showMenu(const platform::Menu& menu);
    void closeMenu();
    bool menuOpen() const;
    // One screen alone, filling the canvas (a double-click on a screen toggles it); none: all.
    void zoomTo(std::optional<platform::DisplayID> id);
    std::optional<platform::DisplayID> zoomed() const { return zoomed_; }
    // Where a person clicks the status item, and an item of the open menu by its title.
    std::optional<QRectF> statusItemPlace() const;
    std::optional<QRectF> menuItemPlace(const std::string& title) const;
    // The program's window (its number) that takes a click at that point of the canvas, if any.
    std::optional<int> placedWindowAt(QPointF pt) const;

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    struct Layout {
        double scale = 1, dx = 0, dy = 0;
        // A mirrored display has no place in the desktop; it is drawn below the others.
        std::map<platform::DisplayID, platform::Rect> mirrorPlaces;
        QRectF toCanvas(double x, double y, double w, double h) const {
            return {dx + x * scale, dy + y * scale, w * scale, h * scale};
        }
    };
    Layout layout() const;
    bool pressedOnWindow_ = false;
    QRectF statusItemRect() const;
    // The display with the menu bar: the one at the desktop's origin, or with the lid closed
    // whichever the system made main.
    bool isMainDisplay(const DisplayDescription& d) const;
    bool onAScreen(QPointF pt) const;
    std::optional<platform::Point> locationIn(int number, QPointF pt) const;
    bool coveredByView(const DisplayDescription& d) const;
    bool redrawPending_ = false;
    // While a monitor's DDC figures are fresh, one more paint is due (never while idle).
    bool pacingRedrawDue_ = false;
    bool bannerRedrawDue_ = false;
    bool clockRedrawDue_ = false;
    // The machine's wall clock in its time zone, and "HH:MM" of that clock some seconds ago.
    double localSeconds() const;
    QString clockText(double secondsAgo) const;
    std::optional<platform::DisplayID> zoomed_;
    QRectF menuRect() const;
    int menuItemAt(QPointF p) const;
    QRectF screenRect(const Layout& l, const DisplayDescription& d) const;
    double shownBrightness(const DisplayDescription& d) const;
    void paintScreen(QPainter& p, const Layout& l, int index);
    void paintPlacedWindows(QPainter& p, const Layout& l);
    void paintScreenInfo(QPainter& p, const Layout& l, int index);
    // The master's picture, scaled onto the mirrored display's own place.
    void paintMirror(QPainter& p, const Layout& l, int index);
    void paintMachineStrip(QPainter& p);
    void paintLatestNotification(QPainter& p);
    void paintMenuBar(QPainter& p, const QRectF& screen);
    void paintMenu(QPainter& p);
    // Forgets a menu the program closed, or that went with the program that opened it.
    void dropDismissedMenu();

    VirtualMac& mac_;
    std::optional<platform::Menu> openMenu_;
};

} // namespace sim
