#include "core/reply_framer.h"

#include <algorithm>

namespace stepdrive {

namespace {
std::size_t lengthOf(Format format) {
    return static_cast<std::size_t>(formatInfo(format).frameLength);
}
} // namespace

ReplyFramer::ReplyFramer(Format format, const AwaitedFormats* awaited)
    : format_(format), awaited_(awaited) {}

Format ReplyFramer::formatAt(const std::uint8_t* frame, std::size_t count) const {
    if (!awaited_)
        return format_;
    // Until its code is in, a reply begun is taken to be as short as any
    // awaited: a longer guess would make the threshold ask for bytes that a
    // short reply never sends, and leave it unread.
    constexpr std::size_t kCode = 2;
    const auto format = count > kCode ? awaited_->formatOf(frame[kCode]) : awaited_->shortest();
    // A code nothing awaits begins no reply; its frame's worth is skipped as
    // on a link of one format.
    return format.value_or(format_);
}

int ReplyFramer::wanted() const {
    auto lacking = lengthOf(awaited_ ? awaited_->shortest().value_or(format_) : format_);
    // Every header kept may begin a reply; the one that ends soonest counts.
    for (std::size_t at = 0; at < kept_.size(); ++at) {
        if (kept_[at] != kReplyHeader)
            continue;
        const std::size_t count = kept_.size() - at;
        const std::size_t length = lengthOf(formatAt(kept_.data() + at, count));
        if (count < length)
            lacking = std::min(lacking, length - count);
    }
    return static_cast<int>(lacking);
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

    std::vector<Piece> pieces;
    std::size_t skippedFrom = 0;
    const auto skipTo = [&](std::size_t end) {
        if (end > skippedFrom)
            pieces.push_back({Bytes(in + skippedFrom, in + end), std::nullopt, 0});
    };
    // The first reply begun whose rest may still come. A shorter reply that
    // begins after it may be whole already: it is looked for too.
    std::optional<std::size_t> begun;
    for (std::size_t at = 0; at < size; ++at) {
        if (in[at] != kReplyHeader)
            continue;
        const std::uint8_t* frame = in + at;
        const Format format = formatAt(frame, size - at);
        const std::size_t length = lengthOf(format);
        if (size - at < length) {
            begun = begun.value_or(at);
            continue;
        }
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
                          parseReply(format, frame, length, checkTrailer), *claimant});
        at += length - 1;
        skippedFrom = at + 1;
        begun.reset();
    }
    const std::size_t keptFrom = begun.value_or(size);
    skipTo(keptFrom);
    kept_.erase(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(keptFrom));
    return pieces;
}

} // namespace stepdrive
