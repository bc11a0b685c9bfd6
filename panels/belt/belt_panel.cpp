#include "panels/belt/belt_panel.h"

#include "link/comm_control.h"
#include "ui_belt_panel.h"

namespace stepdrive {

BeltPanel::BeltPanel(CommControl& msc2, Pause& pause, Messenger& messages, QWidget* parent)
    : LinkedPanel(Format::Short, msc2, pause, messages, parent),
      ui_(std::make_unique<Ui::BeltPanelForm>()) {
    ui_->setupUi(this);
    connect(&port_, &CommControl::OnComm, this, &BeltPanel::MSC2_OnComm);
    Form_Load();
}

BeltPanel::~BeltPanel() = default;

void BeltPanel::Form_Load() {
    setUpPanel(ui_->txt_tx2, ui_->rx2_txt, Border::Sizable);
    ui_->img_mode2->setVisible(true);
}

void BeltPanel::protocol3(std::uint8_t cmd, std::uint8_t opt1, std::uint8_t data3,
                          std::uint8_t data2, std::uint8_t data1, std::uint8_t data0) {
    link_.send({cmd, opt1, data3, data2, data1, data0});
}

void BeltPanel::MSC2_OnComm() {
    link_.receive([this](const Reply& reply) { handleReply(reply); });
}

void BeltPanel::handleReply(const Reply&) {}

} // namespace stepdrive
