#pragma once
// stepdrive-sim run as a process of its own, on a pseudo-terminal it makes.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <vector>

namespace stepdrive::test {

constexpr int kWaitMs = 3000;

// Where the stepdrive-sim of this build is.
QString simulatorProgram();

// One run of stepdrive-sim.
class Simulator {
public:
    // Starts it with `arguments` and reads the device path from its first line.
    explicit Simulator(const QStringList& arguments = {});
    ~Simulator(); // stops it if it still runs
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Empty when the simulator did not start.
    const QString& devicePath() const { return path_; }
    // SIGTERM, then reaps it; true when it ended by itself with status 0.
    bool stop();
    // SIGKILL, as when the driver is switched off; reaps it.
    void kill();
    QProcess& process() { return process_; }
    // From its --verbose log: when it read each command frame whose hex
    // starts with `prefix` ("AA 00 05"), by the steady clock in milliseconds.
    std::vector<double> receivedAt(const QString& prefix);
    // From the same log: each command frame it read, as hex ("AA 00 05 ...").
    QStringList received();
    // The whole log so far.
    QByteArray log();

private:
    // Each frame of the --verbose log: when it was read, and its hex.
    std::vector<std::pair<double, QString>> frames();

    QProcess process_;
    QString path_;
    QByteArray log_;
};

} // namespace stepdrive::test
