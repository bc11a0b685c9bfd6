#include "link/echo_texts.h"

#include "core/frame.h"

#include <algorithm>

namespace stepdrive {

void EchoTexts::setSent(const std::uint8_t* frame, std::size_t count) {
    tx_ = QString::fromStdString(hexEcho(frame, count));
}

void EchoTexts::addReceived(const std::uint8_t* bytes, std::size_t count) {
    // Only what the box shows is kept and converted, so an event costs the
    // same after a million bytes as after ten.
    constexpr int kShownChars = 4 * kRxShownBytes;
    const std::size_t shown = std::min<std::size_t>(count, kRxShownBytes);
    rx_ += QString::fromStdString(hexEcho(bytes + count - shown, shown));
    if (rx_.size() > kShownChars)
        rx_.remove(0, rx_.size() - kShownChars);
}

} // namespace stepdrive
