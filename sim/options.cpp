#include "sim/options.h"

#include "core/version.h"

#include <QCommandLineParser>
#include <algorithm>
#include <iterator>

namespace stepdrive::sim {

namespace {

const char kHelp[] = R"(Usage: stepdrive-sim [options]

Simulates the stepping-motor driver on a pseudo-terminal. The first line on
standard output is the device path of its slave side; open it as the serial
port (for example STEPDRIVE_COM1=/dev/pts/5). With --listen it serves the
driver on a TCP port instead, one client at a time as a device server does
(another is closed at once), and the first line is its address
(tcp://127.0.0.1:4001), to open as a port. The simulator answers until it
gets SIGINT or SIGTERM, and keeps running while the port is closed and
reopened.

Every command block (a 10-byte frame with header AA or a 13-byte frame with
header CC, each followed by two zero bytes) is answered with a reply frame of
the same length carrying the command code: BB 00 code 64 data... EE checksum.
Bytes that do not make a frame with its trailer and checksum are skipped.
Writes and moves are answered with their own data bytes; reads with the value
asked for (table entries in the layout they were downloaded in); the input
request with the data 00 00 A B, A holding bit 0 running and bit 1 home
sensor, B inputs 1 to 8. A command outside the driver's command table is
answered too: the reply echoes its data bytes.

The driver model:
  speed     a speed value v moves the motor at v * 100 pulses per second, at
            constant speed (acceleration is stored, not modelled); a speed of
            0 leaves the motor standing
  moves     jog right/left at the jog speed in the command until stop;
            absolute and incremental moves at the run speed; table moves at
            the row's velocity to the row's position
  home      the home sensor is at position 0 at start-up; a home search
            travels to it at the homing speed, goes on by the home offset and
            makes that place position 0 (the sensor is then at -offset); the
            sensor is made within 5000 pulses of its place, so a watch at
            10 or 20 updates a second sees it as a search passes
  defaults  run current 20, stop current 4, run speed 800, acceleration 10,
            homing speed 500, home offset 12800, resolution 2; position 0;
            outputs off; table entries and belt parameters 0
  values    a motor parameter keeps the data bytes of its width (1 byte for
            the currents and the resolution, 2 for the speeds and the
            acceleration, 4 for the home offset); the position counter is
            32 bits wide and wraps

Options (values in decimal or as 0x hexadecimal; --name=value works too):
  --listen HOST:PORT
                  serve on this TCP port (127.0.0.1:4001, [::1]:4001; port 0
                  takes a free one, said on the first line)
  --inputs N      states of inputs 1 to 8, bit 0 = input 1 (0-255, default 0)
  --fault WHAT    corrupt one byte of the reply: header (BB -> BA),
                  status (64 -> 65) or trailer (EE -> EF); the checksum
                  is left as it was
  --every N       with --fault, corrupt only every Nth reply (default 1)
  --drop N        send no reply to every Nth command (default 0: none)
  --delay-ms N    wait N milliseconds before each reply (0-60000)
  --split N       send each reply N bytes at a time, 5 ms apart (0: whole)
  --noise N       send N random bytes before each reply (0-1000); they never
                  include BB, so the reply header stays the first BB
  --seed N        seed of the noise (default 1)
  -v, --verbose   log every frame in and out on standard error, each line
                  starting with the time of the steady clock (CLOCK_MONOTONIC)
                  in milliseconds, so that pacing on the line can be measured
  -h, --help      show this text and exit
  --version       print the version and licence and exit
)";
// An option taking a number, the values allowed and where the value goes.
struct NumberOption {
    const char* name;
    long low;
    long high;
    void (*set)(Options&, long);
};

const NumberOption kNumbers[] = {
    {"inputs", 0, 255, [](Options& o, long n) { o.inputs = static_cast<std::uint8_t>(n); }},
    {"every", 1, 1000000, [](Options& o, long n) { o.faults.every = static_cast<int>(n); }},
    {"drop", 0, 1000000, [](Options& o, long n) { o.faults.drop = static_cast<int>(n); }},
    {"delay-ms", 0, 60000, [](Options& o, long n) { o.faults.delayMs = static_cast<int>(n); }},
    {"split", 0, 1000, [](Options& o, long n) { o.faults.split = static_cast<int>(n); }},
    {"noise", 0, 1000, [](Options& o, long n) { o.faults.noise = static_cast<int>(n); }},
    {"seed", 0, 0x7FFFFFFF, [](Options& o, long n) { o.faults.seed = static_cast<unsigned>(n); }},
};

const struct {
    const char* name;
    Corruption corruption;
} kCorruptions[] = {{"header", Corruption::Header},
                    {"status", Corruption::Status},
                    {"trailer", Corruption::Trailer}};

// Decimal, or hexadecimal after 0x; at most nine digits.
std::optional<long> parseNumber(const std::string& text, long low, long high) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > 9)
        return std::nullopt;
    long value = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * (hex ? 16 : 10) + d;
    }
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

CommandLine refused(const QString& message) {
    return {std::nullopt,
            {},
            "stepdrive-sim: " + message.toStdString() + "\nTry 'stepdrive-sim --help'.\n",
            2};
}

// The argument as written that brought in one of the `unknown` option names:
// "--bogus=3", "-vx".
QString unknownArgument(const QStringList& arguments, const QStringList& unknown) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a.startsWith(QLatin1String("--"))) {
            if (unknown.contains(a.mid(2).section(QLatin1Char('='), 0, 0)))
                return a;
        } else if (a.startsWith(QLatin1Char('-'))) {
            for (const QChar c : a.mid(1))
                if (unknown.contains(QString(c)))
                    return a;
        }
    }
    return QStringLiteral("-") + unknown.constFirst();
}

} // namespace

CommandLine readCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption verbose(QStringList{QStringLiteral("v"), QStringLiteral("verbose")});
    const QCommandLineOption fault(QStringLiteral("fault"), {}, QStringLiteral("WHAT"));
    const QCommandLineOption listen(QStringLiteral("listen"), {}, QStringLiteral("HOST:PORT"));
    parser.addOptions({help, version, verbose, fault, listen});
    for (const NumberOption& n : kNumbers)
        parser.addOption(QCommandLineOption(QLatin1String(n.name), {}, QStringLiteral("N")));
    const bool parsed = parser.parse(arguments);

    // The help and the version are shown whatever else the line holds; the
    // first of them asked for wins.
    for (const QString& name : parser.optionNames()) {
        if (help.names().contains(name))
            return {std::nullopt, kHelp, {}, 0};
        if (version.names().contains(name))
            return {std::nullopt, versionText("stepdrive-sim"), {}, 0};
    }
    if (!parser.unknownOptionNames().isEmpty())
        return refused(QStringLiteral("unknown option '%1'")
                           .arg(unknownArgument(arguments, parser.unknownOptionNames())));
    if (!parsed) // a value missing at the end, or one given to a switch
        return refused(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return refused(
            QStringLiteral("unknown option '%1'").arg(parser.positionalArguments().constFirst()));

    Options options;
    options.verbose = parser.isSet(verbose);
    options.listen = parser.value(listen).toStdString();
    for (const NumberOption& n : kNumbers)
        for (const QString& text : parser.values(QLatin1String(n.name))) {
            const auto value = parseNumber(text.toStdString(), n.low, n.high);
            if (!value)
                return refused(QStringLiteral("bad value '%1' for --%2 (expected %3 to %4)")
                                   .arg(text, QLatin1String(n.name))
                                   .arg(n.low)
                                   .arg(n.high));
            n.set(options, *value);
        }
    for (const QString& text : parser.values(fault)) {
        const auto* c =
            std::find_if(std::begin(kCorruptions), std::end(kCorruptions),
                         [&text](const auto& c) { return text == QLatin1String(c.name); });
        if (c == std::end(kCorruptions))
            return refused(
                QStringLiteral("bad value '%1' for --fault (header, status or trailer)").arg(text));
        options.faults.corruption = c->corruption;
    }
    return {options, {}, {}, 0};
}

} // namespace stepdrive::sim
