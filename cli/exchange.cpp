#include "cli/exchange.h"

#include "link/port_failure_text.h"

#include <algorithm>

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

} // namespace

Exchange::Exchange(CommControl& port, int timeoutMs)
    : requester_(
          Format::Short, port,
          {timeoutMs, Requester::Policy::Stale::Dropped, Requester::Policy::Faulty::Refused}) {}

Bytes Exchange::ask(Format format, const std::vector<std::uint8_t>& args) {
    using Outcome = Requester::Answer::Outcome;
    const Requester::Answer a = requester_.ask(format, args);
    if (a.sent)
        ++framesSent_;
    const int length = formatInfo(format).frameLength;
    const QString sent = hexOf(a.block, static_cast<std::size_t>(length));
    switch (a.outcome) {
    case Outcome::Replied:
        return a.reply;
    case Outcome::Lost:
        throw Failure{kPortError, englishText(a.failure)};
    case Outcome::Silent: {
        const Bytes& came = a.came;
        const QString what =
            static_cast<int>(came.size()) < length
                ? QStringLiteral("%1 of %2 bytes came").arg(came.size()).arg(length)
                : QStringLiteral("%1 bytes came, none of them a reply: %2")
                      .arg(came.size())
                      .arg(hexOf(came, std::min<std::size_t>(came.size(), 3 * length)));
        throw Failure{kNoReply, QStringLiteral("no reply to %1 within %2 (%3)")
                                    .arg(sent, seconds(requester_.policy().timeoutMs), what)};
    }
    case Outcome::Faulty:
        break;
    }
    const struct {
        bool wrong;
        int at;
        std::uint8_t expected;
        const char* what;
    } checks[] = {{(a.parsed.failed & Reply::Status) != 0, 3, kReplyStatus, "status"},
                  {(a.parsed.failed & Reply::Trailer) != 0, length - 2, kTrailer, "trailer"}};
    for (const auto& c : checks) {
        const std::uint8_t got = a.reply[static_cast<std::size_t>(c.at)];
        if (c.wrong)
            throw Failure{kBadReply,
                          QStringLiteral("the reply %1 to %2 has a wrong %3 (%4, expected %5)")
                              .arg(hexOf(a.reply, a.reply.size()), sent, QLatin1String(c.what),
                                   hexByte(got), hexByte(c.expected))};
    }
    return a.reply;
}

} // namespace stepdrive::cli
