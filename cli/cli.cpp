#include "cli/cli.h"

#include "cli/commands.h"
#include "cli/exchange.h"
#include "cli/help.h"
#include "cli/lines.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/result.h"
#include "cli/scan.h"
#include "cli/session.h"
#include "core/version.h"
#include "link/comm_control.h"
#include "link/pause.h"
#include "link/port_names.h"
#include "link/system_ports.h"
#include "sys/files.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QTextStream>
#include <mutex>

namespace stepdrive::cli {

namespace {

const QString kProgram = QStringLiteral("stepdrive-cli");

// Each line of `text` with `prefix` before it.
QString prefixed(const QString& prefix, const QString& text) {
    QString all;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        all += prefix + line + QLatin1Char('\n');
    return all;
}

// The one JSON object of a run that failed in `phase` with no port's
// result to show; `sent` whether frames went out, to `ports`.
QString failureLine(int status, const QString& message, const char* phase, bool sent,
                    const QStringList& ports = {}) {
    const QJsonValue port = ports.size() == 1 ? QJsonValue(ports[0])
                            : ports.isEmpty() ? QJsonValue(QJsonValue::Null)
                                              : QJsonValue(QJsonArray::fromStringList(ports));
    return jsonLine(Result(port).object({{QStringLiteral("status"), status},
                                         {QStringLiteral("message"), message},
                                         {QStringLiteral("phase"), QLatin1String(phase)},
                                         {QStringLiteral("sent"), sent}}));
}

// One command line, its standard output into `out` whole (see run()).
int runCommand(const QStringList& arguments, const PortFactory& makePort,
               const PauseFactory& makePause, QTextStream& out, QTextStream& err,
               bool errIsTerminal, const LiveOutput& live, sys::OutputTarget* output,
               QStringList* portsGiven) {
    const bool json = arguments.contains(QStringLiteral("--json"));
    // A refused command line or file, said on standard error, and with
    // --json as the one object on standard output.
    const auto refuse = [&](const QString& what, bool usage = true) {
        err << kProgram << ": " << what << '\n';
        if (usage)
            err << "Try '" << kProgram << " --help'.\n";
        if (json)
            out << failureLine(kUsageError, what, "checking", false);
        return static_cast<int>(kUsageError);
    };
    QString error;
    auto options = parseOptions(arguments, &error);
    if (!options)
        return refuse(error);
    options->live = live ? live : [&out](const QByteArray& text, QString*) {
        out << QString::fromUtf8(text);
        return true;
    };
    std::mutex saying; // standard error, from every line's thread
    options->sayNow = [&](const QString& line) {
        const std::lock_guard<std::mutex> lock(saying);
        err << kProgram << ": " << line << '\n';
        err.flush();
    };
    // help, help COMMAND and COMMAND --help: COMMAND's own help where the
    // words name one.
    const bool asked = options->words.value(0) == QLatin1String("help");
    if (options->help || asked) {
        const QStringList named = options->words.mid(asked ? 1 : 0);
        const Syntax* command = named.isEmpty() ? nullptr : syntaxOf(named, &error);
        if (!command && asked && !named.isEmpty())
            return refuse(error);
        out << (command ? helpText(*command) : helpText());
        return kDone;
    }
    if (options->version) {
        out << versionText(qPrintable(kProgram)).c_str();
        return kDone;
    }
    int takes = 0;
    const auto command = prepare(options->words, *options, &error, &takes);
    const QString verb = options->words.value(0);
    const bool reads = verb == QLatin1String("apply") || verb == QLatin1String("verify");
    const bool checks = (takes & kNoPort) != 0;
    if (!command && (reads || verb == QLatin1String("check")) && options->words.size() == 2)
        return refuse(error, false); // the command line is right; the file is not
    if (!command)
        return refuse(error);
    // Options given to a command that does not take them.
    const struct {
        bool given;
        int taken;
        const char* why;
    } misplaced[] = {
        {options->wait, kWait, "--wait goes with move, home and table run only"},
        {!options->output.isEmpty(), kOutput, "--output goes with dump only"},
        {options->watching, kWatch, "--interval, --duration and --csv go with monitor only"},
        {options->ports.size() > 1, kSeveralPorts,
         "only apply, verify, dump and monitor take more than one --port"},
    };
    for (const auto& m : misplaced)
        if (m.given && !(takes & m.taken))
            return refuse(QLatin1String(m.why));
    if (checks && !options->ports.isEmpty())
        return refuse(QStringLiteral("check opens no port: --port is not taken"));
    const bool document = verb == QLatin1String("dump");
    *portsGiven = options->ports;
    // The dump's file is judged before the first frame: nothing is sent for
    // a dump that could not be kept.
    if (QString why; !options->output.isEmpty() && !output->prepare(options->output, &why)) {
        err << kProgram << ": " << why << '\n';
        if (json)
            out << failureLine(kOutputError, why, "output", false);
        return kOutputError;
    }
    if (options->trace)
        QLoggingCategory::setFilterRules(QStringLiteral("stepdrive.link.debug=true"));
    const QStringList& ports = options->ports;
    for (int i = 0; i < ports.size(); ++i)
        for (int j = 0; j < i; ++j)
            if (const PortChoice a = parsePortChoice(ports[j]), b = parsePortChoice(ports[i]);
                sameDevice(a.path(), b.path()))
                return refuse(ports[i] == ports[j]
                                  ? QStringLiteral("--port %1 is given twice").arg(ports[i])
                                  : QStringLiteral("--port %1 and --port %2 are the same device")
                                        .arg(a.label(), b.label()));
    if (verb == QLatin1String("scan"))
        return scan(*options, *command, makePort, makePause, out);
    if (checks) { // the file is read and checked: the port is never opened
        const auto port = makePort(QStringLiteral("cli"));
        const auto pause = makePause();
        Exchange exchange(*port, options->timeoutMs);
        Session session(exchange, *pause);
        Result checked(QJsonValue::Null);
        const int status = (*command)(session, checked, err);
        out << (options->json ? jsonLine(checked.object()) : checked.text());
        return status;
    }
    if (ports.isEmpty())
        return refuse(QStringLiteral("--port is required"));
    const bool several = ports.size() > 1;
    const bool streams = (takes & kWatch) != 0; // prints as it goes

    Options o = *options;
    if (errIsTerminal && reads)
        o.sayProgress = [&](const QString& line) {
            const std::lock_guard<std::mutex> lock(saying);
            err << line << '\n';
            err.flush();
        };
    const std::vector<LineResult> results = runLines(o, *command, makePort, makePause);

    // Each message names its port once. One line prints as it would alone;
    // several name their port on each line, key one dump by port, or list
    // their JSON objects.
    QJsonObject byPort;
    QJsonArray listed;
    int status = kDone;
    for (int i = 0; i < ports.size(); ++i) {
        const LineResult& r = results[static_cast<std::size_t>(i)];
        const QString named = ports[i] + QStringLiteral(": ");
        status = std::max(status, r.status);
        err << prefixed(kProgram + QStringLiteral(": ") + parsePortChoice(ports[i]).label() +
                            QStringLiteral(": "),
                        r.err);
        if (streams) // what it found is printed; a failure with --json is a line of its own
            out << (options->json && r.status != kDone ? r.out(true) : QString());
        else if (!several)
            out << r.out(options->json);
        else if (options->json)
            listed.append(r.result.object(r.error));
        else if (!document)
            out << prefixed(named, r.result.text());
        else if (r.status == kDone)
            byPort[ports[i]] = r.result.found();
        else
            byPort[ports[i]] = QJsonObject{{QStringLiteral("error"), r.error}};
    }
    if (several && options->json && !streams)
        out << QJsonDocument(listed).toJson(QJsonDocument::Compact) << '\n';
    else if (several && document)
        out << QJsonDocument(byPort).toJson(QJsonDocument::Indented);
    return status;
}

} // namespace

int run(const QStringList& arguments, const PortFactory& makePort, const PauseFactory& makePause,
        QTextStream& out, QTextStream& err, bool errIsTerminal, const LiveOutput& live) {
    QString text;
    QTextStream into(&text);
    QStringList ports;
    sys::OutputTarget output;
    const int status =
        runCommand(arguments, makePort, makePause, into, err, errIsTerminal, live, &output, &ports);
    into.flush();
    // A dump that failed leaves no file: its error goes here; so does one
    // into standard output, delivered (a closed one said) as any output is.
    if (!output.prepared() || status != kDone || output.isStandardOutput()) {
        out << text;
        return status;
    }
    QString why;
    if (output.write(text.toUtf8(), &why))
        return status;
    err << kProgram << ": " << why << '\n';
    if (arguments.contains(QStringLiteral("--json")))
        out << failureLine(kOutputError, why, "output", true, ports);
    return kOutputError;
}

} // namespace stepdrive::cli
