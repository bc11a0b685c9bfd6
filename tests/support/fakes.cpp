#include "tests/support/fakes.h"

#include <QCoreApplication>

namespace stepdrive::test {

void pumpEvents(int rounds) {
    for (int i = 0; i < rounds; ++i)
        QCoreApplication::processEvents();
}

QString hexOf(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QByteArray fromHex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

} // namespace stepdrive::test
