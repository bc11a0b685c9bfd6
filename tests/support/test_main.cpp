#include "tests/support/fakes.h"
#include "ui/form_look.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    stepdrive::test::clearComMappings();
    QApplication app(argc, argv);
    // The windows are tested as the program shows them.
    stepdrive::applyApplicationLook();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
