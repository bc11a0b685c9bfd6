#include "cli/exchange.h"

#include "core/reply_framer.h"
#include "link/comm_control.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <optional>

namespace stepdrive::cli {

namespace {

// "AA 00 06 01 ...": the first `count` bytes.
QString hexOf(const Bytes& bytes, std::size_t count) {
    return QString::fromStdString(hexEcho(bytes.data(), count)).simplified();
}

QString hexByte(std::uint8_t b) {
    return QString::fromStdString(hexEcho(&b, 1)).trimmed();
}

QString seconds(int ms) {
    return QString::number(ms / 1000.0, 'g', 6) + QStringLiteral(" s");
}

using Cause = PortFailure::Cause;
using Part = LineSettingsFault::Part;

QString causeText(const PortFailure& f) {
    switch (f.cause) {
    case Cause::NoDevice:
        return QStringLiteral("no such device");
    case Cause::NotPermitted:
        return QStringLiteral("permission denied (add the user to the dialout group: "
                              "sudo usermod -aG dialout $USER, then log in again)");
    case Cause::InUse:
        return QStringLiteral("in use by another program");
    case Cause::TimedOut:
        return QStringLiteral("timed out");
    case Cause::Unreadable:
        return QStringLiteral("unreadable");
    case Cause::BadAddress:
        return QStringLiteral("not an address (tcp://HOST:PORT or rfc2217://HOST:PORT)");
    case Cause::HostNotFound:
        return QStringLiteral("host not found");
    case Cause::Refused:
        return QStringLiteral("the device server refused the connection");
    case Cause::Closed:
        return QStringLiteral("the device server closed the connection");
    case Cause::NoRfc2217:
        return QStringLiteral("the device server does not speak RFC 2217 (%1)").arg(f.systemText);
    case Cause::FarSettings:
        return QStringLiteral("the device server did not take the line settings (%1)")
            .arg(f.systemText);
    case Cause::SpeaksTelnet:
        return QStringLiteral("this port speaks RFC 2217: use rfc2217://");
    case Cause::System:
        break;
    }
    return f.systemText;
}

QString settingsText(const LineSettingsFault& s) {
    QString why;
    switch (s.part) {
    case Part::Shape:
        why = QStringLiteral("the form is \"baud,parity,data bits,stop bits\"");
        break;
    case Part::Baud:
        why = QStringLiteral("baud rate \"%1\" is not a number").arg(s.value);
        break;
    case Part::Parity:
        why = QStringLiteral("parity \"%1\"").arg(s.value);
        break;
    case Part::DataBits:
        why = QStringLiteral("data bits \"%1\"").arg(s.value);
        break;
    case Part::StopBits:
        why = QStringLiteral("stop bits \"%1\"").arg(s.value);
        break;
    }
    return QStringLiteral("line settings \"%1\" can't be used: %2").arg(s.text, why);
}
} // namespace

QString portFailureText(const PortFailure& f) {
    using Kind = PortFailure::Kind;
    // What to check when the line is gone: a device server's or a cable.
    const QString check = f.port.contains(QLatin1String("://"))
                              ? QStringLiteral("check the device server and the network")
                              : QStringLiteral("check the device and the cable");
    switch (f.kind) {
    case Kind::NoPortNumber:
        return QStringLiteral("no port number");
    case Kind::BadSettings:
        return settingsText(f.settings);
    case Kind::OpenRefused:
        return causeText(f);
    case Kind::NotOpen: // after the line was lost: the port closed itself
        return QStringLiteral("the connection was lost; ") + check;
    case Kind::WriteFailed:
        return QStringLiteral("could not send: %1").arg(causeText(f));
    case Kind::Lost:
        if (f.cause == Cause::SpeaksTelnet)
            return QStringLiteral("telnet negotiation came in: ") + causeText(f);
        return QStringLiteral("the connection was lost; %1 (%2)").arg(check, causeText(f));
    }
    return {};
}

Exchange::Exchange(CommControl& port, int timeoutMs) : port_(port), timeoutMs_(timeoutMs) {}

Bytes Exchange::ask(Format format, const std::vector<std::uint8_t>& args) {
    const int length = formatInfo(format).frameLength;
    const Bytes block = commandBlock(format, args);
    const QString sent = hexOf(block, static_cast<std::size_t>(length));

    // Whatever came in unasked is no reply to this command.
    port_.setInBufferCount(0);
    port_.setInputLen(0);

    QEventLoop loop;
    QString lost;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer); // a coarse timer may end the wait 5% early
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&port_, &CommControl::OnComm, &loop, &QEventLoop::quit);
    QObject::connect(&port_, &CommControl::failed, &loop, [&](const PortFailure& failure) {
        lost = portFailureText(failure);
        loop.quit();
    });

    if (port_.Output(QByteArray(reinterpret_cast<const char*>(block.data()),
                                static_cast<qsizetype>(block.size()))))
        ++framesSent_;
    else if (lost.isEmpty()) // the port reports a loss it found before
        lost = portFailureText(
            {PortFailure::Kind::NotOpen, port_.portLabel(), PortFailure::Cause::System, {}, {}});

    // The reply is found wherever it stands in what comes: noise or a stray
    // byte before it is skipped.
    ReplyFramer framer(format);
    bool claimed = false;
    const ReplyFramer::Claim claim = [&](std::uint8_t code) -> std::optional<int> {
        if (claimed || code != args.at(0))
            return std::nullopt;
        claimed = true;
        return 0;
    };
    Bytes came;
    std::optional<ReplyFramer::Piece> found;
    timer.start(timeoutMs_);
    while (lost.isEmpty() && timer.isActive() && !found) {
        port_.setRThreshold(framer.wanted());
        if (port_.InBufferCount() < framer.wanted())
            loop.exec();
        const QByteArray in = port_.Input();
        came.insert(came.end(), in.begin(), in.end());
        for (auto& piece : framer.feed(reinterpret_cast<const std::uint8_t*>(in.constData()),
                                       static_cast<std::size_t>(in.size()), claim))
            if (piece.reply)
                found = std::move(piece);
    }
    port_.setRThreshold(0);
    if (!lost.isEmpty())
        throw Failure{kPortError, lost};

    if (!found) {
        const QString what =
            static_cast<int>(came.size()) < length
                ? QStringLiteral("%1 of %2 bytes came").arg(came.size()).arg(length)
                : QStringLiteral("%1 bytes came, none of them a reply: %2")
                      .arg(came.size())
                      .arg(hexOf(came, std::min<std::size_t>(came.size(), 3 * length)));
        throw Failure{
            kNoReply,
            QStringLiteral("no reply to %1 within %2 (%3)").arg(sent, seconds(timeoutMs_), what)};
    }

    const Bytes& reply = found->bytes;
    const Reply& parsed = *found->reply;
    const struct {
        bool wrong;
        int at;
        std::uint8_t expected;
        const char* what;
    } checks[] = {{(parsed.failed & Reply::Status) != 0, 3, kReplyStatus, "status"},
                  {(parsed.failed & Reply::Trailer) != 0, length - 2, kTrailer, "trailer"}};
    for (const auto& c : checks) {
        const std::uint8_t got = reply[static_cast<std::size_t>(c.at)];
        if (c.wrong)
            throw Failure{kBadReply,
                          QStringLiteral("the reply %1 to %2 has a wrong %3 (%4, expected %5)")
                              .arg(hexOf(reply, reply.size()), sent, QLatin1String(c.what),
                                   hexByte(got), hexByte(c.expected))};
    }
    return reply;
}

} // namespace stepdrive::cli
