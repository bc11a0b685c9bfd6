#include "app/command_line.h"

#include "core/version.h"

#include <QCommandLineParser>

namespace stepdrive {

namespace {

const char kHelp[] =
    R"(Usage: stepdrive [--help] [--version] [--lang ko|en] [--simulator] [Qt options]

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
  --simulator   COM4 is a driver simulator: stepdrive-sim from the
                program's folder, started on a free TCP port of this
                machine and ended with the program
)";

const QString kKorean = QStringLiteral("ko");
const QString kEnglish = QStringLiteral("en");

} // namespace

CommandLine readCommandLine(const QStringList& arguments, const QString& environment) {
    QCommandLineParser parser;
    // Qt's own options are single-dash words (-platform, -stylesheet): read
    // as words, they are unknown here and never taken for -h.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption lang(QStringLiteral("lang"), {}, QStringLiteral("ko|en"));
    const QCommandLineOption simulator(QStringLiteral("simulator"));
    parser.addOptions({help, version, lang, simulator});
    // Unknown options and other arguments are Qt's: not refused here.
    parser.parse(arguments);

    CommandLine line;
    line.simulator = parser.isSet(simulator);
    for (const QString& name : parser.optionNames()) {
        if (help.names().contains(name)) {
            line.answer = kHelp;
            return line;
        }
        if (version.names().contains(name)) {
            line.answer = versionText("stepdrive");
            return line;
        }
    }

    QString asked = environment;
    QString source = QStringLiteral("STEPDRIVE_LANG");
    const QString last = arguments.size() > 1 ? arguments.constLast() : QString();
    if (last == QLatin1String("--lang") || last == QLatin1String("-lang")) {
        asked.clear(); // --lang with no language after it
        source = QStringLiteral("--lang");
    } else if (parser.isSet(lang)) {
        asked = parser.values(lang).constLast();
        source = QStringLiteral("--lang");
    }
    if (source == QLatin1String("STEPDRIVE_LANG") && asked.isEmpty())
        line.language = {kKorean, {}};
    else if (asked == kKorean || asked == kEnglish)
        line.language = {asked, {}};
    else
        line.language = {kKorean, QStringLiteral("stepdrive: %1: unknown language \"%2\" (ko or "
                                                 "en); the windows stay Korean\n")
                                      .arg(source, asked)};
    return line;
}

} // namespace stepdrive
