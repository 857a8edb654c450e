#include "platform/sim/SimulatorWindow.h"

#include "platform/SystemLog.h"
#include "platform/sim/ScreensCanvas.h"
#include "platform/sim/SimAppearance.h"
#include "platform/sim/SimBrightness.h"
#include "platform/sim/SimStatusItem.h"
#include "platform/sim/VirtualMac.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace sim {

SimulatorWindow::SimulatorWindow(VirtualMac& mac, QWidget* parent)
    : QWidget(parent), mac_(mac), canvas_(new ScreensCanvas(mac, this)),
      displayChoice_(new QComboBox(this)), statusLine_(new QLabel(this)) {
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
    controls->addWidget(brightRoom);
    controls->addWidget(dimRoom);
    connect(brightRoom, &QPushButton::clicked, this,
            [this] { mac_.brightness().ambientLightChanged(0.9f); });
    connect(dimRoom, &QPushButton::clicked, this,
            [this] { mac_.brightness().ambientLightChanged(0.25f); });
    auto* appearance = new QPushButton("Light / Dark");
    appearance->setToolTip("Switch the system appearance, as System Settings would");
    controls->addWidget(appearance);
    connect(appearance, &QPushButton::clicked, this,
            [this] { mac_.appearance().setDark(!mac_.appearance().isDark()); });

    // DDC writes land on the DDC queue's thread; repaint a few times a second to show them.
    auto* repaint = new QTimer(this);
    connect(repaint, &QTimer::timeout, canvas_, [this] { canvas_->update(); });
    repaint->start(150);

    statusLine_->setStyleSheet("color: #666; font-size: 11px;");
    statusLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 8);
    column->addLayout(controls);
    column->addWidget(canvas_, 1);
    column->addWidget(new QLabel(
        "<span style='color:#666;font-size:11px'>Left-click the status item to open the control "
        "window; right-click or Control-click it for the menu.</span>"));
    column->addWidget(statusLine_);

    rebuildDisplayChoices();
    mac_.setChangeListener([this] { refresh(); });
    resize(1160, 560);
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

void SimulatorWindow::refresh() {
    if (auto item = mac_.statusItem())
        item->setMenuPresenter([this](const platform::Menu& menu) { canvas_->showMenu(menu); });
    auto lines = mac_.log().lines();
    statusLine_->setText(lines.empty() ? QString() : QString::fromStdString(lines.back()));
    canvas_->update();
}

QImage SimulatorWindow::snapshot() {
    refresh();
    return grab().toImage();
}

} // namespace sim
