#pragma once
// Misbehaviour on request, for testing how the host copes with a bad line:
// replies with a wrong byte, replies that never come, replies in pieces and
// noise before a reply. Delays are the caller's to apply.

#include "core/frame.h"

#include <cstdint>
#include <random>
#include <vector>

namespace stepdrive::sim {

enum class Corruption { None, Header, Status, Trailer };

struct FaultOptions {
    Corruption corruption = Corruption::None;
    int every = 1;   // corrupt every Nth reply
    int drop = 0;    // drop every Nth reply; 0: none
    int delayMs = 0; // before each reply
    int split = 0;   // bytes per piece; 0: the reply in one piece
    int noise = 0;   // random bytes before each reply
    unsigned seed = 1;
};

// The gap between the pieces of a split reply.
constexpr int kSplitGapMs = 5;

class ReplyShaper {
public:
    explicit ReplyShaper(const FaultOptions& options);

    // The pieces to write for the next reply, in order; none when it is dropped.
    std::vector<Bytes> shape(Bytes reply);

    // How many replies have been dropped so far.
    long dropped() const { return dropped_; }

private:
    FaultOptions options_;
    long count_ = 0;
    long dropped_ = 0;
    std::mt19937 random_;
};

} // namespace stepdrive::sim
