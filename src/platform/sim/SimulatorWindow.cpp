#include "platform/sim/SimulatorWindow.h"

#include "platform/SystemLog.h"
#include "platform/sim/ScreensCanvas.h"
#include "platform/sim/SimStatusItem.h"
#include "platform/sim/VirtualMac.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace sim {

SimulatorWindow::SimulatorWindow(VirtualMac& mac, QWidget* parent)
    : QWidget(parent), mac_(mac), canvas_(new ScreensCanvas(mac, this)),
      displayChoice_(new QComboBox(this)), statusLine_(new QLabel(this)) {
    setWindowTitle(QString("Virtual Mac — %1").arg(QString::fromStdString(mac.description().model)));

    auto* controls = new QHBoxLayout;
    auto* title = new QLabel(QString("<b>%1</b>").arg(QString::fromStdString(mac.description().model)));
    controls->addWidget(title);
    controls->addStretch(1);
    controls->addWidget(new QLabel("Display:"));
    controls->addWidget(displayChoice_);
    auto* plug = new QPushButton("Plug in");
    auto* unplug = new QPushButton("Unplug");
    controls->addWidget(plug);
    controls->addWidget(unplug);
    connect(plug, &QPushButton::clicked, this, [this] {
        mac_.plug(displayChoice_->currentData().toUInt());
    });
    connect(unplug, &QPushButton::clicked, this, [this] {
        mac_.unplug(displayChoice_->currentData().toUInt());
    });

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
    resize(1000, 540);
    refresh();
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
