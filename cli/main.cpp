// stepdrive-cli: set up and verify the driver from a shell.

#include "cli/cli.h"
#include "link/pause.h"
#include "link/serial_comm_control.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return stepdrive::cli::run(
        QCoreApplication::arguments().mid(1),
        [](const QString& name) {
            return std::make_unique<stepdrive::SerialCommControl>(name, nullptr);
        },
        [] { return std::make_unique<stepdrive::BlockingPause>(); }, out, err,
        isatty(fileno(stderr)) != 0);
}
