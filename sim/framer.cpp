#include "sim/framer.h"

#include <algorithm>

namespace stepdrive::sim {

void Framer::feed(const std::uint8_t* data, std::size_t count) {
    buffer_.insert(buffer_.end(), data, data + count);
}

std::optional<CommandFrame> Framer::next() {
    for (;;) {
        const auto header = std::find_if(buffer_.begin(), buffer_.end(), [](std::uint8_t b) {
            return formatOfHeader(b).has_value();
        });
        skipped_ += static_cast<std::size_t>(header - buffer_.begin());
        buffer_.erase(buffer_.begin(), header);
        if (buffer_.empty())
            return std::nullopt;

        const Format format = *formatOfHeader(buffer_[0]);
        const int length = formatInfo(format).frameLength;
        if (buffer_.size() < static_cast<std::size_t>(length))
            return std::nullopt;

        const int trailer = length - 2;
        if (buffer_[trailer] == kTrailer &&
            buffer_[trailer + 1] == checksum(buffer_.data(), 1, trailer - 1)) {
            CommandFrame frame{format, Bytes(buffer_.begin(), buffer_.begin() + length)};
            buffer_.erase(buffer_.begin(), buffer_.begin() + length);
            return frame;
        }
        // Not a frame after all: drop the false header and look again.
        buffer_.erase(buffer_.begin());
        ++skipped_;
    }
}

} // namespace stepdrive::sim
