#pragma once
// The position table panel `JP_form`: seven rows of position, velocity and
// acceleration, downloaded, read back and run over 13-byte frames.

#include "panels/linked_panel.h"

#include <cstdint>
#include <memory>

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
    void Form_Load();
    void MSC1_OnComm();
    void handleReply(const Reply& reply);

    std::unique_ptr<Ui::JogPositionPanelForm> ui_;
    // The table entry (1-7) whose read reply is awaited; 0 for none.
    std::uint8_t read_step_ = 0;
};

} // namespace stepdrive
