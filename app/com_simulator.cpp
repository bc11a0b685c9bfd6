#include "app/com_simulator.h"

#include "sys/child_process.h"
#include "ui/messenger.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStandardPaths>

namespace stepdrive {

namespace {
constexpr int kStartMs = 10000;

// The address the simulator says on its first line; empty with *error.
QString startIn(QProcess& process, const QString& folder, QString* error) {
    // Beside the program as installed; in the build tree, in its own folder.
    const QString program = QStandardPaths::findExecutable(
        QStringLiteral("stepdrive-sim"), {folder, folder + QStringLiteral("/../sim")});
    if (program.isEmpty()) {
        *error = QStringLiteral("stepdrive-sim is not in %1").arg(folder);
        return {};
    }
    // What it says on failure comes first instead of the address.
    process.setProcessChannelMode(QProcess::MergedChannels);
    sys::endWithThisProgram(process);
    process.start(program, {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
    const QDeadlineTimer deadline(kStartMs);
    while (!process.canReadLine() && process.waitForReadyRead(deadline.remainingTime())) {
    }
    const QString said = QString::fromLocal8Bit(process.readLine()).trimmed();
    if (said.startsWith(QLatin1String("tcp://")))
        return said;
    *error = !said.isEmpty() ? said : process.errorString();
    return {};
}
} // namespace

ComSimulator::~ComSimulator() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.kill();
    process_.waitForFinished(kStartMs);
}

bool ComSimulator::startAsCom4(const QString& folder, Messenger& messages) {
    QString error;
    const QString address = startIn(process_, folder, &error);
    if (address.isEmpty()) {
        messages.show(
            QCoreApplication::translate("ComSimulator", "시뮬레이터를 시작할 수 없습니다: %1")
                .arg(error));
        return false;
    }
    qputenv("STEPDRIVE_COM4", address.toUtf8());
    return true;
}

} // namespace stepdrive
