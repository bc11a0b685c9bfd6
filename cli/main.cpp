// stepdrive-cli: set up and verify the driver from a shell.

#include "cli/cli.h"
#include "cli/interrupt.h"
#include "cli/output.h"
#include "cli/system_names.h"
#include "link/pause.h"
#include "link/serial_comm_control.h"
#include "sys/console.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    const bool outputClosed = stepdrive::cli::reserveStandardStreams();
    // A closed pipe is a failed write to report, not a silent end.
    stepdrive::sys::failWritesToClosedPipes();
    stepdrive::cli::watchInterrupts();
    QCoreApplication app(argc, argv);
    // Names are the system's bytes: each argument is kept as it came.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << stepdrive::cli::fromSystem(argv[i]);
    QString text;
    QTextStream out(&text);
    QTextStream err(stderr);
    const int status = stepdrive::cli::run(
        arguments,
        [](const QString& name) {
            return std::make_unique<stepdrive::SerialCommControl>(name, nullptr);
        },
        [] { return std::make_unique<stepdrive::BlockingPause>(); }, out, err,
        stepdrive::sys::isTerminal(stderr),
        [outputClosed](const QByteArray& text, QString* why) {
            *why = outputClosed ? QStringLiteral("it is closed")
                                : stepdrive::cli::writeAll(STDOUT_FILENO, text, false);
            return why->isEmpty();
        });
    out.flush();
    err.flush();
    return stepdrive::cli::deliver(text, status, outputClosed, err);
}
