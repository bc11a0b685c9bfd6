#include "panels/jog_position/jog_position_panel.h"

#include "core/commands.h"
#include "core/profile.h"
#include "link/comm_control.h"
#include "link/pause.h"
#include "ui/colours.h"
#include "ui/entry_box.h"
#include "ui/messenger.h"
#include "ui_jog_position_panel.h"

namespace stepdrive {

namespace {
// A row's boxes once the table went out: light cyan.
const QColor kDownloaded{128, 255, 255};
} // namespace

JogPositionPanel::JogPositionPanel(CommControl& msc1, Pause& pause, Messenger& messages,
                                   QWidget* parent)
    : DriverPanel(Format::Long, msc1, pause, messages, parent),
      ui_(std::make_unique<Ui::JogPositionPanelForm>()) {
    ui_->setupUi(this);
    Text_pos_ = {ui_->Text_pos_0, ui_->Text_pos_1, ui_->Text_pos_2, ui_->Text_pos_3,
                 ui_->Text_pos_4, ui_->Text_pos_5, ui_->Text_pos_6};
    text_vel_ = {ui_->text_vel_0, ui_->text_vel_1, ui_->text_vel_2, ui_->text_vel_3,
                 ui_->text_vel_4, ui_->text_vel_5, ui_->text_vel_6};
    text_acc_ = {ui_->text_acc_0, ui_->text_acc_1, ui_->text_acc_2, ui_->text_acc_3,
                 ui_->text_acc_4, ui_->text_acc_5, ui_->text_acc_6};
    cmd_move1_ = {ui_->cmd_move1_0, ui_->cmd_move1_1, ui_->cmd_move1_2, ui_->cmd_move1_3,
                  ui_->cmd_move1_4, ui_->cmd_move1_5, ui_->cmd_move1_6};
    // Entry n's reply carries velocity, acceleration and position; what the
    // operator typed stays where a short read did not reach.
    std::vector<std::vector<QLineEdit*>> rows;
    for (int i = 0; i < kRows; ++i)
        rows.push_back({text_vel_[i], text_acc_[i], Text_pos_[i]});
    read_ = &addChain(tableRead(), std::move(rows), ReadBackChain::Boxes::Entry,
                      QT_TRANSLATE_NOOP("stepdrive::DriverPanel",
                                        "모터 정지: DATA READ를 멈췄습니다. 읽지 못한 행은 "
                                        "입력한 값 그대로입니다."));

    connect(ui_->CMD_DOWN, &QPushButton::clicked, this, &JogPositionPanel::CMD_DOWN_Click);
    connect(ui_->CMD_READ, &QPushButton::clicked, this, &JogPositionPanel::CMD_READ_Click);
    for (int i = 0; i < kRows; ++i)
        connect(cmd_move1_[i], &QPushButton::clicked, this, [this, i] { cmd_move1_Click(i); });
    Form_Load();
}

JogPositionPanel::~JogPositionPanel() = default;

void JogPositionPanel::Form_Load() {
    for (int row = 0; row < kRows; ++row)
        for (const Field& field : fieldsOf(row))
            guardEntryBox(field.box, field.name, messages_);
    setUpPanel(ui_->txt_tx, ui_->rx2_txt, Border::Sizable);
}

// A row's boxes in the order a download reads them, each named by its row
// and its column's heading.
std::array<JogPositionPanel::Field, 3> JogPositionPanel::fieldsOf(int row) const {
    const auto named = [row](const QLabel* heading) {
        return tr("%1행 %2").arg(row + 1).arg(heading->text());
    };
    return {{{Text_pos_[row], named(ui_->Label2_0), kTableFields[0]},
             {text_acc_[row], named(ui_->Label1_0), kTableFields[2]},
             {text_vel_[row], named(ui_->Label2_1), kTableFields[1]}}};
}

std::optional<TableEntry> JogPositionPanel::readRow(int row) {
    TableEntry entry;
    for (const Field& f : fieldsOf(row)) {
        const auto value = readEntry(f.box, f.name, messages_);
        if (!value)
            return std::nullopt;
        if (!carried(f.rule, *value)) {
            const Range range = rangeOf(f.rule);
            messages_.show(tr("%1: %2은(는) %3~%4 범위를 벗어납니다.")
                               .arg(f.name)
                               .arg(*value)
                               .arg(range.min)
                               .arg(range.max));
            return std::nullopt;
        }
        entry.*f.rule.member = *value;
    }
    return entry;
}

std::optional<std::array<TableEntry, JogPositionPanel::kRows>> JogPositionPanel::readTable() {
    std::array<TableEntry, kRows> table{};
    for (int i = 0; i < kRows; ++i) {
        const auto entry = readRow(i);
        if (!entry)
            return std::nullopt;
        table[i] = *entry;
    }
    return table;
}

void JogPositionPanel::showTable(const TableValues& table) {
    for (int i = 0; i < kRows; ++i) {
        const auto& entry = table[static_cast<std::size_t>(i)];
        if (!entry)
            continue;
        showWhole(Text_pos_[i], entry->position);
        showWhole(text_vel_[i], entry->velocity);
        showWhole(text_acc_[i], entry->acceleration);
        for (QLineEdit* box : {Text_pos_[i], text_vel_[i], text_acc_[i]})
            setBackColour(box, colour::white);
    }
}

void JogPositionPanel::CMD_DOWN_Click() {
    // Every box is read before anything goes out: one bad box sends nothing.
    const auto table = readTable();
    if (!table)
        return;
    std::vector<std::vector<QLineEdit*>> rows;
    for (int i = 0; i < kRows; ++i)
        rows.push_back({Text_pos_[i], text_acc_[i], text_vel_[i]});
    writeAll({}, tableDownload(asValues<TableValues>(*table)), rows, kDownloaded,
             QT_TRANSLATE_NOOP("stepdrive::DriverPanel",
                               "모터 정지: DATA DOWNLOAD를 멈췄습니다. %1행 중 %2행을 보냈고, "
                               "나머지 행은 보내지 않았습니다."));
}

void JogPositionPanel::CMD_READ_Click() {
    startRead(*read_);
}

// Each request of the table read starts with an empty RX echo.
bool JogPositionPanel::askInChain(bool first, const std::vector<std::uint8_t>& args) {
    link_.clearRx();
    return DriverPanel::askInChain(first, args);
}

void JogPositionPanel::cmd_move1_Click(int Index) {
    const auto values = readRow(Index);
    if (!values)
        return;
    const auto d = tableData(*values);
    link_.send({tableCmd::MoveToRow, static_cast<std::uint8_t>(Index), d[0], d[1], d[2], d[3], d[4],
                d[5], d[6]});
}

// Only a table entry's reply during a read-back changes the window: it fills
// the row of the entry asked for and asks for the next one.
void JogPositionPanel::handleReply(const Reply& reply) {
    offerToChain(reply);
}

} // namespace stepdrive
