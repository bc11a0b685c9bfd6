#pragma once
// Splits the byte stream from the host into command frames. The host writes
// each command as a block: a 10-byte (header 0xAA) or 13-byte (header 0xCC)
// frame followed by two zero bytes. Anything that is not a whole frame with
// its trailer and checksum in place is skipped a byte at a time, so the reader
// finds its feet again after garbage or a torn block.

#include "core/frame.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace stepdrive::sim {

struct CommandFrame {
    Format format;
    Bytes bytes; // the frame alone, without the two zero bytes
};

class Framer {
public:
    void feed(const std::uint8_t* data, std::size_t count);
    void feed(const Bytes& data) { feed(data.data(), data.size()); }

    // The next complete command frame, or nullopt until more bytes arrive.
    std::optional<CommandFrame> next();

    // Bytes thrown away so far while looking for a frame (the zero padding
    // after each block included).
    std::size_t skipped() const { return skipped_; }
    // Bytes held back: the start of a frame still incomplete.
    std::size_t pending() const { return buffer_.size(); }

private:
    Bytes buffer_;
    std::size_t skipped_ = 0;
};

} // namespace stepdrive::sim
