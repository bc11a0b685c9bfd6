#pragma once
// Test doubles: a line that records what is written and lets a test push
// the driver's bytes, under a real port control; a pause that records and
// returns at once; a messenger that records.

#include "core/frame.h"
#include "link/comm_control.h"
#include "link/pause.h"
#include "link/receive_buffer.h"
#include "ui/messenger.h"

#include <QByteArray>
#include <QStringList>
#include <functional>
#include <vector>

namespace stepdrive::test {

// Returns at once and records each pause; its logical clock (the sum of the
// pauses so far) is the time the fake port stamps on what it sends.
class RecordingPause : public Pause {
public:
    std::vector<int> durations;
    qint64 nowMs = 0;
    // Runs inside each pause, as the events a real pause lets through would.
    std::function<void()> meanwhile;
    void sleep(int ms) override {
        gate().begin();
        durations.push_back(ms);
        nowMs += ms;
        if (meanwhile)
            meanwhile();
        gate().end();
    }
};

// Hands code that wants a pause of its own the test's pause.
class LentPause : public Pause {
public:
    explicit LentPause(Pause& to) : to_(to) {}
    void sleep(int ms) override { to_.sleep(ms); }

private:
    Pause& to_;
};

// What one port control's fake lines were given and are to do.
struct FakeDevice {
    struct Sent {
        QByteArray bytes;
        qint64 atMs; // the pause clock's time, 0 without one
    };
    std::vector<Sent> sent;
    QStringList opens;   // the device and settings of every successful open
    QString refusedPath; // an open of this device fails
    // When set, every written block is answered with what it returns.
    std::function<QByteArray(const QByteArray&)> answer;
    const RecordingPause* clock = nullptr;
};

// A line in memory: what is written goes to its device's records.
class FakeLine : public Line {
public:
    FakeLine(FakeDevice& device, LineEvents events) : device_(device), events_(std::move(events)) {}

    bool open(const QString& path, const LineSettings& s, DeviceFault* fault) override {
        if (path == device_.refusedPath) {
            fault->systemText = QStringLiteral("refused");
            return false;
        }
        open_ = true;
        device_.opens << QString::asprintf("%s %d,%c,%d,%d", qPrintable(path), s.baud, s.parity,
                                           s.dataBits, s.stopBits);
        return true;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    int bytesWaiting() const override { return in_.waiting(); }
    QByteArray read(int max) override { return in_.take(max); }
    void discard() override { in_.clear(); }
    bool write(const QByteArray& block, DeviceFault*) override {
        device_.sent.push_back({block, device_.clock ? device_.clock->nowMs : 0});
        if (device_.answer)
            deliver(device_.answer(block));
        return true;
    }
    void deliver(const QByteArray& bytes) {
        in_.append(bytes);
        events_.arrived(bytes);
    }
    void lose() { events_.lost({PortFailure::Cause::System, QStringLiteral("gone")}); }

private:
    FakeDevice& device_;
    LineEvents events_;
    bool open_ = false;
    ReceiveBuffer in_;
};

// The real port control over fake lines.
class FakeCommControl : public CommControl, public FakeDevice {
public:
    explicit FakeCommControl(QString name = QStringLiteral("MSC"), PauseGate* gate = nullptr,
                             const RecordingPause* pauseClock = nullptr)
        : CommControl(std::move(name), gate, [this](const QString&, LineEvents events, int) {
              auto line = std::make_unique<FakeLine>(*this, std::move(events));
              line_ = line.get();
              return line;
          }) {
        clock = pauseClock;
    }

    // The driver's bytes come in on the line opened last.
    void push(const QByteArray& bytes) { line_->deliver(bytes); }
    // The device goes away, as when its cable is pulled.
    void lose() { line_->lose(); }
    // Raises a receive event of another kind than "data received".
    void raiseOther(int event) { raise(event); }
    QByteArray lastSent() const { return sent.empty() ? QByteArray() : sent.back().bytes; }

private:
    FakeLine* line_ = nullptr;
};

class RecordingMessenger : public Messenger {
public:
    QStringList shown;
    void show(const QString& text) override { shown << text; }

    // Every question asked, as its text and its choices joined by " | ".
    QStringList asked;
    int answer = -1;
    int ask(const QString& text, const QStringList& choices) override {
        asked << text + QStringLiteral(" | ") + choices.join(QStringLiteral(" | "));
        return answer;
    }
};

// A variable of the environment set for as long as it lives, then back as
// it was.
class ScopedEnv {
public:
    ScopedEnv(QByteArray name, const QString& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    void set(const QString& value);

private:
    QByteArray name_;
    QByteArray before_;
    bool wasSet_;
};

// Points COM n at a device (STEPDRIVE_COM<n>) for as long as it lives.
class ComMapping : public ScopedEnv {
public:
    ComMapping(int n, const QString& path)
        : ScopedEnv(QByteArray("STEPDRIVE_COM") + QByteArray::number(n), path) {}
    void pointAt(const QString& path) { set(path); }
};

// No test touches the machine's serial devices: every COM mapping the
// environment brought along is forgotten, COM 1 to kComNumbersPointedNowhere
// (the probe's and every other the tests name) point at paths that do not
// exist, the system's device list is empty (STEPDRIVE_SERIAL_DEVICES) and
// so is its folder of stable names (STEPDRIVE_SERIAL_BY_ID).
// Subprocesses inherit all of it.
inline constexpr int kComNumbersPointedNowhere = 32;
void pointPortsNowhere();

// The program's settings are kept in `dir`, never in the user's own.
void keepSettingsIn(const QString& dir);

// Lets queued events (receive checks, repaints) run.
void pumpEvents(int rounds = 5);

// "AA 00 07 ..." style hex of a byte block, for readable assertions.
QString hexOf(const QByteArray& bytes);
QString hexOf(const Bytes& bytes);
QByteArray fromHex(const char* text);

} // namespace stepdrive::test
