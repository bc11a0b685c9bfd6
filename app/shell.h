#pragma once
// The application shell: the services every window shares, the connection,
// the windows themselves, each created on first reference and from then on
// only hidden and shown, and the switches between them.

#include "app/connection.h"
#include "app/services.h"
#include "app/setup_files.h"
#include "app/switches.h"

#include <QObject>
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
class StartDialog;

class Shell : public QObject, public SetupPanels {
    Q_OBJECT
public:
    using PortFactory = Connection::PortFactory;

    // The shipped shell: serial ports, the blocking pause, message boxes.
    Shell();
    // Serial ports and the blocking pause, messages to `messages` (not owned).
    explicit Shell(Messenger& messages);
    // For tests: other ports, pause and messenger (not owned).
    Shell(PortFactory ports, Pause& pause, Messenger& messages);
    ~Shell() override;

    // Shows the main panel, centred, with every port object closed.
    void start();

    // Each window is created on first reference.
    MainPanel& main() override;
    StartDialog& startDialog();
    JogPositionPanel& jogPosition() override;
    BeltPanel& belt() override;
    CommControl& MSC() { return connection_.port(Win::Main); }
    CommControl& MSC1() { return connection_.port(Win::JogPosition); }
    CommControl& MSC2() { return connection_.port(Win::Belt); }
    Connection& connection() { return connection_; }

    // What the menu "파일" of every working panel does.
    SetupFiles& setupFiles() { return setupFiles_; }
    // The live view of the main panel's line ("보기" -> "실시간 보기…").
    LiveView& liveView();

    QWidget& window(Win w);

    // Hides every window but `target` and shows it.
    void showOnly(QWidget& target);
    // Closes every open port object and ends the program; while the motor
    // may be moving, the operator is asked first: stop it and exit, exit and
    // leave it running, or stay.
    void exitProgram();

    // What ending the program does; the tests replace it.
    void setEndProgram(std::function<void()> end) { endProgram_ = std::move(end); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Shell(PortFactory ports, Services services);

    // The connection dialog's requests.
    void connectLink(const PortChoice& port, const QString& settings);
    void disconnectLink();
    void wire(Win w, QWidget& window);
    void runSwitch(const Switch& s);
    // The windows created so far (null for the others).
    std::array<QWidget*, 4> existingWindows() const;
    template <typename Panel> Panel& panel(std::unique_ptr<Panel>& slot, Win w);

    Services services_;
    Pause& pause_;
    Messenger& messages_;
    std::function<void()> endProgram_;
    // An exit is under way: a close meanwhile is part of it.
    bool exiting_ = false;

    Connection connection_;
    SetupFiles setupFiles_;
    std::unique_ptr<MainPanel> main_;
    std::unique_ptr<JogPositionPanel> jogPosition_;
    std::unique_ptr<BeltPanel> belt_;
    std::unique_ptr<StartDialog> start_;
    std::unique_ptr<LiveView> liveView_;
};

} // namespace stepdrive
