#include "panels/main/main_panel.h"

#include "core/commands.h"
#include "link/comm_control.h"
#include "link/pause.h"
#include "ui/colours.h"
#include "ui/entry_box.h"
#include "ui/lamp.h"
#include "ui/messenger.h"
#include "ui_main_panel.h"

#include <QKeySequence>
#include <QShortcut>
#include <algorithm>

namespace stepdrive {

namespace {
// The captions of the output buttons by output and state: what a press does.
const char* const kOutputCaptions[2][2] = {
    {QT_TRANSLATE_NOOP("stepdrive::MainPanel", "출력1 ON"),
     QT_TRANSLATE_NOOP("stepdrive::MainPanel", "출력1 OFF")},
    {QT_TRANSLATE_NOOP("stepdrive::MainPanel", "출력2 ON"),
     QT_TRANSLATE_NOOP("stepdrive::MainPanel", "출력2 OFF")}};
} // namespace

MainPanel::MainPanel(CommControl& msc, Pause& pause, Messenger& messages, QWidget* parent)
    : DriverPanel(Format::Short, msc, pause, messages, parent),
      ui_(std::make_unique<Ui::MainPanelForm>()) {
    ui_->setupUi(this);
    const Ui::MainPanelForm& u = *ui_;
    // The entry boxes and their labels, in the order of the parameter table.
    QLineEdit* const entries[] = {u.Text_WDATA2, u.Text_WDATA3, u.Text_VMAX, u.Text_ACCEL,
                                  u.Text_HSPD,   u.Text_HOFF,   u.Text_REL};
    const QLabel* const labels[] = {u.Label12, u.Label13, u.Label16, u.Label15,
                                    u.Label17, u.Label20, u.Label18};
    const char* const refusals[] = {
        QT_TRANSLATE_NOOP("stepdrive::DriverPanel", "에러 동작전류 값은 32보다 작아야 한다."),
        QT_TRANSLATE_NOOP("stepdrive::DriverPanel", "에러 정지전류 값은 32보다 작아야 한다."),
        QT_TRANSLATE_NOOP("stepdrive::DriverPanel", "에러 구동속도 값은 2047보다 작아야 한다."),
        QT_TRANSLATE_NOOP("stepdrive::DriverPanel", "에러 가감속 값은 2047보다 작아야 한다."),
        QT_TRANSLATE_NOOP("stepdrive::DriverPanel", "에러 홈 이동 속도 값은 2047보다 작아야 한다."),
        "",
        QT_TRANSLATE_NOOP("stepdrive::DriverPanel", "에러 분해능 값은 8보다 작아야 한다.")};
    for (int i = 0; i < kMotorParameterCount; ++i)
        parameters_.push_back({entries[i], labels[i], kMotorParameters[i], refusals[i]});
    readAll_ = &addChain(motorRead(),
                         {{u.Text_RDATA2},
                          {u.Text_RDATA3},
                          {u.Text_RVMAX},
                          {u.Text_RACCEL},
                          {u.Text_RHSPD},
                          {u.Text_RHOFF},
                          {u.Text_REPOS}},
                         ReadBackChain::Boxes::ReadBack);
    position_ = &addChain(positionRead(), {{u.Text_RPOS}}, ReadBackChain::Boxes::ReadBack);
    inputs_ = &addChain(inputsRead(), {{}}, ReadBackChain::Boxes::ReadBack);
    std::vector<QLineEdit*> readBackBoxes = readAll_->boxes();
    readBackBoxes.push_back(u.Text_RPOS);
    makeReadBackBoxes(readBackBoxes);

    connect(ui_->cmd_Data, &QPushButton::clicked, this, &MainPanel::cmd_Data_Click);
    connect(ui_->cmd_RData, &QPushButton::clicked, this, &MainPanel::cmd_RData_Click);

    connect(ui_->CMD_CUR, &QPushButton::clicked, this, &MainPanel::CMD_CUR_Click);
    connect(ui_->CMD_CUR_R, &QPushButton::clicked, this, &MainPanel::CMD_CUR_R_Click);
    connect(ui_->cmd_ROL, &QPushButton::clicked, this, &MainPanel::cmd_ROL_Click);
    connect(ui_->cmd_ROR, &QPushButton::clicked, this, &MainPanel::cmd_ROR_Click);
    connect(ui_->mtr_STOP, &QPushButton::clicked, this, &MainPanel::mtr_STOP_Click);
    connect(ui_->cmd_orgin, &QPushButton::clicked, this, &MainPanel::cmd_orgin_Click);
    connect(ui_->Cmd_RPOS, &QPushButton::clicked, this, &MainPanel::Cmd_RPOS_Click);
    // Escape stops the motor wherever the focus is on this window; a message
    // box is a window of its own, so it never reaches one.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &MainPanel::mtr_STOP_Click);
    // The stop acts during a pause too: it goes out once the pause ends.
    markAsStop(escape);
    markAsStop(ui_->mtr_STOP);
    connect(ui_->CMD_IN, &QPushButton::clicked, this, &MainPanel::CMD_IN_Click);
    connect(ui_->CMD_OUT1, &QPushButton::clicked, this, &MainPanel::CMD_OUT1_Click);
    connect(ui_->CMD_OUT2, &QPushButton::clicked, this, &MainPanel::CMD_OUT2_Click);
    Form_Load();
}

MainPanel::~MainPanel() = default;

void MainPanel::Form_Load() {
    guardEntryBox(ui_->Text_PULSE, ui_->Label3->text(), messages_);
    guardEntryBox(ui_->Txt_Jog, ui_->Label9->text(), messages_);
    setUpPanel(ui_->txt_tx, ui_->rx_txt, Border::Fixed);
}

bool MainPanel::protocol(std::uint8_t cmd, std::uint8_t opt1, std::uint8_t data3,
                         std::uint8_t data2, std::uint8_t data1, std::uint8_t data0) {
    if (!link_.send({cmd, opt1, data3, data2, data1, data0}))
        return false;
    // Only a frame that went out starts or ends a jog.
    if (cmd == cmd::JogLeft || cmd == cmd::JogRight)
        jogging_ = true;
    else if (cmd == cmd::Stop)
        jogging_ = false;
    return true;
}

void MainPanel::cmd_Data_Click() {
    const Ui::MainPanelForm& u = *ui_;
    writeParameters({u.Text_WDATA2, u.Text_WDATA3, u.Text_ACCEL, u.Text_VMAX, u.Text_HSPD,
                     u.Text_HOFF, u.Text_REL},
                    [](const std::vector<std::int32_t>& values) {
                        return motorWrite(asValues<MotorValues>(values));
                    });
}

// The position box is not part of READ ALL.
void MainPanel::cmd_RData_Click() {
    startRead(*readAll_);
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
    // A READ ALL under way asks nothing more: the boxes it did not fill are
    // emptied, and the operator hears of it once the stop went out.
    const bool readAllCut = readAll_->running();
    if (readAllCut)
        endReadShort();
    link_.sendStop([this, readAllCut](bool sent) {
        if (sent)
            jogging_ = false;
        if (readAllCut)
            messages_.show(tr("모터 정지: READ ALL을 멈췄습니다. 채우지 못한 칸은 비웠습니다."));
    });
    showJogging(nullptr);
}

void MainPanel::forgetJog() {
    jogging_ = false;
    showJogging(nullptr);
}

void MainPanel::cmd_orgin_Click() {
    protocol(cmd::HomeSearch, opt::HomeSearch, 0, 0, 0, 0);
}

void MainPanel::Cmd_RPOS_Click() {
    startRead(*position_);
}

// Waiting for the inputs ends any read-back in progress.
void MainPanel::CMD_IN_Click() {
    startRead(*inputs_);
}

void MainPanel::CMD_OUT1_Click() {
    toggleOutput(0, ui_->CMD_OUT1);
}

void MainPanel::CMD_OUT2_Click() {
    toggleOutput(1, ui_->CMD_OUT2);
}

// Every output frame carries all four states as the panel remembers them.
void MainPanel::toggleOutput(std::size_t output, QAbstractButton* button) {
    outputs_[output] = outputs_[output] ? 0 : 1;
    button->setText(tr(kOutputCaptions[output][outputs_[output]]));
    protocol(cmd::SetOutputs, opt::Outputs, outputs_[0], outputs_[1], outputs_[2], outputs_[3]);
}

void MainPanel::showInputs(std::uint8_t statusA, std::uint8_t statusB) {
    const Ui::MainPanelForm& u = *ui_;
    const Inputs in = inputsOf(statusA, statusB);
    Lamp* const lamps[] = {u.led1, u.led2, u.led3, u.led4, u.led5, u.led6, u.led7, u.led8};
    for (std::size_t i = 0; i < in.in.size(); ++i)
        lamps[i]->setOn(in.in[i]);
    u.led_run->setOn(in.running);
    u.led_hsen->setOn(in.homeSensor);
}

void MainPanel::handleReply(const Reply& reply) {
    const bool inputs = inputs_->running();
    if (offerToChain(reply) && inputs)
        showInputs(reply.statusA, reply.statusB);
}

} // namespace stepdrive
