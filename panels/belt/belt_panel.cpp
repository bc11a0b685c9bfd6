#include "panels/belt/belt_panel.h"

#include "core/commands.h"
#include "link/comm_control.h"
#include "link/pause.h"
#include "ui_belt_panel.h"

#include <algorithm>

namespace stepdrive {

BeltPanel::BeltPanel(CommControl& msc2, Pause& pause, Messenger& messages, QWidget* parent)
    : DriverPanel(Format::Short, msc2, pause, messages, parent),
      ui_(std::make_unique<Ui::BeltPanelForm>()) {
    ui_->setupUi(this);
    const Ui::BeltPanelForm& u = *ui_;
    QLineEdit* const entries[] = {u.Text_wacc1, u.Text_wvmax2, u.Text_wacc3, u.Text_wvmax4};
    const QLabel* const labels[] = {u.Label16, u.Label15, u.Label1, u.Label2};
    const char* const refusals[] = {
        QT_TRANSLATE_NOOP("stepdrive::DriverPanel", "에러 가감속 값은 2047보다 작아야 한다."),
        QT_TRANSLATE_NOOP("stepdrive::DriverPanel", "에러 구동속도 값은 2047보다 작아야 한다."),
        QT_TRANSLATE_NOOP("stepdrive::DriverPanel", "에러 가감속 값은 2047보다 작아야 한다."),
        QT_TRANSLATE_NOOP("stepdrive::DriverPanel", "에러 구동속도 값은 2047보다 작아야 한다.")};
    for (int i = 0; i < kBeltParameterCount; ++i)
        parameters_.push_back({entries[i], labels[i], kBeltParameters[i], refusals[i]});
    readAll_ = &addChain(
        beltRead(), {{u.Text_racc1}, {u.Text_rvmax2}, {u.Text_racc3}, {u.Text_rvmax4}},
        ReadBackChain::Boxes::ReadBack,
        QT_TRANSLATE_NOOP("stepdrive::DriverPanel",
                          "모터 정지: READ ALL을 멈췄습니다. 채우지 못한 칸은 비웠습니다."));
    makeReadBackBoxes(readAll_->boxes());

    connect(ui_->cmd_Data, &QPushButton::clicked, this, &BeltPanel::cmd_Data_Click);
    connect(ui_->cmd_RData, &QPushButton::clicked, this, &BeltPanel::cmd_RData_Click);
    Form_Load();
}

BeltPanel::~BeltPanel() = default;

void BeltPanel::Form_Load() {
    setUpPanel(ui_->txt_tx2, ui_->rx2_txt, Border::Sizable);
    ui_->img_mode2->setVisible(true);
}

bool BeltPanel::in2Used() const {
    return ui_->Check_in2use->isChecked();
}

void BeltPanel::setIn2Used(bool used) {
    ui_->Check_in2use->setChecked(used);
}

// The four parameters, then the IN2-use flag.
void BeltPanel::cmd_Data_Click() {
    const Ui::BeltPanelForm& u = *ui_;
    writeParameters({u.Text_wacc1, u.Text_wvmax2, u.Text_wacc3, u.Text_wvmax4},
                    [used = in2Used()](const std::vector<std::int32_t>& values) {
                        return beltWrite(asValues<BeltValues>(values), used);
                    });
}

void BeltPanel::cmd_RData_Click() {
    startRead(*readAll_);
}

void BeltPanel::handleReply(const Reply& reply) {
    offerToChain(reply);
}

} // namespace stepdrive
