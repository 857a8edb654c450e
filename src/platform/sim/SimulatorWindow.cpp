#include "platform/sim/SimulatorWindow.h"
#include "platform/sim/AlertDialog.h"
#include "platform/sim/HostKeys.h"

#include "platform/SystemLog.h"
#include "platform/sim/KeyPad.h"
#include "platform/sim/ScreensCanvas.h"
#include "platform/sim/SimAppearance.h"
#include "platform/sim/SimAudio.h"
#include "platform/sim/SimBattery.h"
#include "platform/sim/SimBrightness.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/SimStatusItem.h"
#include "platform/sim/SimWindowServer.h"
#include "platform/sim/VirtualMac.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace sim {

SimulatorWindow::SimulatorWindow(VirtualMac& mac, bool placesProgramWindows, QWidget* parent)
    : QWidget(parent), mac_(mac), canvas_(new ScreensCanvas(mac, this)),
      displayChoice_(new QComboBox(this)), soundChoice_(new QComboBox(this)),
      logView_(new QPlainTextEdit(this)), keyPad_(new KeyPad(mac, this)),
      placesProgramWindows_(placesProgramWindows) {
    setWindowTitle(
        QString("Virtual Mac — %1").arg(QString::fromStdString(mac.description().model)));

    auto* controls = new QHBoxLayout;
    auto* title =
        new QLabel(QString("<b>%1</b>").arg(QString::fromStdString(mac.description().model)));
    controls->addWidget(title);
    controls->addStretch(1);
    controls->addWidget(new QLabel("Display:"));
    controls->addWidget(displayChoice_);
    auto* plug = new QPushButton("Plug in");
    auto* unplug = new QPushButton("Unplug");
    controls->addWidget(plug);
    controls->addWidget(unplug);
    connect(plug, &QPushButton::clicked, this,
            [this] { mac_.plug(displayChoice_->currentData().toUInt()); });
    connect(unplug, &QPushButton::clicked, this,
            [this] { mac_.unplug(displayChoice_->currentData().toUInt()); });
    // Ambient light only moves the panel while automatic brightness is on.
    auto* brightRoom = new QPushButton("☀ Bright room");
    auto* dimRoom = new QPushButton("☾ Dim room");
    brightRoom->setToolTip("Ambient light change: the panel goes to 90% if auto brightness is on");
    dimRoom->setToolTip("Ambient light change: the panel goes to 25% if auto brightness is on");
    // The room and the system settings on a second row, so the window stays narrow.
    auto* system = new QHBoxLayout;
    system->addStretch(1);
    system->addWidget(brightRoom);
    system->addWidget(dimRoom);
    connect(brightRoom, &QPushButton::clicked, this,
            [this] { mac_.brightness().ambientLightChanged(0.9f); });
    connect(dimRoom, &QPushButton::clicked, this,
            [this] { mac_.brightness().ambientLightChanged(0.25f); });
    // The default sound output chosen elsewhere, as in System Settings.
    system->addWidget(new QLabel("Sound:"));
    system->addWidget(soundChoice_);
    connect(soundChoice_, &QComboBox::activated, this, [this](int index) {
        mac_.audio().setDefaultOutputByName(soundChoice_->itemText(index).toStdString());
    });
    // The power adapter, and a battery that runs a hundred times faster to watch a cycle.
    auto* adapter = new QPushButton("Adapter");
    adapter->setToolTip("Plug the power adapter in or pull it out");
    system->addWidget(adapter);
    connect(adapter, &QPushButton::clicked, this,
            [this] { mac_.battery().setAdapterConnected(!mac_.battery().adapterConnected()); });
    auto* fast = new QPushButton("Fast battery");
    fast->setCheckable(true);
    fast->setToolTip("Charge and discharge 100 times faster");
    system->addWidget(fast);
    connect(fast, &QPushButton::toggled, this,
            [this](bool on) { mac_.battery().setTimeScale(on ? 100 : 1); });
    adapter->setEnabled(mac_.battery().present());
    fast->setEnabled(mac_.battery().present());
    // The night colour filter switched elsewhere, as System Settings would.
    auto* nightShift = new QPushButton("Night Shift");
    nightShift->setToolTip("Turn the system's blue-light filter on or off");
    system->addWidget(nightShift);
    connect(nightShift, &QPushButton::clicked, this, [this] {
        auto& b = mac_.brightness();
        b.changeBlueLightElsewhere(!b.blueLightOn(), b.blueLightStrength());
    });
    auto* reopen = new QPushButton("Open Nightlid");
    reopen->setToolTip("Open the program again, as from Finder or the Dock while it runs");
    system->addWidget(reopen);
    connect(reopen, &QPushButton::clicked, this, [this] { mac_.reopen(); });
    auto* appearance = new QPushButton("Light / Dark");
    appearance->setToolTip("Switch the system appearance, as System Settings would");
    system->addWidget(appearance);
    connect(appearance, &QPushButton::clicked, this,
            [this] { mac_.appearance().setDark(!mac_.appearance().isDark()); });

    // The program's log lines, for whoever asks for them.
    logView_->setReadOnly(true);
    logView_->setMaximumBlockCount(kLogLinesShown);
    logView_->setStyleSheet("font-family: monospace; font-size: 11px;");
    logView_->hide();
    auto* showLog = new QPushButton("Show log");
    showLog->setCheckable(true);
    connect(showLog, &QPushButton::toggled, this, [this, showLog](bool on) {
        showLog->setText(on ? "Hide log" : "Show log");
        logView_->setVisible(on);
        refresh();
    });

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 8);
    column->addLayout(controls);
    column->addLayout(system);
    column->addWidget(keyPad_);
    column->addWidget(canvas_, 1);
    auto* footer = new QHBoxLayout;
    footer->addWidget(new QLabel("<span style='color:#666;font-size:11px'>Left-click the status "
                                 "item to open the control "
                                 "window; right-click or Control-click it for the menu.</span>"),
                      1);
    footer->addWidget(showLog);
    column->addLayout(footer);
    column->addWidget(logView_);

    // Keys typed here are the simulator's own; keys typed into the program's windows are the
    // Mac's (ProgramKeys).
    setProperty(kSimulatorChrome, true);

    rebuildDisplayChoices();
    mac_.setChangeListener([this] { refresh(); });
    resize(960, 620);
    placeOrdinaryWindows();
    refresh();
}

// The machine outlives the window at process end; it must stop calling back.
SimulatorWindow::~SimulatorWindow() {
    mac_.setChangeListener(nullptr);
}

void SimulatorWindow::rebuildDisplayChoices() {
    displayChoice_->clear();
    for (const auto& d : mac_.description().displays)
        displayChoice_->addItem(QString("%1 · %2").arg(d.id).arg(QString::fromStdString(
                                    d.screenName.empty() ? std::string("display") : d.screenName)),
                                d.id);
}

void SimulatorWindow::rebuildSoundChoices() {
    QStringList names;
    QString current;
    for (const auto& a : mac_.audio().devices()) {
        if (a.outputStreams == 0) continue;
        names << QString::fromStdString(a.name);
        if (a.id == mac_.audio().defaultOutput()) current = names.back();
    }
    QStringList shown;
    for (int i = 0; i < soundChoice_->count(); ++i)
        shown << soundChoice_->itemText(i);
    if (shown != names) {
        soundChoice_->clear();
        soundChoice_->addItems(names);
    }
    soundChoice_->setCurrentText(current);
}

void SimulatorWindow::placeOrdinaryWindows() {
    if (!placesProgramWindows_) return;
    // The program's ordinary windows go to the right of this one, never over its screens.
    const QRect frame = frameGeometry();
    double bottom = frame.bottom();
    if (auto* host = screen())
        bottom = std::max(bottom, double(host->availableGeometry().bottom()));
    mac_.windowServer().setOrdinaryWindowArea(platform::Rect{
        double(frame.right() + 12), double(frame.top()), 600, bottom - frame.top() - 40});
}

void SimulatorWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    placeOrdinaryWindows();
}

void SimulatorWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeOrdinaryWindows();
}

void SimulatorWindow::refresh() {
    rebuildSoundChoices();
    keyPad_->refresh();
    if (auto item = mac_.statusItem())
        item->setMenuPresenter([this](const platform::Menu& menu) { canvas_->showMenu(menu); });
    if (logView_->isVisible()) {
        // Only what is new: the view keeps what it already shows.
        for (const auto& line : mac_.log().linesAfter(logLinesShown_, &logLinesShown_))
            logView_->appendPlainText(QString::fromStdString(line));
    }
    canvas_->update();
}

namespace {

// Dialogs open beside the simulator window, never over its screens.
void placeBesideSimulator(QWidget& dialog) {
    for (auto* top : QApplication::topLevelWidgets())
        if (auto* simulator = dynamic_cast<SimulatorWindow*>(top);
            simulator && simulator->isVisible()) {
            dialog.adjustSize();
            dialog.move(simulator->frameGeometry().right() + 12,
                        simulator->frameGeometry().top() + 40);
            return;
        }
}

} // namespace

int SimulatorWindow::presentAlert(platform::AlertRequest& request) {
    AlertDialog box(request);
    placeBesideSimulator(box);
    box.exec();
    box.writeBack(request);
    return box.answer().value_or(0);
}

bool SimulatorWindow::presentAdministratorPrompt(const std::string& message) {
    AdministratorPrompt box(message);
    placeBesideSimulator(box);
    box.exec();
    return box.allowed();
}

QPushButton* SimulatorWindow::button(const QString& text) const {
    for (auto* b : findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

QImage SimulatorWindow::snapshot() {
    refresh();
    return grab().toImage();
}

} // namespace sim
