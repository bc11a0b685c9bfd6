#pragma once
// The program's own windows, serial port controls and pause against a running
// stepdrive-sim: COM4, the dialog's default port, is pointed at the
// simulator's pseudo-terminal. Messages are recorded, so nothing modal
// blocks, and ending the program is only counted.

#include "app/shell.h"
#include "tests/support/fakes.h"
#include "tests/support/simulator.h"
#include "tests/support/widgets.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

namespace stepdrive::test {

class E2eFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    Shell& shell() { return *shell_; }

    // Points COM4 at `next`, which takes the place of `sim`; false when it
    // did not start.
    bool useSimulator(std::unique_ptr<Simulator> next);
    // "통신설정" on the main panel, then "통신 연결" with the dialog's defaults.
    void connectWithDefaults();
    // "원점" on the main panel: the frame sent and the reply echoed.
    void homeSearchIsAnswered();
    // Waits until something has been said and no panel awaits a reply any
    // more, so nothing more can be said; false when that did not come.
    bool saidAndSettled();

    std::unique_ptr<Simulator> sim;
    RecordingMessenger messages;
    int endProgramCalls = 0;

private:
    std::unique_ptr<Shell> shell_;
};

} // namespace stepdrive::test
