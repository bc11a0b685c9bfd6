#pragma once
// What a panel's TX and RX boxes show: the last frame sent, and the bytes
// received since the RX box was last cleared, as hexadecimal groups.

#include <QString>
#include <cstddef>
#include <cstdint>

namespace stepdrive {

class EchoTexts {
public:
    // Past this many bytes the RX box shows the newest that many.
    static constexpr int kRxShownBytes = 1024;

    const QString& tx() const { return tx_; }
    const QString& rx() const { return rx_; }

    void setSent(const std::uint8_t* frame, std::size_t count);
    void addReceived(const std::uint8_t* bytes, std::size_t count);
    void clearReceived() { rx_.clear(); }

private:
    QString tx_;
    QString rx_;
};

} // namespace stepdrive
