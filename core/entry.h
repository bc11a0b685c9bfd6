#pragma once
// Entry values: the whole number an operator types in an entry box.

#include <cstdint>
#include <optional>
#include <string_view>

namespace stepdrive {

// Surrounding blanks are ignored; an optional sign, ASCII digits and an
// optional decimal fraction make a number, and a fraction rounds half away
// from zero. Anything else, or a value outside the signed 32-bit range, is
// not a number.
std::optional<std::int32_t> parseEntry(std::string_view text);

} // namespace stepdrive
