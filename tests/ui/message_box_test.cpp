#include "ui/message_box.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

using namespace stepdrive;

namespace {
// One key event of Return as it reaches the box.
struct Key {
    QEvent::Type type;
    quint64 at; // its time; 0 for an event without one
    bool repeat;
};
} // namespace

// What reaches a box before the operator's fresh Return must not close it,
// and must not stop that fresh Return from answering it.
TEST(MessageBox, onlyAFreshKeyPressAnswersIt) {
    const struct {
        const char* what;
        std::vector<Key> before;
    } cases[] = {
        {"repeats flagged as such", {{QEvent::KeyPress, 100, true}, {QEvent::KeyPress, 101, true}}},
        {"release-press pairs of one moment",
         {{QEvent::KeyRelease, 200, false},
          {QEvent::KeyPress, 200, false},
          {QEvent::KeyRelease, 240, false},
          {QEvent::KeyPress, 240, false}}},
        {"the untimed release of the key that answered the box before",
         {{QEvent::KeyRelease, 0, false}}},
    };
    for (const auto& c : cases) {
        MessageBoxMessenger messenger;
        bool openBeforeFreshKey = false;
        bool closedByFreshKey = false;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box)
                return;
            QWidget* target = box->focusWidget() ? box->focusWidget() : box;
            for (const Key& k : c.before) {
                QKeyEvent key(k.type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"),
                              k.repeat);
                key.setTimestamp(k.at);
                QApplication::sendEvent(target, &key);
            }
            openBeforeFreshKey = box->isVisible();
            QTest::keyClick(box, Qt::Key_Return); // untimed, as QTest sends it
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
        EXPECT_TRUE(openBeforeFreshKey) << c.what;
        EXPECT_TRUE(closedByFreshKey) << c.what;
    }
}

// A long device path wraps inside the box: the box fits the screen, and no
// text is drawn at the right edge of its label, where a clipped line ends.
TEST(MessageBox, aLongPathWrapsInsideTheBox) {
    MessageBoxMessenger messenger;
    bool fitsTheScreen = false;
    int textPixelsAtTheEdge = -1;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        fitsTheScreen = box->screen()->availableGeometry().contains(box->frameGeometry());
        const QImage image = label->grab().toImage();
        const QColor background = image.pixelColor(0, 0);
        textPixelsAtTheEdge = 0;
        for (int x = image.width() - 3; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                textPixelsAtTheEdge += image.pixelColor(x, y) != background;
        box->close();
    });
    messenger.show(QStringLiteral("/dev/%1을(를) 열 수 없습니다: 장치가 없습니다.")
                       .arg(QString(300, QLatin1Char('x'))));
    EXPECT_TRUE(fitsTheScreen);
    EXPECT_EQ(textPixelsAtTheEdge, 0);
}
