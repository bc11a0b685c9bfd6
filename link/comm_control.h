#pragma once
// The serial-port object each panel owns. Its members are those of the comm
// control the panels were designed around: CommPort, Settings, PortOpen,
// InputMode, InputLen, RThreshold, InBufferCount, Input, Output, CommEvent
// and the receive event OnComm.
//
// Failures (open refused, port busy, device gone, write on a closed port) are
// never exceptions: the operation returns false and the reason goes out once
// through `failed`, which the app connects to a message box.

#include <QByteArray>
#include <QObject>
#include <QString>

namespace stepdrive {

class PauseGate;
struct LineSettings;

class CommControl : public QObject {
    Q_OBJECT
public:
    static constexpr int comEvReceive = 2;
    static constexpr int comInputModeBinary = 1;

    // `name` ("MSC", "MSC1", "MSC2") tags the wire log; `gate` may be null.
    CommControl(QString name, PauseGate* gate, QObject* parent = nullptr);
    ~CommControl() override;

    const QString& name() const { return name_; }

    int CommPort() const { return commPort_; }
    void setCommPort(int port) { commPort_ = port; }
    const QString& Settings() const { return settings_; }
    void setSettings(const QString& settings) { settings_ = settings; }
    int InputMode() const { return inputMode_; }
    void setInputMode(int mode) { inputMode_ = mode; }
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

    bool PortOpen() const { return isDeviceOpen(); }
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
    // Names the device directly instead of through CommPort (a path typed in
    // the dialog or given on a command line); empty goes back to CommPort.
    void setDevice(const QString& path) { device_ = path; }

signals:
    void OnComm();
    void failed(const QString& reason);
    // The device went away; its loss is being reported and the port is closed.
    void lost();

protected:
    virtual bool openDevice(const QString& path, const LineSettings& settings, QString* reason) = 0;
    virtual void closeDevice() = 0;
    virtual bool isDeviceOpen() const = 0;
    virtual int bytesWaiting() const = 0;
    virtual QByteArray readBytes(int max) = 0;
    virtual void discardInput() = 0;
    virtual bool writeBytes(const QByteArray& block, QString* reason) = 0;

    // Implementations call these from their device's notifications.
    void dataArrived();
    void deviceLost(const QString& reason);
    void report(const QString& reason);
    // Raises OnComm with `event` as CommEvent.
    void raise(int event);

private:
    void scheduleReceiveCheck();
    void receiveCheck();

    QString name_;
    PauseGate* gate_;
    int commPort_ = 1;
    QString device_;
    QString settings_ = QStringLiteral("9600,N,8,1");
    int inputMode_ = 0;
    int inputLen_ = 0;
    int threshold_ = 0;
    int commEvent_ = 0;
    int openings_ = 0;
    bool checkPending_ = false;
    bool lossPending_ = false; // a lost device, not reported yet
};

} // namespace stepdrive
