#include "tests/support/widgets.h"

#include "tests/support/simulator.h"

#include <QAbstractButton>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
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

bool showsWhole(QLineEdit* box) {
    const QImage image = box->grab().toImage();
    // Ink: the dark pixels of the digits, inside the box's frame.
    int first = image.width(), last = -1;
    for (int x = 3; x < image.width() - 3; ++x)
        for (int y = 3; y < image.height() - 3; ++y)
            if (qGray(image.pixel(x, y)) < 128) {
                first = std::min(first, x);
                last = x;
            }
    const int drawn = last - first + 1;
    return drawn >= box->fontMetrics().horizontalAdvance(box->text()) - 3;
}

QLineEdit* cell(QWidget& table, const char* column, int row) {
    return box(table, QString::fromLatin1(column).arg(row).toLatin1().constData());
}

QString rowText(QWidget& table, int row) {
    QStringList texts;
    for (const char* column : kTableColumns)
        texts << cell(table, column, row)->text();
    return texts.join(QLatin1Char(' '));
}

void typeRow(QWidget& table, int row, const QString& values) {
    const QStringList texts = values.split(QLatin1Char(' '));
    for (int c = 0; c < 3; ++c)
        type(table, QString::fromLatin1(kTableColumns[c]).arg(row).toLatin1().constData(),
             texts.value(c));
}

} // namespace stepdrive::test
