#pragma once
// Finds the driver's replies in the bytes a line delivers, however they come:
// in pieces, several at once, after noise or stray bytes. A reply starts at
// the reply header, is a frame long, and counts when its code answers a
// command awaited and its status and trailer are right; one that starts
// right and answers a command awaited but has a wrong status or trailer
// counts as a faulty reply. Every other byte is skipped, and bytes that may
// still begin a reply are kept until the rest comes. The windows, the live
// view and stepdrive-cli all read their replies through it.

#include "core/frame.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace stepdrive {

class ReplyFramer {
public:
    // Who awaits a reply with `code`: nullopt when no command awaited has it.
    // Called once for each frame that could be a reply, in the order they
    // came; a claim given is taken (the caller no longer awaits it).
    using Claim = std::function<std::optional<int>(std::uint8_t code)>;

    // What came, in order: a reply and who claimed it, or bytes skipped.
    struct Piece {
        Bytes bytes;
        std::optional<Reply> reply; // none: skipped bytes
        int claimant = 0;
    };

    explicit ReplyFramer(Format format);

    // Takes `count` more bytes of the line. The trailer counts only when
    // `checkTrailer` (the table panel checks it only while it reads back).
    std::vector<Piece> feed(const std::uint8_t* bytes, std::size_t count, const Claim& claim,
                            bool checkTrailer = true);
    // The bytes kept for a reply begun, handed back as skipped; none are
    // kept afterwards.
    Bytes flush();
    // How many bytes a reply begun still lacks: a frame's length when none
    // was begun.
    int wanted() const;

private:
    Format format_;
    int length_;
    Bytes kept_;
};

} // namespace stepdrive
