#pragma once
// The line to the driver: the three panels' port objects (each made on
// first reference), connecting, disconnecting and the probe of the COM
// numbers, the hand-over of the line on a panel switch, which panel holds
// it, the motor stop through that panel, what the motor may be doing, and
// the same adapter found again after a loss.

#include "app/motion_guard.h"
#include "link/adapter.h"
#include "link/port_names.h"

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace stepdrive {

class CommControl;
class DriverPanel;
class Messenger;
class PauseGate;

// The windows; the three working panels each have a port object.
enum class Win { None, Start, Main, JogPosition, Belt };

class Connection : public QObject {
    Q_OBJECT
public:
    // Makes the port object of one panel ("MSC", "MSC1", "MSC2").
    using PortFactory =
        std::function<std::unique_ptr<CommControl>(const QString& name, PauseGate* gate)>;

    Connection(PortFactory ports, PauseGate& gate, Messenger& messages, QObject* parent = nullptr);
    ~Connection() override;

    // The port object of a working panel (the main panel's for any other).
    CommControl& port(Win w);
    // The panel over port(w), made by the shell; its link is watched.
    void attach(Win w, DriverPanel& panel);

    // Writes the port and the line settings into all three port objects and
    // opens the main panel's; false when it did not open (said).
    bool open(const PortChoice& port, const QString& settings);
    // Closes the link (the table and main panels' ports).
    void close();
    // Closes every open port object (MSC2, MSC1, MSC).
    void closeAll();
    // A panel switch: closes the port of `leaving` and opens the one of
    // `entering` (either None); false, with the line back where it was,
    // when the one entering did not open.
    bool handOver(Win leaving, Win entering);
    // The COM numbers 1 to 10 that open.
    std::vector<int> probe();
    // Whether a connect has been made.
    bool configured() const { return configured_; }
    // The panel whose port is open; None when the line is closed.
    Win holder() const;

    // Whether a panel's sequence pauses or its read waits.
    bool busy() const;
    // The motor stop through the panel that holds the line (the main
    // panel's when none does, which says the port is closed).
    void stop();
    // Before the line closes for `leave` while the motor may be moving: asks
    // the operator, and stops the motor first (its reply awaited, at most
    // kStopReplyWaitMs) when asked to. False when the operator stays.
    bool settle(MotionGuard::Leave leave);
    static constexpr int kStopReplyWaitMs = 1500;
    MotionGuard& motion() { return motion_; }

    // Where the adapter is looked for after a loss; the tests watch faster.
    AdapterWatch& adapterWatch() { return watch_; }

signals:
    // The line went away (its loss has been said).
    void lost();
    // The adapter came back and its line is open again (said).
    void back();

private:
    CommControl& makePort(Win w);
    // Whether the port object of `w` exists and is open.
    bool isOpen(Win w) const;
    DriverPanel* panel(Win w) const;
    void portLost(Win w);
    // The line is opened or closed by the operator: no adapter is awaited.
    void forgetLoss();
    void adapterBack(const QString& device);
    void stopAndWait();

    PortFactory ports_;
    PauseGate& gate_;
    Messenger& messages_;
    MotionGuard motion_;
    std::array<std::unique_ptr<CommControl>, 3> made_;
    std::array<DriverPanel*, 3> panels_{};
    bool configured_ = false;
    // The adapter of the line connected, when it is known, and the panel
    // whose line was lost.
    std::optional<AdapterIdentity> adapter_;
    Win lostFrom_ = Win::None;
    bool reopenRefusedSaid_ = false;
    AdapterWatch watch_;
};

} // namespace stepdrive
