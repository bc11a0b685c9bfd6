#include "core/reply_framer.h"

namespace stepdrive {

ReplyFramer::ReplyFramer(Format format)
    : format_(format), length_(formatInfo(format).frameLength) {}

int ReplyFramer::wanted() const {
    return length_ - static_cast<int>(kept_.size());
}

Bytes ReplyFramer::flush() {
    Bytes kept;
    kept.swap(kept_);
    return kept;
}

std::vector<ReplyFramer::Piece> ReplyFramer::feed(const std::uint8_t* bytes, std::size_t count,
                                                  const Claim& claim, bool checkTrailer) {
    kept_.insert(kept_.end(), bytes, bytes + count);
    const std::uint8_t* in = kept_.data();
    const std::size_t size = kept_.size();
    const auto length = static_cast<std::size_t>(length_);

    std::vector<Piece> pieces;
    std::size_t skippedFrom = 0;
    const auto skipTo = [&](std::size_t end) {
        if (end > skippedFrom)
            pieces.push_back({Bytes(in + skippedFrom, in + end), std::nullopt, 0});
    };
    std::size_t at = 0;
    for (; at < size; ++at) {
        if (in[at] != kReplyHeader)
            continue;
        if (size - at < length)
            break; // the rest of it may still come
        const std::uint8_t* frame = in + at;
        const bool statusRight = frame[3] == kReplyStatus;
        const bool trailerRight = frame[length - 2] == kTrailer;
        // With both wrong it is noise that happens to hold a header.
        if (!statusRight && !trailerRight)
            continue;
        const auto claimant = claim(frame[2]);
        if (!claimant)
            continue;
        skipTo(at);
        pieces.push_back({Bytes(frame, frame + length),
                          parseReply(format_, frame, length, checkTrailer), *claimant});
        at += length - 1;
        skippedFrom = at + 1;
    }
    skipTo(at);
    kept_.erase(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(at));
    return pieces;
}

} // namespace stepdrive
