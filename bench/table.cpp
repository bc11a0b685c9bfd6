#include "bench/table.h"

#include <cstdio>

namespace stepdrive::bench {

void printRow(const Row& row) {
    const char* verdict = !row.met ? "" : *row.met ? "met" : "MISSED";
    std::printf("| %s | %s | %s | %s | %s | %s |\n", row.figure.c_str(), row.measured.c_str(),
                row.floor.c_str(), row.ratio.c_str(), row.target.c_str(), verdict);
    std::fflush(stdout);
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

double lineMs(double bytes) {
    return bytes * 10.0 * 1000.0 / kFastestBaud;
}

} // namespace stepdrive::bench
