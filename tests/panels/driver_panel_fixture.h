#pragma once
// One working panel shown, its port open as the connection dialog leaves it
// (one byte per read, the frame length as receive threshold), with ways to
// play the driver's part and to read the colours the operator sees.

#include "core/frame.h"
#include "panels/driver_panel.h"
#include "tests/panels/panel_fixture.h"

#include <QImage>
#include <QLineEdit>
#include <vector>

namespace stepdrive::test {

// The progress marks, as the operator knows them.
inline const QColor kWhite(255, 255, 255);
inline const QColor kSent(255, 255, 128);     // light yellow: a value went out
inline const QColor kReadBack(192, 192, 255); // light blue: a value came back

template <typename Panel> struct DriverPanelFixture : PanelFixture {
    Panel* panel = nullptr;
    FakeCommControl* msc = nullptr;

    // Shows `shown` with its port object `portName` open.
    void open(Panel& shown, const char* portName) {
        panel = &shown;
        msc = &port(QString::fromLatin1(portName));
        msc->setInputLen(1);
        msc->setPortOpen(true);
        msc->setRThreshold(panel->link().threshold());
        panel->show();
    }

    // The driver's bytes arrive and are handled.
    void reply(const char* hex) {
        msc->push(fromHex(hex));
        pumpEvents();
    }
    QString press(const char* buttonName) {
        msc->sent.clear();
        click(*panel, buttonName);
        pumpEvents();
        return hexOf(msc->lastSent());
    }
    QStringList sentHex() const {
        QStringList all;
        for (const auto& s : msc->sent)
            all << hexOf(s.bytes);
        return all;
    }
    QLineEdit* boxOf(const char* name) { return box(*panel, name); }
    void type(const char* name, const char* text) { boxOf(name)->setText(QString::fromUtf8(text)); }
    QString textOf(const char* name) { return boxOf(name)->text(); }
    // The back colour on screen: a pixel inside the box's frame, clear of its
    // centred text.
    QColor shown(const char* name) {
        QLineEdit* b = boxOf(name);
        return b->grab().toImage().pixelColor(4, b->height() / 2);
    }
};

// A 10-byte reply frame with `code` and a 32-bit value.
inline QByteArray shortReply(std::uint8_t code, std::int32_t value) {
    const Bytes b = replyFrame(Format::Short, code, bigEndian(value, 4));
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<int>(b.size()));
}

} // namespace stepdrive::test
