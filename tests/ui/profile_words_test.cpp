#include "tests/ui/in_language.h"
#include "ui/profile_words.h"

#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

// Each reason the set-up file reader gives, in Korean (Qt's own words for
// broken JSON included), and in English as the command line says it.
TEST(ProfileWords, everyRefusalInTheOperatorsLanguage) {
    const struct {
        const char* json;
        const char* korean;
    } cases[] = {
        {"{\n  \"motor\": \"abc", "2행 16열의 JSON 형식이 잘못되었습니다: 끝나지 않은 문자열"},
        {" [1]", "1행 2열: 설정 파일은 JSON 객체여야 합니다"},
        {"{}", "1행 1열: motor, table, belt 중 어느 부분도 없습니다"},
        {"{\"belt\": {},\n \"belt\": {}}", "belt: 두 번 있습니다 (2행 2열에 다시)"},
        {R"({"motor": {"torque": 1}})",
         "motor.torque: 모르는 키입니다 (쓸 수 있는 키: run_current, stop_current, run_speed, "
         "acceleration, homing_speed, home_offset, resolution) (1행 22열)"},
        {R"({"motor": {"run_current": 20}})", "motor.stop_current: 값이 없습니다 (1행 11열)"},
        {R"({"belt": {"acceleration": "%2", "speed": 1, "deceleration": 1, "final_speed": 1}})",
         "belt.acceleration: \"%2\"은(는) 숫자가 아닙니다 (1행 27열)"},
        {R"({"belt": {"acceleration": 2.5, "speed": 1, "deceleration": 1, "final_speed": 1}})",
         "belt.acceleration: 2.5은(는) 정수가 아닙니다 (1행 27열)"},
        {R"({"belt": {"acceleration": 1, "speed": 65536, "deceleration": 1, "final_speed": 1}})",
         "belt.speed: 65536은(는) 범위 0~65535 밖입니다 (1행 39열)"},
        {R"({"belt": {"acceleration": 1, "speed": 1, "deceleration": 1, "final_speed": 1,
                      "in2_used": 1}})",
         "belt.in2_used: 1은(는) true 또는 false가 아닙니다 (2행 35열)"},
        {R"({"motor": []})", "motor: motor 매개변수의 객체여야 합니다 (1행 11열)"},
        {R"({"table": [{}]})", "table: 항목 7개의 목록이어야 합니다 (1행 11열)"},
        {R"({"table": [1, 2, 3, 4, 5, 6, 7]})",
         "table.1: position, velocity, acceleration의 객체여야 합니다 (1행 12열)"},
        {R"({"motor": {"run_current": 2e1}})",
         "motor.run_current: 2e1은(는) 받지 않습니다. 정수는 지수 없이 쓰십시오 (1행 27열)"},
        {R"({"port": 5, "motor": []})", "port: 5은(는) 문자열이 아닙니다 (1행 10열)"},
        {R"({"about": [], "motor": []})", "about: 문자열로 된 객체여야 합니다 (1행 11열)"},
    };
    for (const auto& c : cases) {
        ProfileFault fault;
        ASSERT_FALSE(parseProfile(QByteArray(c.json), &fault)) << c.json;
        {
            InLanguage english("en");
            EXPECT_EQ(profileFaultText(fault), englishText(fault)) << c.json;
        }
        InLanguage korean("ko");
        EXPECT_EQ(profileFaultText(fault), QString::fromUtf8(c.korean)) << c.json;
    }
}
