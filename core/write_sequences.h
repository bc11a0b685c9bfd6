#pragma once
// The write sequences and the read orders as data: which frames go out, in
// which order, and the pauses around each. The windows (WRITE ALL, DATA
// DOWNLOAD, the read-back chains) and stepdrive-cli build their frames here
// and walk them, so both send the same frames at the same pace.

#include "core/driver_values.h"
#include "core/frame.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace stepdrive {

// The pauses of a sequence, in milliseconds.
struct SequencePacing {
    int beforeFirstMs; // before the first frame (after the boxes turn white)
    int afterEachMs;   // after every frame
};

// The motor and belt writes pause before their first frame; the table
// download does not.
inline constexpr SequencePacing kMotorWritePacing{pacing::kBeforeFirstWriteMs,
                                                  pacing::kAfterWriteMs};
inline constexpr SequencePacing kTableDownloadPacing{0, pacing::kAfterWriteMs};
inline constexpr SequencePacing kBeltWritePacing{pacing::kBeforeFirstWriteMs,
                                                 pacing::kAfterWriteMs};

// One frame of a sequence: cmd, opt1 and the data bytes, and its pauses.
struct SequenceFrame {
    int pauseBeforeMs;
    std::vector<std::uint8_t> args;
    int pauseAfterMs;
};

struct WriteSequence {
    Format format;
    std::vector<SequenceFrame> frames;
};

// The motor parameters given, in the order of kMotorParameters.
WriteSequence motorWrite(const MotorValues& values);
// The entries given, from 1 to 7.
WriteSequence tableDownload(const TableValues& table);
// The belt parameters given, in the order of kBeltParameters, then the
// IN2-use flag when given.
WriteSequence beltWrite(const BeltValues& values, std::optional<bool> in2Used);

// One request of a read-back: cmd and opt1 (a reply carries the cmd as its
// code), and the place of the value asked for in its section's order
// (kMotorParameters, entries 1-7, kBeltParameters).
struct ReadStep {
    std::uint8_t cmd;
    std::uint8_t opt1;
    std::size_t index;
};

// A read-back: its requests in order, each sent once the reply to the one
// before came and the pause after it ran.
struct ReadOrder {
    Format format;
    std::vector<ReadStep> steps;
    int pauseAfterEachMs;
};

// The seven motor parameters, in the order of kMotorParameters.
ReadOrder motorRead();
// Entries 1 to 7.
ReadOrder tableRead();
// The four belt parameters, in the order of kBeltParameters.
ReadOrder beltRead();
// The position alone, paced as a parameter.
ReadOrder positionRead();
// The inputs and status bytes alone; nothing follows, so no pause.
ReadOrder inputsRead();

} // namespace stepdrive
