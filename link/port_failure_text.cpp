#include "link/port_failure_text.h"

#include "link/comm_control.h"
#include "sys/devices.h"

namespace stepdrive {

namespace {

using Cause = PortFailure::Cause;
using Part = LineSettingsFault::Part;

QString causeText(const PortFailure& f) {
    switch (f.cause) {
    case Cause::NoDevice:
        return QStringLiteral("no such device");
    case Cause::NotPermitted:
        if (sys::accessGrant() == sys::AccessGrant::DialoutGroup)
            return QStringLiteral("permission denied (add the user to the dialout group: "
                                  "sudo usermod -aG dialout $USER, then log in again)");
        return QStringLiteral("permission denied");
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

QString englishText(const PortFailure& f) {
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

} // namespace stepdrive
