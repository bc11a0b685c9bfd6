#pragma once
// The application shell: the services every window shares (pause, messages,
// the port objects), the windows themselves, each created on first reference
// and from then on only hidden and shown, and the switches between them.

#include "app/port_list.h"
#include "link/port_names.h"

#include <QObject>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

class QWidget;

namespace stepdrive {

class BeltPanel;
class CommControl;
class JogPositionPanel;
class LiveView;
class MainPanel;
class Messenger;
class Pause;
class PauseGate;
class SetupFiles;
class StartDialog;

enum class Win { None, Start, Main, JogPosition, Belt };

// One navigation button: the port object closed (of the panel being left)
// and opened (of the panel being entered), in this order, then the target.
struct Switch {
    Win from;
    const char* button;
    Win closesPortOf;
    Win opensPortOf;
    Win target;
};

inline constexpr Switch kSwitches[] = {
    {Win::Main, "cmd_JP", Win::Main, Win::JogPosition, Win::JogPosition},
    {Win::Main, "Command1", Win::Main, Win::Belt, Win::Belt},
    {Win::JogPosition, "cmd_JP", Win::JogPosition, Win::Main, Win::Main},
    {Win::JogPosition, "Command1", Win::JogPosition, Win::Belt, Win::Belt},
    {Win::Belt, "cmd_MAIN", Win::Belt, Win::Main, Win::Main},
    {Win::Belt, "Command1", Win::Belt, Win::JogPosition, Win::JogPosition},
    // Back to the dialog: the link stays open from the main and table panels.
    {Win::Main, "cmd_comm", Win::None, Win::None, Win::Start},
    {Win::JogPosition, "cmd_comm", Win::None, Win::None, Win::Start},
    {Win::Belt, "cmd_comm", Win::Belt, Win::None, Win::Start},
};

class Shell : public QObject {
    Q_OBJECT
public:
    // Makes the port object of one panel ("MSC", "MSC1", "MSC2").
    using PortFactory =
        std::function<std::unique_ptr<CommControl>(const QString& name, PauseGate* gate)>;

    // The shipped shell: serial ports, the blocking pause, message boxes.
    Shell();
    // Serial ports and the blocking pause, messages to `messages` (not owned).
    explicit Shell(Messenger& messages);
    // For tests: other ports, pause and messenger (not owned).
    Shell(PortFactory ports, Pause& pause, Messenger& messages);
    ~Shell() override;

    // Shows the main panel, centred, with every port object closed.
    void start();

    // Each window and port object is created on first reference.
    MainPanel& main();
    StartDialog& startDialog();
    JogPositionPanel& jogPosition();
    BeltPanel& belt();
    CommControl& MSC();
    CommControl& MSC1();
    CommControl& MSC2();

    // What the menu "파일" of every working panel does.
    SetupFiles& setupFiles();
    // The live view of the main panel's line ("보기" -> "실시간 보기…").
    LiveView& liveView();

    QWidget& window(Win w);
    CommControl& port(Win w);

    // Hides every window but `target` and shows it.
    void showOnly(QWidget& target);
    // Closes every open port object (MSC2, MSC1, MSC) and ends the program.
    // While a jog started on the main panel runs, the operator is asked
    // first: stop the motor and exit, exit and leave it running, or stay.
    void exitProgram();
    // How long the exit waits for the reply to its stop at most: past the
    // reply timeout, after which the operator is told the driver did not
    // answer.
    static constexpr int kStopReplyWaitMs = 1500;

    // What ending the program does; the tests replace it.
    void setEndProgram(std::function<void()> end) { endProgram_ = std::move(end); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The connection dialog's requests. Connect writes the port and the line
    // settings into all three port objects and opens the main panel's;
    // disconnect closes the link, asking first while a jog runs.
    void connectLink(const PortChoice& port, const QString& settings);
    void disconnectLink();
    // The entries of "사용가능 포트": the COM numbers 1 to 10 that open on
    // MSC, and the system's serial devices.
    std::vector<PortEntry> probePorts();
    bool Rs232_Probe(CommControl& port, int n);
    void wire(Win w, QWidget& window);
    void runSwitch(const Switch& s);
    // Before the link closes (exit, disconnect) with a jog running, asks
    // `question` with three `answers`: stop the motor first (its stop goes
    // out and is answered before the port closes), close and leave it
    // running, or cancel. False when the operator cancels.
    bool settleJog(const QString& question, const QStringList& answers);
    // Sends the stop from the main panel's port, which takes the link, and
    // waits for its reply, at most kStopReplyWaitMs.
    void stopJog();
    // The windows created so far (null for the others).
    std::array<QWidget*, 4> existingWindows() const;
    CommControl& port(std::unique_ptr<CommControl>& slot, const char* name);
    template <typename Panel>
    Panel& panel(std::unique_ptr<Panel>& slot, std::unique_ptr<CommControl>& port,
                 const char* portName, Win w);

    PortFactory ports_;
    std::unique_ptr<Pause> ownPause_;
    std::unique_ptr<Messenger> ownMessages_;
    Pause* pause_;
    Messenger* messages_;
    std::function<void()> endProgram_;
    bool configured_ = false;
    SetupFiles* setupFiles_ = nullptr; // a child of the shell
    // An exit is under way: a close meanwhile is part of it.
    bool exiting_ = false;
    // The line lost was running a jog: its loss message says so.
    bool jogLost_ = false;

    std::unique_ptr<CommControl> msc_, msc1_, msc2_;
    std::unique_ptr<MainPanel> main_;
    std::unique_ptr<JogPositionPanel> jogPosition_;
    std::unique_ptr<BeltPanel> belt_;
    std::unique_ptr<StartDialog> start_;
    std::unique_ptr<LiveView> liveView_;
};

} // namespace stepdrive
