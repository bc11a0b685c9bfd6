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
    // The belt parameter (1-4) whose read reply is awaited; 0 for none.
    std::uint8_t read_step() const { return readStep(); }
    // The IN2-use check box.
    bool in2Used() const;
    void setIn2Used(bool used);

private:
    void Form_Load();
    void cmd_Data_Click();
    void cmd_RData_Click();
    void handleReply(const Reply& reply) override;

    std::unique_ptr<Ui::BeltPanelForm> ui_;
    ReadBackChain* readAll_ = nullptr;
};

} // namespace stepdrive
