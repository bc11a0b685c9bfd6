#include "panels/main/main_panel.h"

#include "link/comm_control.h"
#include "link/commands.h"
#include "ui/colours.h"
#include "ui/entry_box.h"
#include "ui_main_panel.h"

namespace stepdrive {

MainPanel::MainPanel(CommControl& msc, Pause& pause, Messenger& messages, QWidget* parent)
    : LinkedPanel(Format::Short, msc, pause, messages, parent),
      ui_(std::make_unique<Ui::MainPanelForm>()) {
    ui_->setupUi(this);
    connect(&port_, &CommControl::OnComm, this, &MainPanel::MSC_OnComm);

    connect(ui_->CMD_CUR, &QPushButton::clicked, this, &MainPanel::CMD_CUR_Click);
    connect(ui_->CMD_CUR_R, &QPushButton::clicked, this, &MainPanel::CMD_CUR_R_Click);
    connect(ui_->cmd_ROL, &QPushButton::clicked, this, &MainPanel::cmd_ROL_Click);
    connect(ui_->cmd_ROR, &QPushButton::clicked, this, &MainPanel::cmd_ROR_Click);
    connect(ui_->mtr_STOP, &QPushButton::clicked, this, &MainPanel::mtr_STOP_Click);
    connect(ui_->cmd_orgin, &QPushButton::clicked, this, &MainPanel::cmd_orgin_Click);
    connect(ui_->Cmd_RPOS, &QPushButton::clicked, this, &MainPanel::Cmd_RPOS_Click);
    Form_Load();
}

MainPanel::~MainPanel() = default;

void MainPanel::Form_Load() {
    setUpPanel(ui_->txt_tx, ui_->rx_txt, Border::Fixed);
}

void MainPanel::protocol(std::uint8_t cmd, std::uint8_t opt1, std::uint8_t data3,
                         std::uint8_t data2, std::uint8_t data1, std::uint8_t data0) {
    link_.send({cmd, opt1, data3, data2, data1, data0});
}

bool MainPanel::sendWithEntry(std::uint8_t cmd, std::uint8_t opt1, const QLineEdit* box,
                              const QString& boxName) {
    const auto value = readEntry(box, boxName, messages_);
    if (!value)
        return false;
    const auto d = bigEndian(*value, 4);
    protocol(cmd, opt1, d[0], d[1], d[2], d[3]);
    return true;
}

void MainPanel::CMD_CUR_Click() {
    sendWithEntry(cmd::Move, opt::MoveAbsolute, ui_->Text_PULSE, ui_->Label3->text());
}

void MainPanel::CMD_CUR_R_Click() {
    sendWithEntry(cmd::Move, opt::MoveIncremental, ui_->Text_PULSE, ui_->Label3->text());
}

// The jog buttons show the last direction started from this panel.
void MainPanel::showJogging(QWidget* direction) {
    for (QWidget* jog : {static_cast<QWidget*>(ui_->cmd_ROR), static_cast<QWidget*>(ui_->cmd_ROL)})
        if (jog != direction)
            setBackColour(jog, buttonFace());
    if (direction)
        setBackColour(direction, colour::red);
}

void MainPanel::cmd_ROL_Click() {
    if (sendWithEntry(cmd::JogLeft, 0, ui_->Txt_Jog, ui_->Label9->text()))
        showJogging(ui_->cmd_ROL);
}

void MainPanel::cmd_ROR_Click() {
    if (sendWithEntry(cmd::JogRight, 0, ui_->Txt_Jog, ui_->Label9->text()))
        showJogging(ui_->cmd_ROR);
}

void MainPanel::mtr_STOP_Click() {
    protocol(cmd::Stop, 0, 0, 0, 0, 0);
    showJogging(nullptr);
}

void MainPanel::cmd_orgin_Click() {
    protocol(cmd::HomeSearch, opt::HomeSearch, 0, 0, 0, 0);
}

void MainPanel::Cmd_RPOS_Click() {
    read_data_ = opt::Position;
    setBackColour(ui_->Text_RPOS, colour::white);
    protocol(cmd::ReadParameter, opt::Position, 0, 0, 0, 0);
}

void MainPanel::MSC_OnComm() {
    link_.receive([this](const Reply& reply) { handleReply(reply); });
}

void MainPanel::handleReply(const Reply&) {}

} // namespace stepdrive
