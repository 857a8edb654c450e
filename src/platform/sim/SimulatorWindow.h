#pragma once
// The simulator window: the virtual screens as their user would see them, laid out by their
// bounds, with the menu bar and the status item. It never covers the host's real screens.

#include "platform/Alerts.h"
#include "platform/Events.h"

#include <QWidget>

#include <optional>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace sim {

class VirtualMac;
class ScreensCanvas;
class KeyPad;

// The most log lines the window's log view shows.
constexpr int kLogLinesShown = 2000;

class SimulatorWindow : public QWidget {
  public:
    // One that places the program's ordinary windows puts them to its right, never over its
    // screens.
    explicit SimulatorWindow(VirtualMac& mac, bool placesProgramWindows = true,
                             QWidget* parent = nullptr);
    ~SimulatorWindow() override;
    // Re-reads the machine (called on every change the machine reports).
    void refresh();
    // The whole window as an image, for screenshots.
    QImage snapshot();
    ScreensCanvas* canvas() const { return canvas_; }
    // The machine's own controls, as a person finds them: a button by its text, the display
    // and sound choices.
    QPushButton* button(const QString& text) const;
    QComboBox* displayChoice() const { return displayChoice_; }
    QComboBox* soundChoice() const { return soundChoice_; }
    // Shows an alert as a modal dialog and returns the index of the button chosen.
    static int presentAlert(platform::AlertRequest& request);
    // The system's password prompt for an administrator script: true when allowed.
    static bool presentAdministratorPrompt(const std::string& message);

  protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void rebuildDisplayChoices();
    void rebuildSoundChoices();
    void placeOrdinaryWindows();

    VirtualMac& mac_;
    ScreensCanvas* canvas_;
    QComboBox* displayChoice_;
    QComboBox* soundChoice_;
    QPlainTextEdit* logView_;
    KeyPad* keyPad_;
    uint64_t logLinesShown_ = 0; // log lines written before the view last caught up
    bool placesProgramWindows_;
};

} // namespace sim
