// stepdrive-cli: set up and verify the driver from a shell.

#include "cli/cli.h"
#include "cli/interrupt.h"
#include "cli/output.h"
#include "link/comm_control.h"
#include "link/pause.h"
#include "sys/console.h"
#include "sys/files.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv) {
    const bool outputClosed = stepdrive::sys::reserveStandardStreams();
    // A closed pipe is a failed write to report, not a silent end.
    stepdrive::sys::failWritesToClosedPipes();
    stepdrive::cli::watchInterrupts();
    QCoreApplication app(argc, argv);
    QString text;
    QTextStream out(&text);
    QTextStream err(stderr);
    const int status = stepdrive::cli::run(
        stepdrive::sys::programArguments(argc, argv),
        [](const QString& name) { return std::make_unique<stepdrive::CommControl>(name, nullptr); },
        [] { return std::make_unique<stepdrive::BlockingPause>(); }, out, err,
        stepdrive::sys::isTerminal(stderr),
        [outputClosed](const QByteArray& text, QString* why) {
            *why = outputClosed
                       ? QStringLiteral("it is closed")
                       : stepdrive::sys::writeAll(stepdrive::sys::kStandardOutput, text, false);
            return why->isEmpty();
        });
    out.flush();
    err.flush();
    return stepdrive::sys::programEnd(stepdrive::cli::deliver(text, status, outputClosed, err));
}
