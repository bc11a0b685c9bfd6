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
        {failure(Kind::OpenRefused, port, Cause::System, "Input/output error"),
         "COM4 (/dev/ttyS3)을(를) 열 수 없습니다: Input/output error"},
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
#ifdef Q_OS_LINUX
    EXPECT_TRUE(portFailureText(failure(Kind::OpenRefused, port, Cause::NotPermitted))
                    .contains("sudo usermod -aG dialout $USER"));
#endif
}
