#include "panels/jog_position/jog_position_panel.h"

#include "link/comm_control.h"
#include "ui_jog_position_panel.h"

namespace stepdrive {

JogPositionPanel::JogPositionPanel(CommControl& msc1, Pause& pause, Messenger& messages,
                                   QWidget* parent)
    : LinkedPanel(Format::Long, msc1, pause, messages, parent),
      ui_(std::make_unique<Ui::JogPositionPanelForm>()) {
    ui_->setupUi(this);
    connect(&port_, &CommControl::OnComm, this, &JogPositionPanel::MSC1_OnComm);
    Form_Load();
}

JogPositionPanel::~JogPositionPanel() = default;

void JogPositionPanel::Form_Load() {
    setUpPanel(ui_->txt_tx, ui_->rx2_txt, Border::Sizable);
}

void JogPositionPanel::protocol2(std::uint8_t cmd, std::uint8_t opt1, std::uint8_t vel1,
                                 std::uint8_t vel0, std::uint8_t acc1, std::uint8_t acc0,
                                 std::uint8_t pos2, std::uint8_t pos1, std::uint8_t pos0) {
    link_.send({cmd, opt1, vel1, vel0, acc1, acc0, pos2, pos1, pos0});
}

void JogPositionPanel::MSC1_OnComm() {
    // The trailer is checked only while a table read-back is in progress.
    link_.receive([this](const Reply& reply) { handleReply(reply); }, read_step_ != 0);
}

void JogPositionPanel::handleReply(const Reply&) {}

} // namespace stepdrive
