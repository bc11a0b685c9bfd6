#include "core/line_settings.h"

#include <gtest/gtest.h>

namespace stepdrive {

// A settings string is four parts; the first unusable one is named with what
// it held, and a usable one gives the line as written.
TEST(LineSettingsText, namesThePartItCannotUse) {
    using Part = LineSettingsFault::Part;
    const struct {
        const char* text;
        std::optional<Part> refused;
        const char* value;
    } cases[] = {
        {"19200,N,8,1", std::nullopt, ""},
        {" 9600 , e , 7 , 2 ", std::nullopt, ""},
        {"19200,N,8", Part::Shape, ""},
        {"19200,N,8,1,1", Part::Shape, ""},
        {"low_speed6000,N,8,1", Part::Baud, "low_speed6000"},
        {",N,8,1", Part::Baud, ""},
        {"0,N,8,1", Part::Baud, "0"},
        {"19200,X,8,1", Part::Parity, "X"},
        {"19200,NE,8,1", Part::Parity, "NE"},
        {"19200,N,9,1", Part::DataBits, "9"},
        {"19200,N,4,1", Part::DataBits, "4"},
        {"19200,N,8,3", Part::StopBits, "3"},
        {"19200,N,8,1.5", Part::StopBits, "1.5"},
    };
    for (const auto& c : cases) {
        LineSettingsFault fault;
        const auto settings = parseLineSettings(QString::fromLatin1(c.text), &fault);
        EXPECT_EQ(settings.has_value(), !c.refused) << c.text;
        if (c.refused) {
            EXPECT_EQ(fault.part, *c.refused) << c.text;
            EXPECT_EQ(fault.value, QString::fromLatin1(c.value)) << c.text;
            EXPECT_EQ(fault.text, QString::fromLatin1(c.text)) << c.text;
        }
    }
    const LineSettings odd = *parseLineSettings(QStringLiteral(" 9600 , e , 7 , 2 "));
    EXPECT_EQ(odd.baud, 9600);
    EXPECT_EQ(odd.parity, 'E');
    EXPECT_EQ(odd.dataBits, 7);
    EXPECT_EQ(odd.stopBits, 2);
}

} // namespace stepdrive
