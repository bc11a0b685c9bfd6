// Fuzz target: the entry parser, on any bytes and on what an entry box hands
// over (the text through QString). Besides "no crash, no UB", it checks the
// rules that hold for every text: blanks around change nothing, a number
// printed back reads the same, a sign or a leading zero in front and more
// fraction digits behave as numbers do, and only digits, signs, a point and
// blanks make a number.

#include "link/entry.h"
#include "tests/fuzz/fuzz_check.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <limits>
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto value = parseEntry(text);

    const QString boxText = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    require(parseEntry(boxText.toStdString()) == value, "a box's text reads as its bytes do");
    require(parseEntry(" \t" + text + " \r\n") == value, "blanks around change nothing");

    if (value) {
        for (char c : text)
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
