#pragma once
// The position table panel `JP_form`: seven rows of position, velocity and
// acceleration, downloaded, read back and run over 13-byte frames.

#include "panels/linked_panel.h"

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

class JogPositionPanel : public LinkedPanel {
    Q_OBJECT
public:
    static constexpr int kRows = kTableEntries;

    JogPositionPanel(CommControl& msc1, Pause& pause, Messenger& messages,
                     QWidget* parent = nullptr);
    ~JogPositionPanel() override;

    CommControl& MSC1() const { return port_; }
    std::uint8_t read_step() const { return read_step_; }

    // Builds, echoes and writes one 13-byte command frame.
    void protocol2(std::uint8_t cmd, std::uint8_t opt1, std::uint8_t vel1, std::uint8_t vel0,
                   std::uint8_t acc1, std::uint8_t acc0, std::uint8_t pos2, std::uint8_t pos1,
                   std::uint8_t pos0);

private:
    // One row's values as the operator typed them.
    struct RowValues {
        std::int32_t pos;
        std::int32_t acc;
        std::int32_t vel;
    };

    void Form_Load();

    void CMD_DOWN_Click();
    void CMD_READ_Click();
    void cmd_move1_Click(int Index);

    // The three boxes of row `row` (0-6); nullopt, after one message naming
    // the row and the column, when one of them is not a number.
    std::optional<RowValues> readRow(int row);
    // One command carrying a row's values: velocity and acceleration in 16
    // bits, position in 24 bits, high byte first. False when it was not
    // sent.
    bool sendRow(std::uint8_t cmd, std::uint8_t opt1, const RowValues& values);
    // Asks the driver for table entry `read_step`.
    void requestEntry();
    // Shows a read-back value whole, even when it is longer than the
    // `typingLimit` characters the operator may type into the box.
    static void showValue(QLineEdit* box, int typingLimit, std::int32_t value);

    void MSC1_OnComm();
    void handleReply(const Reply& reply);

    std::unique_ptr<Ui::JogPositionPanelForm> ui_;
    std::array<QLineEdit*, kRows> Text_pos_{};
    std::array<QLineEdit*, kRows> text_vel_{};
    std::array<QLineEdit*, kRows> text_acc_{};
    std::array<QPushButton*, kRows> cmd_move1_{};
    // How many characters the operator may type into a velocity or
    // acceleration box.
    int typingLimit_ = 0;
    // The table entry (1-7) whose read reply is awaited; 0 for none.
    std::uint8_t read_step_ = 0;
};

} // namespace stepdrive
