#pragma once
// Finds the driver's replies in the bytes a line delivers, however they come:
// in pieces, several at once, after noise or stray bytes. A reply starts at
// the reply header, is as long as a frame of the command it answers, and
// counts when its code answers a command awaited and its status and trailer
// are right; one that starts right and answers a command awaited but has a
// wrong status or trailer counts as a faulty reply. Every other byte is
// skipped, and bytes that may still begin a reply are kept until the rest
// comes. The windows, the live view and stepdrive-cli all read their replies
// through it.

#include "core/frame.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace stepdrive {

// The formats of the commands awaited, for a framer that awaits replies of
// more than one length (the table link's stop is a 10-byte command).
class AwaitedFormats {
public:
    // The format of the oldest command awaited with `code`, the one a claim
    // of that code takes; nullopt when none is awaited.
    virtual std::optional<Format> formatOf(std::uint8_t code) const = 0;
    // The shortest format of the commands awaited; nullopt when none is.
    virtual std::optional<Format> shortest() const = 0;

protected:
    ~AwaitedFormats() = default;
};

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

    // Without `awaited`, every command awaited is of `format`.
    explicit ReplyFramer(Format format, const AwaitedFormats* awaited = nullptr);

    // Takes `count` more bytes of the line. The trailer counts only when
    // `checkTrailer` (the table panel checks it only while it reads back).
    std::vector<Piece> feed(const std::uint8_t* bytes, std::size_t count, const Claim& claim,
                            bool checkTrailer = true);
    // The bytes kept for a reply begun, handed back as skipped; none are
    // kept afterwards.
    Bytes flush();
    // How many bytes a reply begun still lacks: the shortest reply awaited
    // when none was begun (a frame's length when nothing is awaited).
    int wanted() const;

private:
    // The format of a reply that begins at `frame`, `count` bytes of it in.
    Format formatAt(const std::uint8_t* frame, std::size_t count) const;

    Format format_;
    const AwaitedFormats* awaited_;
    Bytes kept_;
};

} // namespace stepdrive
