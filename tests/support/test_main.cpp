#include "app/program_names.h"
#include "tests/support/fakes.h"
#include "ui/form_look.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// Every case starts with none of the program's settings, as on a first start.
struct CleanSettings : ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { QSettings().clear(); }
};
} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    stepdrive::test::pointPortsNowhere();
    QApplication app(argc, argv);
    stepdrive::nameTheProgram();
    // The user's settings are never touched, and test programs running side
    // by side keep theirs apart.
    const QTemporaryDir settings;
    stepdrive::test::keepSettingsIn(settings.path());
    // The windows are tested as the program shows them.
    stepdrive::applyApplicationLook();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new CleanSettings);
    return RUN_ALL_TESTS();
}
