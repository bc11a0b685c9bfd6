#pragma once
// The driver's commands as stepdrive-cli uses them, one exchange each,
// paced as the windows pace them: a write walks the windows' write sequence
// (its pauses before the first frame and after each), a read-back the
// windows' read order (its pause after each reply).

#include "cli/reached.h"
#include "core/frame.h"
#include "core/profile.h"
#include "core/write_sequences.h"

#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

namespace stepdrive {
class Pause;
}

namespace stepdrive::cli {

class Exchange;

class Session {
public:
    // After each frame of a write ("writing") or read-back ("reading") of a
    // section ("motor", "table", "belt"): how many of its frames are done.
    using Progress =
        std::function<void(const QString& phase, const QString& section, int done, int total)>;

    Session(Exchange& exchange, Pause& pause);
    void onProgress(Progress progress) { progress_ = std::move(progress); }
    // What reached the drive so far. A command that writes or verifies puts
    // what it wants there first.
    Reached& reached() { return reached_; }
    Pause& pause() { return pause_; }
    Exchange& exchange() { return exchange_; }

    // Writes what the profile holds: the motor parameters, the table entries,
    // the belt parameters and the IN2-use flag, in this order.
    void write(const Profile& profile);
    // Reads back each value `which` holds (whatever its value), in the same
    // order. The IN2-use flag can't be read.
    Profile read(const Profile& which);

    // Table entry `number` (1-7), paced as a step of the table's read-back.
    TableEntry readTableEntry(int number);
    // Moves with the values of table entry `number` (1-7).
    void moveToRow(int number, const TableEntry& entry);
    void move(bool relative, std::int32_t pulses);
    void jog(bool right, std::int32_t speed);
    void stop();
    void homeSearch();
    std::int32_t position();
    Inputs inputs();
    // Outputs 3 and 4 are always sent off.
    void setOutputs(bool first, bool second);
    // Asks for the inputs every kPollMs until the run flag clears, then
    // gives the position. When the motor still runs after `limitMs`, when
    // kTries status requests in a row fail, or on SIGINT or SIGTERM, sends
    // the stop frame and throws a Failure that says so.
    std::int32_t waitUntilStopped(int limitMs);

    static constexpr int kPollMs = 50;
    static constexpr int kTries = 3;

private:
    void reportProgress(const char* phase, const QString& section, int done, int total);
    // One exchange, noted in reached_; refused once interrupted unless
    // `evenInterrupted` (the stop frame).
    Bytes ask(Format format, const std::vector<std::uint8_t>& args, bool evenInterrupted = false);
    Bytes command(std::uint8_t cmd, std::uint8_t opt1, const std::array<std::uint8_t, 4>& data);
    // A command that starts a motion.
    void motion(Format format, const std::vector<std::uint8_t>& args);
    void begin(const char* phase) { reached_.phase = QLatin1String(phase); }
    Inputs askInputs();
    // What `ask` gives, asked again kPollMs later when its reply was lost or
    // garbled, kTries times at most.
    template <typename Ask> auto again(Ask ask) -> decltype(ask());
    // Sends the stop frame after a wait that ended otherwise, then throws.
    [[noreturn]] void stopAndFail(int status, const QString& why);
    // A request of a read-back and its reply, then the order's pause.
    Bytes readStep(const ReadOrder& order, const ReadStep& step);
    // The same for a parameter of `section` ("motor", "belt"): its value,
    // noted as read.
    std::int32_t readParameter(const ReadOrder& order, const ReadStep& step, const char* section,
                               const ValueRule& rule);
    // The same for a table entry.
    TableEntry readEntry(const ReadOrder& order, const ReadStep& step);

    Exchange& exchange_;
    Pause& pause_;
    Progress progress_;
    Reached reached_;
};

} // namespace stepdrive::cli
