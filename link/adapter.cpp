#include "link/adapter.h"

#include "link/port_names.h"
#include "link/system_ports.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace stepdrive {

namespace {
// The identity's fields as they are kept.
const struct {
    const char* key;
    QString AdapterIdentity::*field;
} kFields[] = {{"by_id", &AdapterIdentity::byId},
               {"manufacturer", &AdapterIdentity::manufacturer},
               {"product", &AdapterIdentity::product},
               {"serial", &AdapterIdentity::serial}};

// True when `path` names an entry of `folder`, whether or not it resolves.
bool isIn(const QString& folder, const QString& path) {
    const QString parent = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    return !parent.isEmpty() && parent == QFileInfo(folder).canonicalFilePath();
}
} // namespace

QString stableNameFolder() {
    const char* const given = "STEPDRIVE_SERIAL_BY_ID";
    return qEnvironmentVariableIsSet(given) ? qEnvironmentVariable(given)
                                            : QStringLiteral("/dev/serial/by-id");
}

QString AdapterIdentity::text() const {
    const QString words = details({{}, manufacturer, product, serial, {}});
    return words.isEmpty() ? byId : words;
}

bool AdapterIdentity::isPort(const SystemPort& p) const {
    return !serial.isEmpty() && p.serial == serial && p.manufacturer == manufacturer &&
           p.product == product;
}

QString AdapterIdentity::toString() const {
    QJsonObject o;
    for (const auto& f : kFields)
        if (!(this->*f.field).isEmpty())
            o[QLatin1String(f.key)] = this->*f.field;
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

std::optional<AdapterIdentity> AdapterIdentity::fromString(const QString& text) {
    const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
    AdapterIdentity a;
    for (const auto& f : kFields)
        a.*f.field = o.value(QLatin1String(f.key)).toString();
    if (!a.known())
        return std::nullopt;
    return a;
}

std::optional<AdapterIdentity> adapterOf(const QString& device) {
    if (device.isEmpty() || isNetworkName(device))
        return std::nullopt;
    const QString folder = stableNameFolder();
    // A stable name as it was typed, or the one that links to the device.
    const QString link = isIn(folder, device) ? device : linkIn(folder, device);
    AdapterIdentity a;
    a.byId = QFileInfo(link).fileName();
    if (const auto port = systemPortOf(device)) {
        a.manufacturer = port->manufacturer;
        a.product = port->product;
        a.serial = port->serial;
    }
    if (!a.known())
        return std::nullopt;
    return a;
}

QString whereIs(const AdapterIdentity& adapter) {
    // Reading the folder is cheap; asking the system opens its devices, so
    // it is asked only for an adapter the system gave no stable name.
    if (!adapter.byId.isEmpty())
        return QFileInfo(QDir(stableNameFolder()).filePath(adapter.byId)).canonicalFilePath();
    if (adapter.serial.isEmpty())
        return {};
    for (const SystemPort& p : systemPorts())
        if (adapter.isPort(p))
            return p.path;
    return {};
}

AdapterWatch::AdapterWatch(QObject* parent) : QObject(parent) {
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &AdapterWatch::look);
}

void AdapterWatch::watch(const AdapterIdentity& adapter) {
    adapter_ = adapter;
    seen_.clear();
    timer_.start();
    look();
}

void AdapterWatch::stop() {
    timer_.stop();
}

void AdapterWatch::look() {
    const QString now = whereIs(adapter_);
    if (now.isEmpty() || now != seen_) {
        seen_ = now;
        since_.start();
        return;
    }
    if (since_.elapsed() < kSettleMs)
        return;
    stop();
    emit back(now);
}

} // namespace stepdrive
