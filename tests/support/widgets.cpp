#include "tests/support/widgets.h"

#include "tests/support/simulator.h"

#include <QAbstractButton>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace stepdrive::test {

QLineEdit* box(QWidget& window, const char* name) {
    auto* w = window.findChild<QLineEdit*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

QAbstractButton* button(QWidget& window, const char* name) {
    auto* w = window.findChild<QAbstractButton*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

void click(QWidget& window, const char* name) {
    if (QAbstractButton* b = button(window, name))
        QTest::mouseClick(b, Qt::LeftButton);
}

void type(QWidget& window, const char* name, const QString& text) {
    if (QLineEdit* b = box(window, name)) {
        b->clear();
        QTest::keyClicks(b, text);
    }
}

bool waitForEcho(const QLineEdit* echo, int bytes) {
    return QTest::qWaitFor([&] { return echo->text().size() >= 4 * bytes; }, kWaitMs);
}

QColor shownColour(QLineEdit* box) {
    return box->grab().toImage().pixelColor(4, box->height() / 2);
}

} // namespace stepdrive::test
