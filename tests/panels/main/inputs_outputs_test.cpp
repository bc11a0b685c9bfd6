// "입력" and the lamps, "출력1"/"출력2" and their captions.

#include "panels/main/main_panel.h"
#include "tests/support/driver_panel_fixture.h"
#include "ui/lamp.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

const char* const kLamps[] = {"led1", "led2", "led3", "led4",    "led5",
                              "led6", "led7", "led8", "led_run", "led_hsen"};

struct MainInputsOutputs : DriverPanelFixture<MainPanel> {
    void SetUp() override {
        shell.start();
        open(shell.main(), "MSC");
    }
    // The lamps that show red on screen, by the pixel at their centre.
    QStringList lit() {
        QStringList names;
        for (const char* name : kLamps) {
            auto* lamp = panel->findChild<Lamp*>(QString::fromLatin1(name));
            EXPECT_NE(lamp, nullptr) << name;
            const QImage image = lamp->grab().toImage();
            const QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
            if (centre == QColor(255, 0, 0))
                names << QString::fromLatin1(name);
            else
                EXPECT_EQ(centre, QColor(255, 255, 255)) << name;
        }
        return names;
    }
    QString caption(const char* name) { return button(*panel, name)->text(); }
};

} // namespace

TEST_F(MainInputsOutputs, outputsToggleTheirCaptionsAndEveryFrameCarriesAllFour) {
    const std::tuple<const char*, const char*, const char*> presses[] = {
        {"CMD_OUT1", "AA 00 0B 01 01 00 00 00 EE 0D 00 00", "출력1 OFF 출력2 ON"},
        {"CMD_OUT2", "AA 00 0B 01 01 01 00 00 EE 0E 00 00", "출력1 OFF 출력2 OFF"},
        {"CMD_OUT1", "AA 00 0B 01 00 01 00 00 EE 0D 00 00", "출력1 ON 출력2 OFF"},
        {"CMD_OUT2", "AA 00 0B 01 00 00 00 00 EE 0C 00 00", "출력1 ON 출력2 ON"}};
    for (const auto& [name, frame, captions] : presses) {
        EXPECT_EQ(press(name), frame);
        EXPECT_EQ(caption("CMD_OUT1") + ' ' + caption("CMD_OUT2"), QString::fromUtf8(captions));
    }

    // Their replies are only echoed.
    reply("BB 00 0B 64 00 00 00 00 EE 6F");
    EXPECT_EQ(panel->read_data(), 0);
    EXPECT_TRUE(lit().isEmpty());
    EXPECT_TRUE(pause.durations.empty());
}

TEST_F(MainInputsOutputs, theInputReplyPaintsTheTenLampsFromTheTwoStatusBytes) {
    EXPECT_EQ(press("CMD_IN"), "AA 00 0C 01 00 00 00 00 EE 0D 00 00");
    EXPECT_EQ(panel->read_data(), 10);
    // A reply with another code leaves the request waiting.
    reply("BB 00 06 64 00 00 03 81 EE 00");
    EXPECT_EQ(panel->read_data(), 10);
    EXPECT_TRUE(lit().isEmpty());

    press("CMD_IN");
    reply("BB 00 0C 64 00 00 03 81 EE 00");
    EXPECT_EQ(lit(), QStringList({"led1", "led8", "led_run", "led_hsen"}));
    EXPECT_EQ(panel->read_data(), 0);
    EXPECT_TRUE(msc->sent.size() == 1 && pause.durations.empty());

    // A clear bit turns its lamp white again.
    press("CMD_IN");
    reply("BB 00 0C 64 00 00 00 01 EE 00");
    const QStringList shown{"led1"};
    EXPECT_EQ(lit(), shown);

    // Not asked for: nothing changes.
    reply("BB 00 0C 64 00 00 03 FF EE 00");
    EXPECT_EQ(lit(), shown);
}
