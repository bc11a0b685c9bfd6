#include "sim/faults.h"

#include <algorithm>

namespace stepdrive::sim {

ReplyShaper::ReplyShaper(const FaultOptions& options) : options_(options), random_(options.seed) {}

std::vector<Bytes> ReplyShaper::shape(Bytes reply) {
    ++count_;
    if (options_.drop > 0 && count_ % options_.drop == 0) {
        ++dropped_;
        return {};
    }

    if (options_.corruption != Corruption::None && count_ % options_.every == 0) {
        // Flip the lowest bit: BB -> BA, 64 -> 65, EE -> EF. The checksum stays
        // as it was; the host does not check it.
        const std::size_t at = options_.corruption == Corruption::Header   ? 0
                               : options_.corruption == Corruption::Status ? 3
                                                                           : reply.size() - 2;
        reply[at] ^= 0x01;
    }

    Bytes line;
    // The noise never holds the reply header, so the real frame start stays
    // the first BB on the line.
    std::uniform_int_distribution<int> byte(0, 0xFE);
    for (int i = 0; i < options_.noise; ++i) {
        const int b = byte(random_);
        line.push_back(static_cast<std::uint8_t>(b >= kReplyHeader ? b + 1 : b));
    }
    line.insert(line.end(), reply.begin(), reply.end());

    if (options_.split <= 0)
        return {line};
    std::vector<Bytes> pieces;
    const auto size = static_cast<std::size_t>(options_.split);
    for (std::size_t at = 0; at < line.size(); at += size)
        pieces.emplace_back(line.begin() + static_cast<std::ptrdiff_t>(at),
                            line.begin() +
                                static_cast<std::ptrdiff_t>(std::min(line.size(), at + size)));
    return pieces;
}

} // namespace stepdrive::sim
