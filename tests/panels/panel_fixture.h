#pragma once
// A shell with fake port objects, a recording pause and a recording
// messenger, and short ways to reach a window's controls by name.

#include "app/shell.h"
#include "tests/support/fakes.h"

#include <QAbstractButton>
#include <QLineEdit>
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
    // Every block written on any port.
    QStringList sentAnywhere() const {
        QStringList all;
        for (const auto& [name, p] : ports)
            for (const auto& s : p->sent)
                all << name + QLatin1Char(':') + hexOf(s.bytes);
        return all;
    }

    static QLineEdit* box(QWidget& window, const char* name) {
        auto* w = window.findChild<QLineEdit*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static QAbstractButton* button(QWidget& window, const char* name) {
        auto* w = window.findChild<QAbstractButton*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static void click(QWidget& window, const char* name) {
        QTest::mouseClick(button(window, name), Qt::LeftButton);
    }
};

} // namespace stepdrive::test
