// The simulator's command line: each option and form it takes, and what it
// refuses.

#include "sim/options.h"

#include "core/version.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace stepdrive::sim;

namespace {

std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

// The options read, or the status and the first lines printed instead.
std::string described(const CommandLine& line) {
    if (!line.run)
        return std::to_string(line.status) + " " + firstLine(line.out) + firstLine(line.err);
    const FaultOptions& f = line.run->faults;
    char text[200];
    std::snprintf(text, sizeof text,
                  "inputs %d fault %d every %d drop %d delay %d split %d noise %d seed %u%s",
                  line.run->inputs, static_cast<int>(f.corruption), f.every, f.drop, f.delayMs,
                  f.split, f.noise, f.seed, line.run->verbose ? " verbose" : "");
    return text;
}

} // namespace

TEST(sim_Options, eachOptionAndFormAndWhatIsRefused) {
    const struct {
        QStringList arguments;
        std::string read;
    } cases[] = {
        {{}, "inputs 0 fault 0 every 1 drop 0 delay 0 split 0 noise 0 seed 1"},
        {{"--inputs", "0x1F", "-v"},
         "inputs 31 fault 0 every 1 drop 0 delay 0 split 0 noise 0 seed 1 verbose"},
        {{"--inputs=255", "--verbose"},
         "inputs 255 fault 0 every 1 drop 0 delay 0 split 0 noise 0 seed 1 verbose"},
        {{"--fault=trailer", "--every", "3", "--fault", "header"},
         "inputs 0 fault 1 every 3 drop 0 delay 0 split 0 noise 0 seed 1"},
        {{"--fault", "status", "--drop=2", "--delay-ms", "60000", "--split", "4", "--noise", "1000",
          "--seed", "0x7FFFFFFF"},
         "inputs 0 fault 2 every 1 drop 2 delay 60000 split 4 noise 1000 seed 2147483647"},
        {{"--inputs", "3", "--inputs", "4"},
         "inputs 4 fault 0 every 1 drop 0 delay 0 split 0 noise 0 seed 1"},
        {{"--help", "--bogus"}, "0 Usage: stepdrive-sim [options]"},
        {{"-h"}, "0 Usage: stepdrive-sim [options]"},
        {{"--version", "--help"}, "0 " + firstLine(stepdrive::versionText("stepdrive-sim"))},
        {{"--inputs", "256"}, "2 stepdrive-sim: bad value '256' for --inputs (expected 0 to 255)"},
        {{"--inputs", "999", "--inputs", "3"},
         "2 stepdrive-sim: bad value '999' for --inputs (expected 0 to 255)"},
        {{"--every", "0"}, "2 stepdrive-sim: bad value '0' for --every (expected 1 to 1000000)"},
        {{"--seed", "1234567890"},
         "2 stepdrive-sim: bad value '1234567890' for --seed (expected 0 to 2147483647)"},
        {{"--split", "1x"}, "2 stepdrive-sim: bad value '1x' for --split (expected 0 to 1000)"},
        {{"--drop", "-1"}, "2 stepdrive-sim: bad value '-1' for --drop (expected 0 to 1000000)"},
        {{"--fault", "nothing"},
         "2 stepdrive-sim: bad value 'nothing' for --fault (header, status or trailer)"},
        {{"--bogus=3"}, "2 stepdrive-sim: unknown option '--bogus=3'"},
        {{"-vx"}, "2 stepdrive-sim: unknown option '-vx'"},
        {{"extra"}, "2 stepdrive-sim: unknown option 'extra'"},
        {{"--noise"}, "2 stepdrive-sim: Missing value after '--noise'."},
    };
    for (const auto& c : cases) {
        const CommandLine line =
            readCommandLine(QStringList{QStringLiteral("stepdrive-sim")} + c.arguments);
        EXPECT_EQ(described(line), c.read) << c.arguments.join(' ').toStdString();
        if (line.status == 2) {
            EXPECT_EQ(line.err.substr(line.err.find('\n')), "\nTry 'stepdrive-sim --help'.\n");
        }
    }
}
