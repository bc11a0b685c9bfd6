#pragma once
// Frame layout of the driver link: the two command formats, the reply frame,
// the checksum and the hexadecimal echo. Pure functions, no Qt: the simulator
// uses them too.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace stepdrive {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kShortCommandHeader = 0xAA;
constexpr std::uint8_t kLongCommandHeader = 0xCC;
constexpr std::uint8_t kReplyHeader = 0xBB;
constexpr std::uint8_t kReplyStatus = 0x64;
constexpr std::uint8_t kTrailer = 0xEE;

// Short: 10-byte frames (main and belt panels). Long: 13-byte frames
// (position table panel).
enum class Format { Short, Long };

struct FormatInfo {
    std::uint8_t commandHeader;
    int frameLength;   // command and reply frames have the same length
    int blockLength;   // what goes on the wire: the frame and two zero bytes
    int argumentCount; // cmd, opt1 and the data bytes
};

const FormatInfo& formatInfo(Format format);

// The format a command block belongs to, from its header byte.
std::optional<Format> formatOfHeader(std::uint8_t header);

// Low 8 bits of the sum of bytes [first, last] (0-based, inclusive).
std::uint8_t checksum(const std::uint8_t* bytes, int first, int last);

// Writes the command frame for `args` (cmd, opt1, then the data bytes; as
// many as the format has) into the first frameLength bytes of `block`.
void fillCommandFrame(Format format, const std::uint8_t* args, std::uint8_t* block);

// The whole block (frame plus the two zero bytes) for the given arguments.
Bytes commandBlock(Format format, const std::vector<std::uint8_t>& args);

// A reply frame as the driver sends it: BB 00 code 64 data... EE checksum.
// `data` holds 4 bytes (Short) or 7 bytes (Long).
Bytes replyFrame(Format format, std::uint8_t code, const std::vector<std::uint8_t>& data);

// Each byte as two upper-case hex digits followed by two blanks.
std::string hexEcho(const std::uint8_t* bytes, std::size_t count);
inline std::string hexEcho(const Bytes& bytes) {
    return hexEcho(bytes.data(), bytes.size());
}

// Big-endian bytes of the low `count` bytes of a 32-bit two's complement value.
std::vector<std::uint8_t> bigEndian(std::int32_t value, int count);
// The signed value of `count` (1 to 4) big-endian bytes.
std::int32_t signedBigEndian(const std::uint8_t* bytes, int count);

// One reply as read: its code (position 3), the two status bytes (positions
// 7 and 8), the data fields (one 32-bit value in a 10-byte reply; a table
// entry's velocity, acceleration and position in a 13-byte one, as
// tableEntryOf decodes them; a field is missing when fewer bytes came than
// it needs) and how many of the header, status and (when checked)
// trailer bytes were wrong, and which. A byte that did not come reads 0.
struct Reply {
    enum Check : std::uint8_t { Header = 1, Status = 2, Trailer = 4 };
    std::uint8_t code = 0;
    std::uint8_t statusA = 0;
    std::uint8_t statusB = 0;
    std::vector<std::optional<std::int32_t>> fields;
    std::uint8_t failed = 0; // the Checks that failed, one byte each

    int wrongBytes() const {
        return (failed & Header ? 1 : 0) + (failed & Status ? 1 : 0) + (failed & Trailer ? 1 : 0);
    }

    std::optional<std::int32_t> value(std::size_t field = 0) const {
        return field < fields.size() ? fields[field] : std::nullopt;
    }
};

// The reply in the first `count` bytes (at most a frame's worth are looked at).
Reply parseReply(Format format, const std::uint8_t* bytes, std::size_t count, bool checkTrailer);

} // namespace stepdrive
