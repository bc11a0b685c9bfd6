#include "tests/support/simulator.h"

namespace stepdrive::test {

QString simulatorProgram() {
    return QStringLiteral(STEPDRIVE_SIM_PATH);
}

Simulator::Simulator(const QStringList& arguments) {
    process_.start(simulatorProgram(), arguments);
    if (!process_.waitForStarted(kWaitMs))
        return;
    while (!process_.canReadLine() && process_.waitForReadyRead(kWaitMs)) {
    }
    path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
}

Simulator::~Simulator() {
    if (process_.state() != QProcess::NotRunning)
        stop();
}

bool Simulator::stop() {
    process_.terminate();
    if (!process_.waitForFinished(kWaitMs)) {
        process_.kill();
        process_.waitForFinished(kWaitMs);
        return false;
    }
    return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}

QByteArray Simulator::log() {
    return log_ += process_.readAllStandardError();
}

std::vector<std::pair<double, QString>> Simulator::frames() {
    std::vector<std::pair<double, QString>> frames;
    for (const QByteArray& line : log().split('\n')) {
        // "<stamp> <- AA  00  05 ..."
        const QStringList words = QString::fromLatin1(line).simplified().split(QLatin1Char(' '));
        if (words.size() > 2 && words[1] == QLatin1String("<-"))
            frames.emplace_back(words[0].toDouble(), words.mid(2).join(QLatin1Char(' ')));
    }
    return frames;
}

std::vector<double> Simulator::receivedAt(const QString& prefix) {
    std::vector<double> times;
    for (const auto& [at, hex] : frames())
        if (hex.startsWith(prefix))
            times.push_back(at);
    return times;
}

QStringList Simulator::received() {
    QStringList hex;
    for (const auto& frame : frames())
        hex << frame.second;
    return hex;
}

void Simulator::kill() {
    process_.kill();
    process_.waitForFinished(kWaitMs);
}

} // namespace stepdrive::test
