#include "cli/compare.h"

#include "cli/exchange.h"
#include "cli/reached.h"
#include "cli/session.h"

#include <QJsonArray>
#include <QTextStream>
#include <algorithm>

namespace stepdrive::cli {

Held heldOf(const Profile& p) {
    return {items(p), toJson(p)};
}

Held heldOf(const std::vector<Item>& items) {
    return {items, nestedValues(valuesOf(items))};
}

int compare(Result& result, QTextStream& err, const std::vector<Item>& wanted, const Held& held,
            std::optional<bool> in2Used, const QString& verified) {
    const bool wrote = verified.isEmpty();
    const std::vector<Difference> found = differences(wanted, held.items);
    QJsonArray unverified;
    if (in2Used) {
        unverified.append(QStringLiteral("belt.in2_used"));
        err << QStringLiteral("belt.in2_used=%1 %2 not verified: the driver can't report it\n")
                   .arg(*in2Used ? QStringLiteral("true") : QStringLiteral("false"),
                        wrote ? QStringLiteral("was sent but") : QStringLiteral("is"));
    }
    if (found.empty()) {
        result.add({{QStringLiteral("verified"), held.json},
                    {QStringLiteral("not_verified"), unverified}});
        result.lines(valuesOf(held.items));
        return kDone;
    }

    QJsonArray listed;
    Values lines;
    for (const Difference& d : found) {
        const QJsonValue read = d.read ? QJsonValue(*d.read) : QJsonValue();
        listed.append(
            QJsonObject{{QStringLiteral("key"), d.key},
                        {wrote ? QStringLiteral("wrote") : QStringLiteral("file"), d.wrote},
                        {QStringLiteral("read"), read}});
        lines.emplace_back(
            d.key, QStringLiteral("%1 (%2 %3)")
                       .arg(d.read ? QString::number(*d.read) : QStringLiteral("-"),
                            wrote ? QStringLiteral("wrote") : QStringLiteral("the file has"))
                       .arg(d.wrote));
    }
    Values matched; // the values that did read back as written
    for (const Item& item : held.items)
        if (std::none_of(found.begin(), found.end(),
                         [&](const Difference& d) { return d.key == item.key; }))
            matched.emplace_back(item.key, item.value);
    result.add({{QStringLiteral("differences"), listed},
                {QStringLiteral("verified"), nestedValues(matched)},
                {QStringLiteral("not_verified"), unverified}});
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
    return compare(result, err, items(wanted), heldOf(session.read(wanted)), wanted.in2Used);
}

} // namespace stepdrive::cli
