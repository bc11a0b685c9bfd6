#pragma once
// The belt panel `Belt_form`: the four speed-profile parameters and the
// IN2-use flag of the driver's conveyor-belt mode.

#include "panels/driver_panel.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Ui {
class BeltPanelForm;
}

namespace stepdrive {

class CommControl;
class Messenger;
class Pause;

class BeltPanel : public DriverPanel {
    Q_OBJECT
public:
    BeltPanel(CommControl& msc2, Pause& pause, Messenger& messages, QWidget* parent = nullptr);
    ~BeltPanel() override;

    CommControl& MSC2() const { return port_; }
    std::uint8_t read_step() const { return read_step_; }
    // The IN2-use check box.
    bool in2Used() const;
    void setIn2Used(bool used);

    // Builds, echoes and writes one 10-byte command frame.
private:
    void Form_Load();
    void cmd_Data_Click();
    void cmd_RData_Click();
    void handleReply(const Reply& reply) override;
    void stopWaiting() override { read_step_ = 0; }
    bool reading() const override { return read_step_ != 0; }

    std::unique_ptr<Ui::BeltPanelForm> ui_;
    std::vector<ReadBackRow> readBacks_;
    // The belt parameter (1-4) whose read reply is awaited; 0 for none.
    std::uint8_t read_step_ = 0;
};

} // namespace stepdrive
