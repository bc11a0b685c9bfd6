#pragma once
// The position table panel `JP_form`: seven rows of position, velocity and
// acceleration, downloaded, read back and run over 13-byte frames.

#include "core/profile.h"
#include "panels/driver_panel.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

class QLineEdit;
class QPushButton;

namespace Ui {
class JogPositionPanelForm;
}

namespace stepdrive {

class CommControl;
class Messenger;
class Pause;

class JogPositionPanel : public DriverPanel {
    Q_OBJECT
public:
    static constexpr int kRows = kTableEntries;

    JogPositionPanel(CommControl& msc1, Pause& pause, Messenger& messages,
                     QWidget* parent = nullptr);
    ~JogPositionPanel() override;

    CommControl& MSC1() const { return port_; }
    std::uint8_t read_step() const { return read_step_; }

    // The table as its boxes hold it; nullopt, after one message naming the
    // row and the column, when a box is not a number or, when `carriedWhole`,
    // holds a value its field does not carry unchanged.
    std::optional<std::array<TableEntry, kRows>> readTable(bool carriedWhole = false);
    // Fills the table's boxes, white: shown, not sent.
    void showTable(const TableValues& table);

    // Builds, echoes and writes one 13-byte command frame.
private:
    void Form_Load();

    void CMD_DOWN_Click();
    void CMD_READ_Click();
    void cmd_move1_Click(int Index);

    struct Field {
        QLineEdit* box;
        QString name;
        Range range;
    };
    std::array<Field, 3> fieldsOf(int row) const;
    // The three boxes of row `row` (0-6), read as readTable reads them.
    std::optional<TableEntry> readRow(int row, bool carriedWhole = false);
    // One command carrying a row's values: velocity and acceleration in 16
    // bits, position in 24 bits, high byte first. False when it was not
    // sent.
    bool sendRow(std::uint8_t cmd, std::uint8_t opt1, const TableEntry& values);

    void handleReply(const Reply& reply) override;
    bool requestStep(std::uint8_t code, std::uint8_t step) override;
    void stopWaiting() override { read_step_ = 0; }
    bool reading() const override { return read_step_ != 0; }
    bool checksTrailer() const override { return read_step_ != 0; }

    std::unique_ptr<Ui::JogPositionPanelForm> ui_;
    std::array<QLineEdit*, kRows> Text_pos_{};
    std::array<QLineEdit*, kRows> text_vel_{};
    std::array<QLineEdit*, kRows> text_acc_{};
    std::array<QPushButton*, kRows> cmd_move1_{};
    // DATA READ: entries 1 to 7, one row each.
    std::vector<ReadBackRow> readBacks_;
    // The table entry (1-7) whose read reply is awaited; 0 for none.
    std::uint8_t read_step_ = 0;
};

} // namespace stepdrive
