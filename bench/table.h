#pragma once
// The table scripts/bench prints: one row per figure, with what it measured,
// the floor it is held against, the ratio of the two and the target.

#include <optional>
#include <string>

namespace stepdrive::bench {

struct Row {
    std::string figure;
    std::string measured;
    std::string floor;
    std::string ratio;
    std::string target;
    std::optional<bool> met; // empty: the figure has no target of its own
};

// Prints the row as a line of a Markdown table on standard output.
void printRow(const Row& row);

// "12.3" with `decimals` digits after the point.
std::string fixed(double value, int decimals);

// The fastest line the connection dialog offers, 128000 baud with 10 bits
// on the wire per byte: the time `bytes` take on it, in milliseconds.
constexpr int kFastestBaud = 128000;
double lineMs(double bytes);

} // namespace stepdrive::bench
