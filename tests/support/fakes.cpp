#include "tests/support/fakes.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcessEnvironment>
#include <QSettings>
#include <QStandardPaths>

namespace stepdrive::test {

ScopedEnv::ScopedEnv(QByteArray name, const QString& value)
    : name_(std::move(name)), before_(qgetenv(name_.constData())),
      wasSet_(qEnvironmentVariableIsSet(name_.constData())) {
    set(value);
}

ScopedEnv::~ScopedEnv() {
    if (wasSet_)
        qputenv(name_.constData(), before_);
    else
        qunsetenv(name_.constData());
}

void ScopedEnv::set(const QString& value) {
    qputenv(name_.constData(), QFile::encodeName(value));
}

void pointPortsNowhere() {
    for (const QString& name : QProcessEnvironment::systemEnvironment().keys())
        if (name.startsWith(QLatin1String("STEPDRIVE_COM")))
            qunsetenv(name.toLocal8Bit().constData());
    for (int n = 1; n <= kComNumbersPointedNowhere; ++n)
        qputenv(QByteArray("STEPDRIVE_COM") + QByteArray::number(n),
                QByteArray("/nonexistent/stepdrive-COM") + QByteArray::number(n));
    qputenv("STEPDRIVE_SERIAL_DEVICES", "");
    qputenv("STEPDRIVE_SERIAL_BY_ID", "/nonexistent/stepdrive-by-id");
}

void keepSettingsIn(const QString& dir) {
    QStandardPaths::setTestModeEnabled(true);
    for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, dir);
}

void pumpEvents(int rounds) {
    for (int i = 0; i < rounds; ++i)
        QCoreApplication::processEvents();
}

QString hexOf(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString hexOf(const Bytes& bytes) {
    return hexOf(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                            static_cast<qsizetype>(bytes.size())));
}

QByteArray fromHex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

} // namespace stepdrive::test
