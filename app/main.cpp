#include "app/first_shown.h"
#include "app/language.h"
#include "app/shell.h"
#include "core/version.h"
#include "ui/form_look.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {
const char kHelp[] = R"(Usage: stepdrive [--help] [--version] [--lang ko|en] [Qt options]

Sets up and tests a stepping-motor driver on an RS-232 line: its motor
parameters, motion, inputs and outputs, position table and belt mode, in
windows. COM n is the device in the environment variable STEPDRIVE_COM<n>
when it is set, else /dev/ttyS<n-1>; a serial device server is named by its
address, tcp://HOST:PORT (raw) or rfc2217://HOST:PORT (telnet with
COM-PORT-CONTROL), in STEPDRIVE_COM<n> or the dialog's port box.
stepdrive-cli does the same from a shell; stepdrive-sim plays the driver on
a pseudo-terminal.

  --lang ko|en  the windows' language: Korean (the default) or English;
                STEPDRIVE_LANG=en in the environment does the same
)";
} // namespace

int main(int argc, char** argv) {
    // Answered before the window system is touched: they need no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs(stepdrive::versionText("stepdrive").c_str(), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
    }
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const stepdrive::LanguageChoice language =
        stepdrive::chooseLanguage(arguments, qEnvironmentVariable("STEPDRIVE_LANG"));
    if (!language.complaint.isEmpty())
        std::fputs(language.complaint.toLocal8Bit().constData(), stderr);
    QApplication app(argc, argv);
    stepdrive::useLanguage(language.language);
    stepdrive::applyApplicationLook();
    stepdrive::Shell shell;

    // scripts/bench times the start-up: it is told when the main panel was
    // first shown, then every window is created and the program ends.
    std::unique_ptr<stepdrive::FirstShown> probe;
    if (qEnvironmentVariableIsSet(stepdrive::kStartupProbeVariable))
        probe =
            std::make_unique<stepdrive::FirstShown>(shell.window(stepdrive::Win::Main), [&shell] {
                stepdrive::printShownTime();
                shell.startDialog();
                shell.jogPosition();
                shell.belt();
                QCoreApplication::exit(0);
            });

    shell.start();
    return QApplication::exec();
}
