#pragma once
// The main panel `main`: motor parameters, motion, inputs and outputs.

#include "panels/driver_panel.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QAbstractButton;
class QLineEdit;

namespace Ui {
class MainPanelForm;
}

namespace stepdrive {

class CommControl;

class Messenger;
class Pause;

class MainPanel : public DriverPanel {
    Q_OBJECT
public:
    MainPanel(CommControl& msc, Pause& pause, Messenger& messages, QWidget* parent = nullptr);
    ~MainPanel() override;

    CommControl& MSC() const { return port_; }
    // Which reply the panel waits for: 0 none; a parameter's opt1 during
    // READ ALL; 8 the position; 10 the inputs.
    std::uint8_t read_data() const { return inputs_->running() ? kReadingInputs : readStep(); }
    const std::array<std::uint8_t, 4>& outputs() const { return outputs_; }

    // "모터 정지", and Escape on this panel: the motor stop, which cuts a
    // WRITE ALL or READ ALL under way short.
    void mtr_STOP_Click() { stopMotor(); }
    // The stop also ends the red of the jog buttons.
    void stopMotor(std::function<void(bool sent)> done = {}) override;
    // The line that ran a jog is gone: no jog button shows red.
    void forgetJog();

    // Builds, echoes and writes one 10-byte command frame; false when it
    // did not go out.
    bool protocol(std::uint8_t cmd, std::uint8_t opt1, std::uint8_t data3, std::uint8_t data2,
                  std::uint8_t data1, std::uint8_t data0);

private:
    void Form_Load();

    // Motor parameters
    void cmd_Data_Click();
    void cmd_RData_Click();

    // Motion
    void CMD_CUR_Click();
    void CMD_CUR_R_Click();
    void cmd_ROL_Click();
    void cmd_ROR_Click();
    void cmd_orgin_Click();
    void Cmd_RPOS_Click();
    // Sends one motion command with the entry value of `box` (named
    // `boxName` to the operator) in all four data bytes; false when the
    // entry was refused and nothing was sent.
    bool sendWithEntry(std::uint8_t cmd, std::uint8_t opt1, const QLineEdit* box,
                       const QString& boxName);
    void showJogging(QWidget* direction);

    // Inputs and outputs
    void CMD_IN_Click();
    void CMD_OUT1_Click();
    void CMD_OUT2_Click();
    void toggleOutput(std::size_t output, QAbstractButton* button);
    void showInputs(std::uint8_t statusA, std::uint8_t statusB);

    void handleReply(const Reply& reply) override;

    static constexpr std::uint8_t kReadingInputs = 10;
    std::unique_ptr<Ui::MainPanelForm> ui_;
    ReadBackChain* readAll_ = nullptr;
    ReadBackChain* position_ = nullptr;
    ReadBackChain* inputs_ = nullptr;
    // Outputs 1 to 4, 1 = on; only 1 and 2 have buttons.
    std::array<std::uint8_t, 4> outputs_{};
};

} // namespace stepdrive
