#include "core/frame.h"

#include "core/driver_values.h"

#include <algorithm>

namespace stepdrive {

namespace {
const FormatInfo kShort{kShortCommandHeader, 10, 12, 6};
const FormatInfo kLong{kLongCommandHeader, 13, 15, 9};
} // namespace

const FormatInfo& formatInfo(Format format) {
    return format == Format::Short ? kShort : kLong;
}

std::optional<Format> formatOfHeader(std::uint8_t header) {
    if (header == kShortCommandHeader)
        return Format::Short;
    if (header == kLongCommandHeader)
        return Format::Long;
    return std::nullopt;
}

std::uint8_t checksum(const std::uint8_t* bytes, int first, int last) {
    unsigned sum = 0;
    for (int i = first; i <= last; ++i)
        sum += bytes[i];
    return static_cast<std::uint8_t>(sum & 0xFF);
}

void fillCommandFrame(Format format, const std::uint8_t* args, std::uint8_t* block) {
    const FormatInfo& f = formatInfo(format);
    block[0] = f.commandHeader;
    block[1] = 0x00;
    for (int i = 0; i < f.argumentCount; ++i)
        block[2 + i] = args[i];
    const int trailer = f.frameLength - 2;
    block[trailer] = kTrailer;
    block[trailer + 1] = checksum(block, 1, trailer - 1);
}

Bytes commandBlock(Format format, const std::vector<std::uint8_t>& args) {
    const FormatInfo& f = formatInfo(format);
    std::vector<std::uint8_t> padded(args);
    padded.resize(static_cast<std::size_t>(f.argumentCount), 0);
    Bytes block(static_cast<std::size_t>(f.blockLength), 0);
    fillCommandFrame(format, padded.data(), block.data());
    return block;
}

Bytes replyFrame(Format format, std::uint8_t code, const std::vector<std::uint8_t>& data) {
    const FormatInfo& f = formatInfo(format);
    Bytes frame(static_cast<std::size_t>(f.frameLength), 0);
    frame[0] = kReplyHeader;
    frame[2] = code;
    frame[3] = kReplyStatus;
    const int dataCount = f.frameLength - 6;
    for (int i = 0; i < dataCount && i < static_cast<int>(data.size()); ++i)
        frame[4 + i] = data[i];
    const int trailer = f.frameLength - 2;
    frame[trailer] = kTrailer;
    frame[trailer + 1] = checksum(frame.data(), 1, trailer - 1);
    return frame;
}

std::string hexEcho(const std::uint8_t* bytes, std::size_t count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 4);
    for (std::size_t i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
        text += "  ";
    }
    return text;
}

std::vector<std::uint8_t> bigEndian(std::int32_t value, int count) {
    const auto raw = static_cast<std::uint32_t>(value);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        bytes[static_cast<std::size_t>(count - 1 - i)] =
            static_cast<std::uint8_t>((raw >> (8 * i)) & 0xFF);
    return bytes;
}

std::int32_t signedBigEndian(const std::uint8_t* bytes, int count) {
    std::uint32_t raw = 0;
    for (int i = 0; i < count; ++i)
        raw = (raw << 8) | bytes[i];
    const int unused = 32 - 8 * count; // shifted out and back in with the sign
    return static_cast<std::int32_t>(raw << unused) >> unused;
}

Reply parseReply(Format format, const std::uint8_t* bytes, std::size_t count, bool checkTrailer) {
    const auto length = static_cast<std::size_t>(formatInfo(format).frameLength);
    const auto n = std::min(count, length);
    const auto at = [&](std::size_t pos) -> std::uint8_t { return pos <= n ? bytes[pos - 1] : 0; };
    Reply reply;
    const auto check = [&](Reply::Check c, std::size_t pos, std::uint8_t expected) {
        if (pos <= n && bytes[pos - 1] != expected)
            reply.failed |= c;
    };
    reply.code = at(3);
    reply.statusA = at(7);
    reply.statusB = at(8);
    check(Reply::Header, 1, kReplyHeader);
    check(Reply::Status, 4, kReplyStatus);
    if (checkTrailer)
        check(Reply::Trailer, length - 1, kTrailer);
    // The data start at byte 4; a field is there once its last byte came.
    constexpr std::size_t kData = 4;
    const auto came = [&](int end) { return kData + static_cast<std::size_t>(end) <= n; };
    if (format == Format::Short) {
        reply.fields.push_back(came(4) ? std::optional(signedBigEndian(bytes + kData, 4))
                                       : std::nullopt);
        return reply;
    }
    std::array<std::uint8_t, 7> data{};
    if (n > kData)
        std::copy(bytes + kData, bytes + std::min(n, kData + data.size()), data.begin());
    const TableEntry e = tableEntryOf(data.data());
    for (const auto& [field, value] :
         {std::pair(kTableVelocity, e.velocity), std::pair(kTableAcceleration, e.acceleration),
          std::pair(kTablePosition, e.position)})
        reply.fields.push_back(came(field.end()) ? std::optional(value) : std::nullopt);
    return reply;
}

} // namespace stepdrive
