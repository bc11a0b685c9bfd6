#include "tests/support/link_harness.h"

namespace stepdrive::test {

LinkHarness::LinkHarness(Format format, PauseGate* gate)
    : port(QStringLiteral("MSC"), gate), link(format, port) {
    port.setInputLen(1);
    port.setPortOpen(true);
    port.setRThreshold(link.threshold());
    QObject::connect(&port, &CommControl::OnComm, [this] {
        ++events;
        if (beforeReceive)
            beforeReceive();
        link.receive(
            [this](const Reply& r) {
                if (onReply)
                    onReply(r);
                else
                    replies.push_back(r);
            },
            checkTrailer);
        if (afterReceive)
            afterReceive();
    });
}

int LinkHarness::wrongBytes() const {
    int n = 0;
    for (const Reply& r : replies)
        n += r.wrongBytes();
    return n;
}

} // namespace stepdrive::test
