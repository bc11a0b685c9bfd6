#pragma once
// A frame link over the fake port control, wired as a panel wires it: every
// receive event runs the receive procedure, and each reply it hands on goes
// to `onReply` (by default kept in `replies`). The tests, the fuzzer and the
// benchmarks drive the link through it.

#include "link/frame_link.h"
#include "tests/support/fakes.h"

#include <functional>
#include <vector>

namespace stepdrive::test {

class LinkHarness {
public:
    explicit LinkHarness(Format format, PauseGate* gate = nullptr);

    FakeCommControl port;
    FrameLink link;
    std::vector<Reply> replies;
    // Replaces keeping each reply in `replies`.
    std::function<void(const Reply&)> onReply;
    // Run at each receive event before and after the receive procedure.
    std::function<void()> beforeReceive;
    std::function<void()> afterReceive;
    bool checkTrailer = true;
    int events = 0;

    // The wrong status and trailer bytes of the replies kept.
    int wrongBytes() const;
    void push(const Bytes& bytes) {
        port.push(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<int>(bytes.size())));
    }
};

} // namespace stepdrive::test
