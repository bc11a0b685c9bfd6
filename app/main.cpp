#include "app/com_simulator.h"
#include "app/command_line.h"
#include "app/first_shown.h"
#include "app/language.h"
#include "app/program_names.h"
#include "app/shell.h"
#include "ui/form_look.h"
#include "ui/message_box.h"

#include <QApplication>
#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const stepdrive::CommandLine line =
        stepdrive::readCommandLine(arguments, qEnvironmentVariable("STEPDRIVE_LANG"));
    // Answered before the window system is touched: they need no display.
    if (!line.answer.empty()) {
        std::fputs(line.answer.c_str(), stdout);
        return 0;
    }
    if (!line.language.complaint.isEmpty())
        std::fputs(line.language.complaint.toLocal8Bit().constData(), stderr);
    QApplication app(argc, argv);
    stepdrive::nameTheProgram(line.simulator);
    const stepdrive::Language language(line.language.language);
    stepdrive::applyApplicationLook();
    // Ended after the windows, which may hold its line.
    stepdrive::ComSimulator simulator;
    stepdrive::MessageBoxMessenger messages;
    if (line.simulator && !simulator.startAsCom4(QCoreApplication::applicationDirPath(), messages))
        return 1;
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
