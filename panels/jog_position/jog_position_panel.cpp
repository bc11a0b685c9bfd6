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
    // Entry n's reply carries velocity, acceleration and position.
    for (int i = 0; i < kRows; ++i)
        readBacks_.push_back({tableCmd::Read,
                              static_cast<std::uint8_t>(i + 1),
                              {text_vel_[i], text_acc_[i], Text_pos_[i]},
                              static_cast<std::uint8_t>(i + 1 < kRows ? i + 2 : 0)});

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

// A row's boxes in the order its frame carries them, each named by its row
// and its column's heading.
std::array<JogPositionPanel::Field, 3> JogPositionPanel::fieldsOf(int row) const {
    const auto named = [row](const QLabel* heading) {
        return tr("%1행 %2").arg(row + 1).arg(heading->text());
    };
    return {{{Text_pos_[row], named(ui_->Label2_0), tablePositionRange()},
             {text_acc_[row], named(ui_->Label1_0), tableSpeedRange()},
             {text_vel_[row], named(ui_->Label2_1), tableSpeedRange()}}};
}

std::optional<TableEntry> JogPositionPanel::readRow(int row, bool carriedWhole) {
    const auto fields = fieldsOf(row);
    std::int32_t values[3];
    for (int i = 0; i < 3; ++i) {
        const QString& name = fields[i].name;
        const auto value = readEntry(fields[i].box, name, messages_);
        if (!value)
            return std::nullopt;
        if (carriedWhole && (*value < fields[i].range.min || *value > fields[i].range.max)) {
            messages_.show(tr("%1: %2은(는) %3~%4 범위를 벗어납니다.")
                               .arg(name)
                               .arg(*value)
                               .arg(fields[i].range.min)
                               .arg(fields[i].range.max));
            return std::nullopt;
        }
        values[i] = *value;
    }
    return TableEntry{values[0], values[2], values[1]};
}

std::optional<std::array<TableEntry, JogPositionPanel::kRows>>
JogPositionPanel::readTable(bool carriedWhole) {
    std::array<TableEntry, kRows> table{};
    for (int i = 0; i < kRows; ++i) {
        const auto entry = readRow(i, carriedWhole);
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

bool JogPositionPanel::sendRow(std::uint8_t cmd, std::uint8_t opt1, const TableEntry& values) {
    // Upper bits are dropped: the driver gets the low 16 or 24 bits.
    const auto d = tableData(values);
    return link_.send({cmd, opt1, d[0], d[1], d[2], d[3], d[4], d[5], d[6]});
}

void JogPositionPanel::CMD_DOWN_Click() {
    // Every box is read before anything goes out: one bad box sends nothing.
    const auto table = readTable();
    if (!table)
        return;
    // Once the line is gone the download stops: one message per press.
    walk(tableDownload(asValues<TableValues>(*table)), pause_,
         [this](std::size_t i, const std::vector<std::uint8_t>& args) {
             for (QLineEdit* box : {Text_pos_[i], text_acc_[i], text_vel_[i]})
                 setBackColour(box, kDownloaded);
             return sendInSequence(i, args);
         });
}

void JogPositionPanel::CMD_READ_Click() {
    std::vector<QLineEdit*> boxes;
    for (const ReadBackRow& row : readBacks_)
        boxes.insert(boxes.end(), row.boxes.begin(), row.boxes.end());
    beginRead(boxes);
    link_.clearRx();
    read_step_ = 1;
    if (!link_.send({tableCmd::Read, read_step_}))
        endReadShort();
}

// Each request of the table read starts with an empty RX echo.
bool JogPositionPanel::requestStep(std::uint8_t code, std::uint8_t step) {
    link_.clearRx();
    return link_.sendFollowing({code, step});
}

void JogPositionPanel::cmd_move1_Click(int Index) {
    const auto values = readRow(Index);
    if (values)
        sendRow(tableCmd::MoveToRow, static_cast<std::uint8_t>(Index), *values);
}

// Only a table entry's reply during a read-back changes the window: it fills
// the row of the entry asked for and asks for the next one.
void JogPositionPanel::handleReply(const Reply& reply) {
    readBack(reply, readBacks_, read_step_);
}

} // namespace stepdrive
