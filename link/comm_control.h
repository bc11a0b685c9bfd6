#pragma once
// The serial-port object each panel owns. Its members are those of the comm
// control the panels were designed around: CommPort, Settings, PortOpen,
// InputLen, RThreshold, InBufferCount, Input, Output, CommEvent
// and the receive event OnComm.
//
// Failures (open refused, port busy, device gone, write on a closed port;
// for a device server, a host not found, a refused or dropped connection) are
// never exceptions: the operation returns false and the reason goes out once
// through `failed`, which the windows word in a message box and the command
// line in English.
//
// It holds one Line, made at each opening by the MakeLine it was given: the
// shipped makeLine, or a test's.

#include "core/line_settings.h"
#include "link/line.h"
#include "link/server_refusal.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

namespace stepdrive {

class PauseGate;

// Why an operation on the port failed: what failed, on which port, and what
// the system said.
struct PortFailure {
    enum class Kind {
        NoPortNumber, // the port number is below 1
        BadSettings,  // the line settings string can't be used
        OpenRefused,  // the device did not open
        NotOpen,      // a frame for a port that is not open
        WriteFailed,  // a frame not written
        Lost,         // the device went away
    };
    // What the system's error means, where the program can tell.
    enum class Cause {
        System,       // only the system's text says
        NoDevice,     // no such device
        NotPermitted, // the user may not use the device
        InUse,        // another program holds it
        TimedOut,     // a write, or a connection to a device server, did not finish in time
        Unreadable,   // the line ended in a failed read
        BadAddress,   // a network port name without a usable host and port
        HostNotFound, // the device server's name is not known
        Refused,      // the device server refused the connection
        Closed,       // the device server ended the connection
        NoRfc2217,    // the device server does not speak COM-PORT-CONTROL
        FarSettings,  // the device server did not set the far line as asked
        SpeaksTelnet, // a raw port (tcp://) answered in telnet: it is RFC 2217
    };
    Kind kind = Kind::OpenRefused;
    QString port; // "COM4 (/dev/ttyS3)", as portLabel gives it
    Cause cause = Cause::System;
    QString systemText;         // the system's own words, for Cause::System
    LineSettingsFault settings; // for BadSettings
    ServerRefusal refusal = {}; // for NoRfc2217 and FarSettings
};

// The device's part of a failure, filled in by an implementation.
struct DeviceFault {
    PortFailure::Cause cause = PortFailure::Cause::System;
    QString systemText;
    ServerRefusal refusal = {};
};

class CommControl : public QObject {
    Q_OBJECT
public:
    static constexpr int comEvReceive = 2;

    // `name` ("MSC", "MSC1", "MSC2") tags the wire log; `gate` may be null.
    CommControl(QString name, PauseGate* gate, MakeLine makeLine = stepdrive::makeLine);
    ~CommControl() override;

    const QString& name() const { return name_; }
    // The pause gate the port holds its receive events back with, or null.
    PauseGate* gate() const { return gate_; }

    int CommPort() const { return commPort_; }
    void setCommPort(int port) { commPort_ = port; }
    const QString& Settings() const { return settings_; }
    void setSettings(const QString& settings) { settings_ = settings; }
    // How long connecting to a device server (and setting its far line)
    // may take.
    int connectTimeoutMs() const { return connectTimeoutMs_; }
    void setConnectTimeout(int ms) { connectTimeoutMs_ = ms; }
    int InputLen() const { return inputLen_; }
    void setInputLen(int len) { inputLen_ = len; }

    // A receive event is raised when the waiting bytes reach the threshold
    // (> 0), never while it is 0. Setting it to a value the waiting bytes
    // already reach raises one (queued), so a reply that came in while a
    // handler ran is not lost.
    int RThreshold() const { return threshold_; }
    void setRThreshold(int threshold);

    int InBufferCount() const;
    void setInBufferCount(int count); // 0 empties the receive buffer

    bool PortOpen() const { return line_ && line_->isOpen(); }
    // Opens with CommPort and Settings, or closes. False when it failed.
    bool setPortOpen(bool open);

    // Removes and returns the oldest InputLen bytes (all with InputLen 0).
    QByteArray Input();
    // Puts the whole block on the wire before it returns.
    bool Output(const QByteArray& block);

    // The kind of the event being signalled (comEvReceive), 0 outside OnComm.
    int CommEvent() const { return commEvent_; }

    // The device the current CommPort maps to, or the one named directly.
    QString devicePath() const;
    // "COM4 (/dev/ttyS3)", for messages.
    QString portLabel() const;
    // How many times the port was opened: a reply awaited on an earlier
    // opening will never come.
    int openings() const { return openings_; }
    // True while a pause holds the receive events back.
    bool eventsHeldBack() const;
    // True while no reply awaited counts as late: a pause holds the receive
    // events back, or a message box waits for the operator.
    bool repliesHeld() const;
    // Names the device directly instead of through CommPort (a path typed in
    // the dialog or given on a command line); empty goes back to CommPort.
    void setDevice(const QString& path) { device_ = path; }

signals:
    void OnComm();
    void failed(const stepdrive::PortFailure& failure);
    // The device went away; its loss is being reported and the port is closed.
    void lost();

protected:
    // Raises OnComm with `event` as CommEvent.
    void raise(int event);

private:
    // The line's notifications: a block came in (logged, as every frame out
    // is), the device went away.
    void dataArrived(const QByteArray& block);
    void deviceLost(const DeviceFault& fault);
    void report(PortFailure::Kind kind, const DeviceFault& fault = {},
                const LineSettingsFault& settings = {});
    void scheduleReceiveCheck();
    void receiveCheck();

    QString name_;
    PauseGate* gate_;
    MakeLine makeLine_;
    std::unique_ptr<Line> line_; // the one opened last
    int commPort_ = 1;
    QString device_;
    QString settings_ = QStringLiteral("9600,N,8,1");
    int inputLen_ = 0;
    int connectTimeoutMs_ = 5000;
    int threshold_ = 0;
    int commEvent_ = 0;
    int openings_ = 0;
    bool checkPending_ = false;
    bool lossPending_ = false; // a lost device, not reported yet
};

} // namespace stepdrive
