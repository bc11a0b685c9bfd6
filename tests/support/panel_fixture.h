#pragma once
// A shell with fake port objects, a recording pause and a recording
// messenger.

#include "app/shell.h"
#include "panels/driver_panel.h"
#include "tests/support/fakes.h"
#include "tests/support/widgets.h"

#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace stepdrive::test {

struct PanelFixture : ::testing::Test {
    std::map<QString, FakeCommControl*> ports;
    RecordingPause pause;
    RecordingMessenger messages;
    Shell shell{[this](const QString& name, PauseGate* gate) {
                    auto port = std::make_unique<FakeCommControl>(name, gate, &pause);
                    ports[name] = port.get();
                    return port;
                },
                pause, messages};

    FakeCommControl& port(const QString& name) {
        EXPECT_TRUE(ports.count(name)) << name.toStdString();
        return *ports[name];
    }
    // `panel`'s port object open as the connection dialog leaves it (one byte
    // per read, the frame length as receive threshold).
    FakeCommControl& openPort(DriverPanel& panel, const char* name) {
        FakeCommControl& p = port(QString::fromLatin1(name));
        p.setInputLen(1);
        p.setPortOpen(true);
        p.setRThreshold(panel.link().threshold());
        return p;
    }
    QStringList sentAnywhere() const {
        QStringList all;
        for (const auto& [name, p] : ports)
            for (const auto& s : p->sent)
                all << name + QLatin1Char(':') + hexOf(s.bytes);
        return all;
    }
};

} // namespace stepdrive::test
