#include "app/shell.h"

#include "link/comm_control.h"
#include "link/pause.h"
#include "link/serial_comm_control.h"
#include "panels/main/main_panel.h"
#include "ui/message_box.h"

namespace stepdrive {

namespace {
std::unique_ptr<CommControl> serialPort(const QString& name, PauseGate* gate) {
    return std::make_unique<SerialCommControl>(name, gate);
}
} // namespace

Shell::Shell() : ports_(serialPort), gate_(std::make_unique<PauseGate>()) {
    ownPause_ = std::make_unique<BlockingPause>(*gate_);
    ownMessages_ = std::make_unique<MessageBoxMessenger>();
    pause_ = ownPause_.get();
    messages_ = ownMessages_.get();
}

Shell::Shell(PortFactory ports, Pause& pause, Messenger& messages)
    : ports_(std::move(ports)), gate_(std::make_unique<PauseGate>()), pause_(&pause),
      messages_(&messages) {}

Shell::~Shell() = default;

void Shell::adopt(CommControl& port) {
    connect(&port, &CommControl::failed, this, [this](const QString& why) { messages_->show(why); });
}

void Shell::start() { main().show(); }

MainPanel& Shell::main() {
    if (!main_) {
        msc_ = ports_(QStringLiteral("MSC"), gate_.get());
        adopt(*msc_);
        main_ = std::make_unique<MainPanel>(*msc_, *pause_, *messages_);
    }
    return *main_;
}

} // namespace stepdrive
