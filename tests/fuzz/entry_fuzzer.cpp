// Fuzz target: the entry parser, on any bytes and on what an entry box hands
// over (the text through QString). Besides "no crash, no UB", it checks the
// rules that hold for every text: blanks around change nothing, a number
// printed back reads the same, a sign or a leading zero in front and more
// fraction digits behave as numbers do, only digits, signs, a point and
// blanks make a number, and full-width ones read as ASCII ones.

#include "core/entry.h"
#include "tests/fuzz/fuzz_check.h"

#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

using stepdrive::parseEntry;
using stepdrive::fuzz::require;

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool startsAsNumber(const std::string& text) {
    return !text.empty() && (isDigit(text[0]) || text[0] == '.');
}

bool mayBeInANumber(char c) {
    return isDigit(c) || c == '+' || c == '-' || c == '.' || c == ' ' || c == '\t' || c == '\r' ||
           c == '\n';
}

// A plain whole number ("123", "-0042"): taken exactly when it fits in 32
// bits, and read digit for digit.
void checkWholeNumber(const std::string& text, std::optional<std::int32_t> value) {
    std::string digits = text;
    const bool minus = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+'))
        digits.erase(0, 1);
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isDigit))
        return;
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    const std::string limit = minus ? "2147483648" : "2147483647";
    const bool fits =
        digits.size() < limit.size() || (digits.size() == limit.size() && digits <= limit);
    require(value.has_value() == fits, "a whole number is taken exactly when it fits");
    if (fits)
        require(std::to_string(*value) == (minus && digits != "0" ? "-" : "") + digits,
                "a whole number reads digit for digit");
}

// The text with each full-width digit, sign and point in its ASCII form
// (U+FF10-U+FF19, U+FF0B, U+FF0D, U+FF0E lie 0xFEE0 above them).
std::string asciiForms(QString text) {
    for (QChar& c : text)
        if ((c >= QChar(0xFF10) && c <= QChar(0xFF19)) || c == QChar(0xFF0B) ||
            c == QChar(0xFF0D) || c == QChar(0xFF0E))
            c = QChar(c.unicode() - 0xFEE0);
    return text.toStdString();
}

// The text with each ASCII digit, sign and point in its full-width form.
std::string fullWidth(const std::string& text) {
    QString wide = QString::fromStdString(text);
    for (QChar& c : wide)
        if ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.')
            c = QChar(c.unicode() + 0xFEE0);
    return wide.toStdString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto value = parseEntry(text);

    const QString boxText = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    require(parseEntry(boxText.toStdString()) == value, "a box's text reads as its bytes do");
    require(parseEntry(" \t" + text + " \r\n") == value, "blanks around change nothing");

    require(parseEntry(fullWidth(text)) == value || boxText.toStdString() != text,
            "full-width digits, signs and point read as their ASCII forms");
    checkWholeNumber(text, value);
    if (value) {
        if (text[0] == '-')
            require(*value <= 0, "a number after a minus sign is not positive");
        if (isDigit(text[0]) || text[0] == '+' || text[0] == '.')
            require(*value >= 0, "a number without a minus sign is not negative");
        for (char c : asciiForms(boxText))
            require(mayBeInANumber(c), "only digits, signs, a point and blanks make a number");
        const std::int64_t v = *value;
        const std::string printed = std::to_string(v);
        require(parseEntry(printed) == value, "a number printed back reads the same");
        require(parseEntry(printed + ".4") == value, "a fraction below one half rounds down");
        const std::int64_t away = v + (v < 0 ? -1 : 1);
        if (away >= std::numeric_limits<std::int32_t>::min() &&
            away <= std::numeric_limits<std::int32_t>::max())
            require(parseEntry(printed + ".5") == away, "one half rounds away from zero");
        else
            require(!parseEntry(printed + ".5"), "rounding out of range is refused");
    }

    if (startsAsNumber(text)) {
        require(parseEntry("+" + text) == value, "a plus sign changes nothing");
        if (isDigit(text[0]))
            require(parseEntry("0" + text) == value, "a leading zero changes nothing");
        if (value)
            require(parseEntry("-" + text) == -std::int64_t{*value}, "a minus sign negates");
    }

    if (value && text.find('.') != std::string::npos && isDigit(text.back())) {
        require(parseEntry(text + "9") == value, "only the first fraction digit rounds");
        require(parseEntry(text + "0") == value, "only the first fraction digit rounds");
    }
    return 0;
}
