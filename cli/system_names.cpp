#include "cli/system_names.h"

namespace stepdrive::cli {

namespace {
constexpr char16_t kEscaped = 0xDC00; // + the byte, 0x80 to 0xFF

bool isEscaped(QChar c) {
    return c.unicode() >= kEscaped + 0x80 && c.unicode() <= kEscaped + 0xFF;
}

// The length of the UTF-8 sequence at `at`, 0 when it is none.
int sequenceAt(const QByteArray& bytes, int at) {
    const auto byte = [&](int i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    const int length = lead < 0x80   ? 1
                       : lead < 0xC2 ? 0
                       : lead < 0xE0 ? 2
                       : lead < 0xF0 ? 3
                       : lead < 0xF5 ? 4
                                     : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    for (int i = 1; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    // No overlong form, no surrogate, nothing past U+10FFFF.
    if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0) ||
        (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90))
        return 0;
    return length;
}
} // namespace

QString fromSystem(const QByteArray& bytes) {
    QString text;
    for (int at = 0; at < bytes.size();) {
        const int length = sequenceAt(bytes, at);
        if (length == 0) {
            text += QChar(kEscaped + static_cast<unsigned char>(bytes[at]));
            ++at;
            continue;
        }
        text += QString::fromUtf8(bytes.constData() + at, length);
        at += length;
    }
    return text;
}

QByteArray toSystem(const QString& name) {
    QByteArray bytes;
    for (qsizetype at = 0; at < name.size();) {
        qsizetype end = at;
        while (end < name.size() && !isEscaped(name[end]))
            ++end;
        bytes += name.mid(at, end - at).toUtf8();
        for (at = end; at < name.size() && isEscaped(name[at]); ++at)
            bytes += static_cast<char>(name[at].unicode() - kEscaped);
    }
    return bytes;
}

QString shown(const QString& name) {
    QString text;
    for (const QChar c : name)
        text += isEscaped(c)
                    ? QStringLiteral("\\x") + QString::number(c.unicode() - kEscaped, 16).toUpper()
                    : QString(c);
    return text;
}

} // namespace stepdrive::cli
