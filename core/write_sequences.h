#pragma once
// The write sequences as data: which frames go out, in which order, and the
// pauses around each. The windows (WRITE ALL, DATA DOWNLOAD) and
// stepdrive-cli build their frames here and walk them with one function, so
// both send the same frames at the same pace.

#include "core/driver_values.h"
#include "core/frame.h"

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

} // namespace stepdrive
