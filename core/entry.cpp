#include "core/entry.h"

#include <cstdint>
#include <limits>
#include <string>

namespace stepdrive {

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The full-width digits, signs and point an East Asian input method types
// (U+FF10-U+FF19, U+FF0B, U+FF0D, U+FF0E; in UTF-8 EF BC 90-99, 8B, 8D, 8E)
// as their ASCII forms, which lie 0xFEE0 below them.
std::string asciiForms(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
        if (i + 2 < text.size() && byte(i) == 0xEF && byte(i + 1) == 0xBC) {
            const unsigned char last = byte(i + 2);
            if ((last >= 0x90 && last <= 0x99) || last == 0x8B || last == 0x8D || last == 0x8E) {
                out += static_cast<char>(last - 0x60);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}
} // namespace

std::optional<std::int32_t> parseEntry(std::string_view entered) {
    const std::string ascii = asciiForms(entered);
    std::string_view text = ascii;
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);

    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }

    std::int64_t magnitude = 0;
    std::size_t i = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > (std::int64_t{1} << 32))
            return std::nullopt;
    }
    const std::size_t intDigits = i;

    std::size_t fracDigits = 0;
    bool roundUp = false;
    if (i < text.size() && text[i] == '.') {
        ++i;
        for (; i < text.size() && isDigit(text[i]); ++i, ++fracDigits)
            if (fracDigits == 0)
                roundUp = text[i] >= '5';
    }
    if (i != text.size() || intDigits + fracDigits == 0)
        return std::nullopt;

    if (roundUp)
        ++magnitude;
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace stepdrive
