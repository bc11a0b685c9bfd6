#include "link/port_names.h"

#include "sys/devices.h"

#include <QRegularExpression>
#include <QStringView>
#include <QtGlobal>
#include <algorithm>

namespace stepdrive {

QString portDevice(int n) {
    if (n < 1)
        return {};
    const QByteArray var = "STEPDRIVE_COM" + QByteArray::number(n);
    if (qEnvironmentVariableIsSet(var.constData()))
        return qEnvironmentVariable(var.constData());
    return sys::comDevice(n);
}

QString PortChoice::path() const {
    return device.isEmpty() ? portDevice(com) : sys::deviceOf(device);
}

QString PortChoice::label() const {
    const QString device = path();
    if (device.isEmpty() || device == text())
        return text();
    return QStringLiteral("%1 (%2)").arg(text(), device);
}

PortChoice parsePortChoice(const QString& text) {
    // "COM4", "com 4" or "4"; anything else is a device path. Read by hand:
    // the dialog reads its ports at start-up, where a regular expression
    // would load its library for nothing.
    const QString typed = text.trimmed();
    QStringView digits(typed);
    if (digits.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        digits = digits.mid(3).trimmed();
    const bool number = !digits.isEmpty() && digits.size() <= 5 &&
                        std::all_of(digits.begin(), digits.end(), [](QChar c) {
                            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
                        });
    if (number)
        return {digits.toInt(), {}};
    return {0, typed};
}

namespace {
const QRegularExpression& networkForm() {
    static const QRegularExpression form(QStringLiteral("^(tcp|rfc2217)://(.*)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    return form;
}
} // namespace

bool isNetworkName(const QString& name) {
    const QString trimmed = name.trimmed();
    return trimmed.startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive) ||
           trimmed.startsWith(QLatin1String("rfc2217://"), Qt::CaseInsensitive);
}

std::optional<NetAddress> parseNetAddress(const QString& name) {
    static const QRegularExpression hostPort(
        QStringLiteral("^(?:\\[([0-9A-Fa-f:.]+)\\]|([^\\[\\]:/\\s]+)):([0-9]{1,5})$"));
    const QRegularExpressionMatch form = networkForm().match(name.trimmed());
    if (!form.hasMatch())
        return std::nullopt;
    const QRegularExpressionMatch m = hostPort.match(form.captured(2));
    if (!m.hasMatch())
        return std::nullopt;
    // A port is written as a number is: no leading zeros.
    const int port = m.captured(3).toInt();
    if (port < 1 || port > 65535 || m.captured(3).startsWith(QLatin1Char('0')))
        return std::nullopt;
    NetAddress a;
    a.mode = form.captured(1).compare(QLatin1String("tcp"), Qt::CaseInsensitive) == 0
                 ? NetAddress::Mode::Raw
                 : NetAddress::Mode::Rfc2217;
    a.host = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
    a.port = static_cast<quint16>(port);
    return a;
}

} // namespace stepdrive
