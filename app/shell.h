#pragma once
// The application shell: the services every window shares (pause, messages,
// the port objects) and the windows themselves, each created on first
// reference and from then on only hidden and shown.

#include <QObject>
#include <functional>
#include <memory>

namespace stepdrive {

class CommControl;
class MainPanel;
class Messenger;
class Pause;
class PauseGate;

class Shell : public QObject {
    Q_OBJECT
public:
    // Makes the port object of one panel ("MSC", "MSC1", "MSC2").
    using PortFactory =
        std::function<std::unique_ptr<CommControl>(const QString& name, PauseGate* gate)>;

    // The shipped shell: serial ports, the blocking pause, message boxes.
    Shell();
    // For tests: other ports, pause and messenger (not owned).
    Shell(PortFactory ports, Pause& pause, Messenger& messages);
    ~Shell() override;

    // Shows the main panel, centred, with every port object closed.
    void start();

    MainPanel& main();

private:
    void adopt(CommControl& port);

    PortFactory ports_;
    std::unique_ptr<PauseGate> gate_;
    std::unique_ptr<Pause> ownPause_;
    std::unique_ptr<Messenger> ownMessages_;
    Pause* pause_;
    Messenger* messages_;

    std::unique_ptr<CommControl> msc_;
    std::unique_ptr<MainPanel> main_;
};

} // namespace stepdrive
