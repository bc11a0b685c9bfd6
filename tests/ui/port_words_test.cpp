#include "sys/devices.h"
#include "ui/port_words.h"

#include <gtest/gtest.h>

using namespace stepdrive;

namespace {
PortFailure failure(PortFailure::Kind kind, const QString& port,
                    PortFailure::Cause cause = PortFailure::Cause::System,
                    const QString& systemText = {}, const LineSettingsFault& settings = {}) {
    PortFailure f;
    f.kind = kind;
    f.port = port;
    f.cause = cause;
    f.systemText = systemText;
    f.settings = settings;
    return f;
}
// A device server's refusal on opening.
PortFailure refused(PortFailure::Cause cause, const ServerRefusal& why) {
    PortFailure f = failure(PortFailure::Kind::OpenRefused, "tcp://h:1", cause, "in English");
    f.refusal = why;
    return f;
}
} // namespace

// Each failure the port reports, as the operator reads it.
TEST(PortWords, everyFailureInTheOperatorsWords) {
    using Kind = PortFailure::Kind;
    using Cause = PortFailure::Cause;
    using Part = LineSettingsFault::Part;
    const QString port = QStringLiteral("COM4 (/dev/ttyS3)");
    const QString settings = QStringLiteral("low_speed6000,N,8,1");
    const struct {
        PortFailure failure;
        const char* text;
    } cases[] = {
        {failure(Kind::NoPortNumber, "COM0"),
         "COM0: 포트 번호가 없습니다. 포트를 목록에서 고르십시오."},
        {failure(Kind::BadSettings, port, Cause::System, {},
                 {Part::Baud, settings, "low_speed6000"}),
         "COM4 (/dev/ttyS3): 통신 설정 \"low_speed6000,N,8,1\"을(를) 쓸 수 없습니다: 통신속도 "
         "\"low_speed6000\"은(는) 숫자가 아닙니다"},
        {failure(Kind::BadSettings, port, Cause::System, {}, {Part::Shape, ",N,8", {}}),
         "COM4 (/dev/ttyS3): 통신 설정 \",N,8\"을(를) 쓸 수 없습니다: 형식은 \"속도,패리티,데이터 "
         "비트,정지 비트\"입니다"},
        {failure(Kind::OpenRefused, port, Cause::InUse, "busy"),
         "COM4 (/dev/ttyS3)을(를) 열 수 없습니다: 다른 프로그램이 사용하고 있습니다."},
        {failure(Kind::OpenRefused, port, Cause::NoDevice, "gone"),
         "COM4 (/dev/ttyS3)을(를) 열 수 없습니다: 장치가 없습니다."},
        // What only the system can tell is said in its own words.
        {failure(Kind::OpenRefused, port, Cause::System, "Input/output error"),
         "COM4 (/dev/ttyS3)을(를) 열 수 없습니다: 시스템 오류 (Input/output error)"},
        {refused(Cause::NoRfc2217, {ServerRefusal::What::NoTelnetAnswer}),
         "tcp://h:1을(를) 열 수 없습니다: 장치 서버가 RFC 2217을 지원하지 않습니다. (텔넷 응답 "
         "없음)"},
        {refused(Cause::FarSettings, {ServerRefusal::What::FarBaud, 9600, 19200}),
         "tcp://h:1을(를) 열 수 없습니다: 장치 서버가 통신 설정을 받아들이지 않았습니다. "
         "(통신속도 9600 설정, 요청 19200)"},
        {failure(Kind::NotOpen, port),
         "COM4 (/dev/ttyS3): 포트가 열려 있지 않아 보내지 못했습니다."},
        {failure(Kind::WriteFailed, port, Cause::TimedOut, "Timeout"),
         "COM4 (/dev/ttyS3): 보내지 못했습니다: 시간 초과"},
        {failure(Kind::Lost, port, Cause::Unreadable, "Unknown error"),
         "COM4 (/dev/ttyS3) 연결이 끊어졌습니다. 장치와 케이블을 확인한 뒤 다시 연결하십시오. "
         "(읽을 수 없음)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(portFailureText(c.failure), QString::fromUtf8(c.text));
    EXPECT_EQ(portFailureText(failure(Kind::OpenRefused, port, Cause::NotPermitted))
                  .contains("sudo usermod -aG dialout $USER"),
              sys::accessGrant() == sys::AccessGrant::DialoutGroup);
}
