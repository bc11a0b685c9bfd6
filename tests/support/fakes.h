#pragma once
// Test doubles: a port control that records what is written and lets a test
// push the driver's bytes, a pause that records and returns at once, and a
// messenger that records.

#include "core/frame.h"
#include "core/line_settings.h"
#include "link/comm_control.h"
#include "link/pause.h"
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

class FakeCommControl : public CommControl {
    Q_OBJECT
public:
    explicit FakeCommControl(QString name = QStringLiteral("MSC"), PauseGate* gate = nullptr,
                             const RecordingPause* clock = nullptr)
        : CommControl(std::move(name), gate), clock(clock) {}

    struct Sent {
        QByteArray bytes;
        qint64 atMs; // the pause clock's time, 0 without one
    };
    std::vector<Sent> sent;
    QStringList opens;   // the device and settings of every successful open
    QString refusedPath; // an open of this device fails
    // When set, every written block is answered with what it returns.
    std::function<QByteArray(const QByteArray&)> answer;
    const RecordingPause* clock;

    void push(const QByteArray& bytes) {
        in += bytes;
        dataArrived(bytes);
    }
    // The device goes away, as when its cable is pulled.
    void lose() { deviceLost({PortFailure::Cause::System, QStringLiteral("gone")}); }
    // Raises a receive event of another kind than "data received".
    void raiseOther(int event) { raise(event); }
    QByteArray lastSent() const { return sent.empty() ? QByteArray() : sent.back().bytes; }

protected:
    bool openDevice(const QString& path, const LineSettings&, DeviceFault* fault) override {
        if (!refusedPath.isEmpty() && path == refusedPath) {
            fault->systemText = QStringLiteral("refused");
            return false;
        }
        open = true;
        opens << path + QLatin1Char(' ') + Settings();
        return true;
    }
    void closeDevice() override {
        open = false;
        in.clear();
    }
    bool isDeviceOpen() const override { return open; }
    int bytesWaiting() const override { return static_cast<int>(in.size()); }
    QByteArray readBytes(int max) override {
        const QByteArray taken = in.left(max);
        in.remove(0, taken.size());
        return taken;
    }
    void discardInput() override { in.clear(); }
    bool writeBytes(const QByteArray& block, DeviceFault*) override {
        sent.push_back({block, clock ? clock->nowMs : 0});
        if (answer)
            push(answer(block));
        return true;
    }

private:
    bool open = false;
    QByteArray in;
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
