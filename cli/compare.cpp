#include "cli/compare.h"

#include "cli/exchange.h"
#include "cli/reached.h"
#include "cli/session.h"

#include <QTextStream>

namespace stepdrive::cli {

int compare(Result& result, QTextStream& err, const std::vector<Item>& wanted,
            const std::vector<Item>& held, std::optional<bool> in2Used, const QString& verified) {
    const bool wrote = verified.isEmpty();
    if (in2Used)
        err << QStringLiteral("belt.in2_used=%1 %2 not verified: the driver can't report it\n")
                   .arg(*in2Used ? QStringLiteral("true") : QStringLiteral("false"),
                        wrote ? QStringLiteral("was sent but") : QStringLiteral("is"));
    result.add(readBackJson(wanted, held, in2Used, wrote));
    const std::vector<Difference> found = differences(wanted, held);
    if (found.empty()) {
        result.lines(valuesOf(held));
        return kDone;
    }
    Values lines;
    for (const Difference& d : found)
        lines.emplace_back(d.key, differenceText(d, wrote));
    result.lines(lines);
    if (wrote)
        err << QStringLiteral("%1 value(s) read back differ from what was written\n")
                   .arg(found.size());
    else
        err << QStringLiteral("%1 value(s) on the driver differ from %2\n")
                   .arg(found.size())
                   .arg(verified);
    return kReadBackDiffers;
}

void expect(Session& session, std::vector<Item> wanted, bool writes, std::optional<bool> in2Used) {
    Reached& r = session.reached();
    r.wanted = std::move(wanted);
    r.writes = writes;
    r.in2Used = in2Used;
}

int writeAndVerify(Session& session, Result& result, QTextStream& err, const Profile& wanted) {
    expect(session, items(wanted), true, wanted.in2Used);
    session.write(wanted);
    return compare(result, err, items(wanted), items(session.read(wanted)), wanted.in2Used);
}

} // namespace stepdrive::cli
