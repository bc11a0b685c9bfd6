#include "cli/output.h"

#include "cli/exchange.h"
#include "sys/files.h"

#include <QTextStream>

namespace stepdrive::cli {

int deliver(const QString& text, int status, bool outputClosed, QTextStream& err) {
    const QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty())
        return status;
    const QString why = outputClosed ? QStringLiteral("it is closed")
                                     : sys::writeAll(sys::kStandardOutput, bytes, true);
    if (why.isEmpty())
        return status;
    err << "stepdrive-cli: standard output could not be written: " << why << '\n';
    err.flush();
    return status == kDone ? kOutputError : status;
}

} // namespace stepdrive::cli
