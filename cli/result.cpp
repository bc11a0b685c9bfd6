#include "cli/result.h"

#include "cli/reached.h"

#include <QJsonDocument>

namespace stepdrive::cli {

namespace {
QString plain(const QJsonValue& v) {
    if (v.isBool())
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (v.isDouble())
        return QString::number(v.toInteger());
    return v.toString();
}
} // namespace

Values valuesOf(const std::vector<Item>& items) {
    Values v;
    for (const Item& item : items)
        v.emplace_back(item.key, item.value);
    return v;
}

void Result::values(const Values& values) {
    object_ = nestedValues(values, object_);
    lines(values);
}

void Result::profile(const Profile& p) {
    add(toJson(p));
    lines(valuesOf(items(p)));
}

void Result::document(const QJsonObject& o) {
    add(o);
    text_ += QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented));
}

void Result::add(const QJsonObject& o) {
    for (auto i = o.begin(); i != o.end(); ++i)
        object_[i.key()] = i.value();
}

void Result::lines(const Values& values) {
    for (const auto& [key, value] : values)
        text_ += key + QLatin1Char('=') + plain(value) + QLatin1Char('\n');
}

QJsonObject Result::object(const QJsonObject& error) const {
    QJsonObject o = object_;
    o[QStringLiteral("port")] = port_;
    if (!error.isEmpty())
        o[QStringLiteral("error")] = error;
    return o;
}

QString jsonLine(const QJsonObject& o) {
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) + QLatin1Char('\n');
}

} // namespace stepdrive::cli
