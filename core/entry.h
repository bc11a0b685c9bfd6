#pragma once
// Entry values: the whole number an operator types in an entry box.

#include <cstdint>
#include <optional>
#include <string_view>

namespace stepdrive {

// `text` is UTF-8. Surrounding blanks are ignored; an optional sign, digits
// and an optional decimal fraction make a number, and a fraction rounds half
// away from zero. Digits, signs and the point count in their full-width forms
// too (０-９, ＋, －, ．). Anything else, or a value outside the signed 32-bit
// range, is not a number.
std::optional<std::int32_t> parseEntry(std::string_view text);

} // namespace stepdrive
