#include "ui/message_box.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace stepdrive;

// Return held down before the box appeared must not close it unseen.
TEST(MessageBox, onlyAFreshKeyPressAnswersIt) {
    MessageBoxMessenger messenger;
    bool openAfterRepeats = false;
    bool closedByFreshKey = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        QWidget* target = box->focusWidget() ? box->focusWidget() : box;
        auto send = [&](QEvent::Type type, quint64 at, bool repeat) {
            QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), repeat);
            key.setTimestamp(at);
            QApplication::sendEvent(target, &key);
        };
        // Repeats flagged as such, and release-press pairs of one moment.
        for (int i = 0; i < 3; ++i)
            send(QEvent::KeyPress, 100 + i, true);
        for (quint64 at : {200, 240, 280}) {
            send(QEvent::KeyRelease, at, false);
            send(QEvent::KeyPress, at, false);
        }
        openAfterRepeats = box->isVisible();
        QTest::keyClick(box, Qt::Key_Return);
        closedByFreshKey = !box->isVisible();
        if (!closedByFreshKey)
            box->close();
    });
    // A box left open by a broken filter would hang the test.
    QTimer::singleShot(3000, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    messenger.show(QStringLiteral("통신에러"));
    EXPECT_TRUE(openAfterRepeats);
    EXPECT_TRUE(closedByFreshKey);
}
