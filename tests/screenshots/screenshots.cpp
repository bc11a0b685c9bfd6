// Renders every window offscreen to a PNG: stepdrive_screenshots DIR; the
// Korean windows into DIR, the English ones into DIR/en.

#include "app/language.h"
#include "app/program_names.h"
#include "app/shell.h"
#include "app/start_dialog.h"
#include "panels/belt/belt_panel.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"
#include "tests/support/fakes.h"
#include "ui/form_look.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

using namespace stepdrive;

namespace {
// Renders the four windows, in the language in use, into `dir`.
bool render(const QDir& dir) {
    QDir().mkpath(dir.path());
    test::RecordingPause pause;
    test::RecordingMessenger messages;
    Shell shell([](const QString& name,
                   PauseGate* gate) { return std::make_unique<test::FakeCommControl>(name, gate); },
                pause, messages);

    const std::pair<QWidget*, const char*> windows[] = {
        {&shell.main(), "main.png"},
        {&shell.startDialog(), "start.png"},
        {&shell.jogPosition(), "jog_position.png"},
        {&shell.belt(), "belt.png"},
    };
    for (const auto& [window, file] : windows) {
        window->show();
        QApplication::processEvents();
        const QString path = dir.filePath(QString::fromLatin1(file));
        if (!window->grab().save(path)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(path));
            return false;
        }
        std::printf("%s\n", qPrintable(path));
        window->hide();
    }
    return true;
}
} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    nameTheProgram();
    if (argc != 2) {
        std::fprintf(stderr, "usage: stepdrive_screenshots DIR\n");
        return 2;
    }
    applyApplicationLook();
    const QTemporaryDir settings; // the dialog as on a first start
    test::keepSettingsIn(settings.path());
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    {
        const Language korean(QStringLiteral("ko"));
        if (!render(dir))
            return 1;
    }
    const Language english(QStringLiteral("en"));
    return render(QDir(dir.filePath(QStringLiteral("en")))) ? 0 : 1;
}
