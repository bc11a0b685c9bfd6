#include "ui/port_words.h"

#include "sys/devices.h"

#include <QCoreApplication>

namespace stepdrive {

namespace {
using Cause = PortFailure::Cause;
using Part = LineSettingsFault::Part;

// What a device server refused or left unanswered.
QString refusalText(const ServerRefusal& r) {
    using What = ServerRefusal::What;
    const auto set = [&r](const char* what) {
        return QCoreApplication::translate("PortWords", "%1 %2 설정, 요청 %3")
            .arg(QCoreApplication::translate("PortWords", what))
            .arg(r.set)
            .arg(r.asked);
    };
    switch (r.what) {
    case What::NoTelnetAnswer:
        return QCoreApplication::translate("PortWords", "텔넷 응답 없음");
    case What::NoComPortAnswer:
        return QCoreApplication::translate("PortWords", "COM-PORT-CONTROL 응답 없음");
    case What::BinaryRefused:
        return QCoreApplication::translate("PortWords", "바이너리 모드 거부");
    case What::ComPortRefused:
        return QCoreApplication::translate("PortWords", "COM-PORT-CONTROL 거부");
    case What::FarBaud:
        return set(QT_TRANSLATE_NOOP("PortWords", "통신속도"));
    case What::FarDataBits:
        return set(QT_TRANSLATE_NOOP("PortWords", "데이터 비트"));
    case What::FarParity:
        return set(QT_TRANSLATE_NOOP("PortWords", "패리티 코드"));
    case What::FarStopBits:
        return set(QT_TRANSLATE_NOOP("PortWords", "정지 비트 코드"));
    case What::None:
        break;
    }
    return QCoreApplication::translate("PortWords", "알 수 없음");
}

// What the system's error means. Where only the system can tell, its own
// words (English) follow in brackets, so that the cause is on the screen.
QString causeText(const PortFailure& f) {
    switch (f.cause) {
    case Cause::NoDevice:
        return QCoreApplication::translate("PortWords", "장치가 없습니다.");
    case Cause::NotPermitted:
        if (sys::accessGrant() == sys::AccessGrant::DialoutGroup)
            return QCoreApplication::translate(
                "PortWords", "장치를 쓸 권한이 없습니다. 사용자를 dialout 그룹에 넣고 "
                             "(sudo usermod -aG dialout $USER) 다시 로그인하십시오.");
        return QCoreApplication::translate("PortWords", "장치를 쓸 권한이 없습니다.");
    case Cause::InUse:
        return QCoreApplication::translate("PortWords", "다른 프로그램이 사용하고 있습니다.");
    case Cause::TimedOut:
        return QCoreApplication::translate("PortWords", "시간 초과");
    case Cause::Unreadable:
        return QCoreApplication::translate("PortWords", "읽을 수 없음");
    case Cause::BadAddress:
        return QCoreApplication::translate(
            "PortWords", "주소는 tcp://호스트:포트 또는 rfc2217://호스트:포트 형식입니다.");
    case Cause::HostNotFound:
        return QCoreApplication::translate("PortWords", "호스트를 찾을 수 없습니다.");
    case Cause::Refused:
        return QCoreApplication::translate("PortWords", "장치 서버가 연결을 거부했습니다.");
    case Cause::Closed:
        return QCoreApplication::translate("PortWords", "장치 서버가 연결을 끊었습니다.");
    case Cause::NoRfc2217:
        return QCoreApplication::translate("PortWords",
                                           "장치 서버가 RFC 2217을 지원하지 않습니다. (%1)")
            .arg(refusalText(f.refusal));
    case Cause::SpeaksTelnet:
        return QCoreApplication::translate(
            "PortWords", "이 포트는 RFC 2217을 씁니다. rfc2217://호스트:포트로 연결하십시오.");
    case Cause::FarSettings:
        return QCoreApplication::translate("PortWords",
                                           "장치 서버가 통신 설정을 받아들이지 않았습니다. (%1)")
            .arg(refusalText(f.refusal));
    case Cause::System:
        break;
    }
    const QString system = QCoreApplication::translate("PortWords", "시스템 오류");
    return f.systemText.isEmpty() ? system : QStringLiteral("%1 (%2)").arg(system, f.systemText);
}

QString settingsText(const LineSettingsFault& s) {
    QString why;
    switch (s.part) {
    case Part::Shape:
        why = QCoreApplication::translate("PortWords",
                                          "형식은 \"속도,패리티,데이터 비트,정지 비트\"입니다");
        break;
    case Part::Baud:
        why = QCoreApplication::translate("PortWords", "통신속도 \"%1\"은(는) 숫자가 아닙니다")
                  .arg(s.value);
        break;
    case Part::Parity:
        why = QCoreApplication::translate("PortWords", "패리티 \"%1\"").arg(s.value);
        break;
    case Part::DataBits:
        why = QCoreApplication::translate("PortWords", "데이터 비트 \"%1\"").arg(s.value);
        break;
    case Part::StopBits:
        why = QCoreApplication::translate("PortWords", "정지 비트 \"%1\"").arg(s.value);
        break;
    }
    return QCoreApplication::translate("PortWords", "통신 설정 \"%1\"을(를) 쓸 수 없습니다: %2")
        .arg(s.text, why);
}
} // namespace

QString portFailureText(const PortFailure& f) {
    using Kind = PortFailure::Kind;
    switch (f.kind) {
    case Kind::NoPortNumber:
        return QCoreApplication::translate("PortWords",
                                           "%1: 포트 번호가 없습니다. 포트를 목록에서 고르십시오.")
            .arg(f.port);
    case Kind::BadSettings:
        return QStringLiteral("%1: %2").arg(f.port, settingsText(f.settings));
    case Kind::OpenRefused:
        return QCoreApplication::translate("PortWords", "%1을(를) 열 수 없습니다: %2")
            .arg(f.port, causeText(f));
    case Kind::NotOpen:
        return QCoreApplication::translate("PortWords",
                                           "%1: 포트가 열려 있지 않아 보내지 못했습니다.")
            .arg(f.port);
    case Kind::WriteFailed:
        return QCoreApplication::translate("PortWords", "%1: 보내지 못했습니다: %2")
            .arg(f.port, causeText(f));
    case Kind::Lost:
        return QCoreApplication::translate(
                   "PortWords",
                   "%1 연결이 끊어졌습니다. 장치와 케이블을 확인한 뒤 다시 연결하십시오. (%2)")
            .arg(f.port, causeText(f));
    }
    return {};
}

QString notConnectedText() {
    return QCoreApplication::translate(
        "PortWords", "포트가 연결되어 있지 않습니다. 통신설정에서 포트를 먼저 연결하십시오.");
}

} // namespace stepdrive
