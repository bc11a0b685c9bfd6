#pragma once
// One working panel shown with its port open, with ways to play the driver's
// part and to read the colours the operator sees.

#include "core/frame.h"
#include "tests/support/panel_fixture.h"

#include <QLineEdit>

namespace stepdrive::test {

template <typename Panel> struct DriverPanelFixture : PanelFixture {
    Panel* panel = nullptr;
    FakeCommControl* msc = nullptr;

    void open(Panel& shown, const char* portName) {
        panel = &shown;
        msc = &openPort(shown, portName);
        shown.show();
    }
    void reply(const char* hex) {
        msc->push(fromHex(hex));
        pumpEvents();
    }
    // The last block a button sent, "" when it sent none.
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
    // Each block went out `firstMs` after the press and `stepMs` after the one
    // before, by the pause clock.
    void expectPaced(qint64 firstMs, qint64 stepMs) const {
        for (std::size_t i = 0; i < msc->sent.size(); ++i)
            EXPECT_EQ(msc->sent[i].atMs, firstMs + stepMs * static_cast<qint64>(i)) << i;
    }
    QLineEdit* boxOf(const char* name) { return box(*panel, name); }
    void type(const char* name, const char* text) { boxOf(name)->setText(QString::fromUtf8(text)); }
    QString textOf(const char* name) { return boxOf(name)->text(); }
    QColor shown(const char* name) { return shownColour(boxOf(name)); }
};

// A 10-byte reply frame with `code` and a 32-bit value.
inline QByteArray shortReply(std::uint8_t code, std::int32_t value) {
    const Bytes b = replyFrame(Format::Short, code, bigEndian(value, 4));
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<int>(b.size()));
}

} // namespace stepdrive::test
