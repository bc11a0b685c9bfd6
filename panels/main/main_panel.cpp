#include "panels/main/main_panel.h"

#include "link/comm_control.h"
#include "ui/echo_boxes.h"
#include "ui/form_look.h"
#include "ui_main_panel.h"

namespace stepdrive {

MainPanel::MainPanel(CommControl& msc, Pause& pause, Messenger& messages, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::MainPanelForm>()), msc_(msc), pause_(pause),
      messages_(messages), link_(Format::Short, msc, messages) {
    ui_->setupUi(this);
    applyFormLook(this);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    inputLamps_ = {ui_->led1, ui_->led2, ui_->led3, ui_->led4,
                   ui_->led5, ui_->led6, ui_->led7, ui_->led8};

    bindEchoBoxes(link_, ui_->txt_tx, ui_->rx_txt);
    connect(&msc_, &CommControl::OnComm, this, &MainPanel::MSC_OnComm);
    Form_Load();
}

MainPanel::~MainPanel() = default;

void MainPanel::Form_Load() { centreOnScreen(this); }

void MainPanel::protocol(std::uint8_t cmd, std::uint8_t opt1, std::uint8_t data3,
                         std::uint8_t data2, std::uint8_t data1, std::uint8_t data0) {
    link_.send({cmd, opt1, data3, data2, data1, data0});
}

void MainPanel::MSC_OnComm() {
    link_.receive([this](const Reply& reply) { handleReply(reply); });
}

void MainPanel::handleReply(const Reply&) {}

} // namespace stepdrive
