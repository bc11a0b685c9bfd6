#include "app/shell.h"

#include "app/live_view.h"
#include "app/start_dialog.h"
#include "link/comm_control.h"
#include "panels/belt/belt_panel.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"
#include "ui/stop_control.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QScopedValueRollback>
#include <utility>

namespace stepdrive {

namespace {
std::unique_ptr<CommControl> serialPort(const QString& name, PauseGate* gate) {
    return std::make_unique<CommControl>(name, gate);
}
void quitApplication() {
    QCoreApplication::exit(0);
}
} // namespace

Shell::Shell() : Shell(serialPort, shippedServices(nullptr)) {}

Shell::Shell(Messenger& messages) : Shell(serialPort, shippedServices(&messages)) {}

Shell::Shell(PortFactory ports, Pause& pause, Messenger& messages)
    : Shell(std::move(ports), Services{{}, {}, {}, &pause, &messages}) {}

Shell::Shell(PortFactory ports, Services services)
    : services_(std::move(services)), pause_(*services_.pause), messages_(*services_.messages),
      endProgram_(quitApplication), connection_(std::move(ports), pause_.gate(), messages_),
      setupFiles_(*this, messages_) {
    // A lost line leaves the dialog ready to connect again; a replug, connected.
    connect(&connection_, &Connection::lost, this, [this] {
        if (start_)
            start_->setConnected(false);
        if (main_)
            main_->forgetJog();
    });
    connect(&connection_, &Connection::back, this, [this] {
        if (start_)
            start_->setConnected(true);
    });
}

Shell::~Shell() {
    // Windows go before the port objects they hold references to.
    liveView_.reset();
    start_.reset();
    belt_.reset();
    jogPosition_.reset();
    main_.reset();
}

void Shell::start() {
    main().show();
}

// A panel comes into being on first reference, over its port object.
template <typename Panel> Panel& Shell::panel(std::unique_ptr<Panel>& slot, Win w) {
    if (!slot) {
        slot = std::make_unique<Panel>(connection_.port(w), pause_, messages_);
        connection_.attach(w, *slot);
        wire(w, *slot);
    }
    return *slot;
}

MainPanel& Shell::main() {
    return panel(main_, Win::Main);
}
JogPositionPanel& Shell::jogPosition() {
    return panel(jogPosition_, Win::JogPosition);
}
BeltPanel& Shell::belt() {
    return panel(belt_, Win::Belt);
}

StartDialog& Shell::startDialog() {
    if (!start_) {
        start_ = std::make_unique<StartDialog>(portEntries(connection_.probe(), systemPorts()));
        connect(start_.get(), &StartDialog::connectRequested, this, &Shell::connectLink);
        connect(start_.get(), &StartDialog::disconnectRequested, this, &Shell::disconnectLink);
        connect(start_.get(), &StartDialog::exitRequested, this, &Shell::exitProgram);
        wire(Win::Start, *start_);
    }
    return *start_;
}

void Shell::connectLink(const PortChoice& choice, const QString& settings) {
    // Not opened: the port control has said why; the dialog stays ready.
    const bool opened = connection_.open(choice, settings);
    start_->setConnected(opened);
    if (opened)
        showOnly(main());
}

void Shell::disconnectLink() {
    if (!connection_.settle(MotionGuard::Leave::Disconnect))
        return;
    connection_.close();
    start_->setConnected(false);
}

QWidget& Shell::window(Win w) {
    switch (w) {
    case Win::Start:
        return startDialog();
    case Win::JogPosition:
        return jogPosition();
    case Win::Belt:
        return belt();
    default:
        return main();
    }
}

void Shell::wire(Win w, QWidget& window) {
    window.installEventFilter(this);
    for (const Switch& s : kSwitches) {
        if (s.from != w)
            continue;
        auto* button = window.findChild<QAbstractButton*>(QString::fromLatin1(s.button));
        Q_ASSERT(button);
        connect(button, &QAbstractButton::clicked, this, [this, &s] { runSwitch(s); });
    }
    if (auto* exit = window.findChild<QAbstractButton*>(QStringLiteral("CMD_EXIT")))
        connect(exit, &QAbstractButton::clicked, this, &Shell::exitProgram);
    if (w == Win::Start)
        return;
    setupFiles().addMenuTo(&window);
    if (w == Win::Main)
        addViewMenu(&window, [this] { liveView().open(); });
    else // the main panel's form has a stop button of its own
        addStopButton(&window, [&panel = static_cast<DriverPanel&>(window)] { panel.stopMotor(); });
}

LiveView& Shell::liveView() {
    if (!liveView_) {
        // It asks nothing while a sequence or read is under way; its stop
        // goes through whichever panel holds the line.
        liveView_ = std::make_unique<LiveView>(
            LiveView::Line{main().link(), MSC(), main()}, [this] { connection_.stop(); },
            [this] { return connection_.busy(); }, messages_);
    }
    return *liveView_;
}

void Shell::runSwitch(const Switch& s) {
    if (connection_.handOver(s.closesPortOf, s.opensPortOf))
        showOnly(window(s.target));
}

std::array<QWidget*, 4> Shell::existingWindows() const {
    return {start_.get(), main_.get(), jogPosition_.get(), belt_.get()};
}

void Shell::showOnly(QWidget& target) {
    for (QWidget* w : existingWindows())
        if (w && w != &target && w->isVisible())
            w->hide();
    target.show();
}

void Shell::exitProgram() {
    if (exiting_)
        return;
    const QScopedValueRollback<bool> once(exiting_, true);
    if (!connection_.settle(MotionGuard::Leave::Exit))
        return;
    connection_.closeAll();
    for (QWidget* w : existingWindows())
        if (w)
            w->hide();
    if (liveView_)
        liveView_->close();
    endProgram_();
}

bool Shell::eventFilter(QObject* watched, QEvent* event) {
    // Closing any window ends the whole program.
    if (event->type() == QEvent::Close) {
        event->ignore();
        exitProgram();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace stepdrive
