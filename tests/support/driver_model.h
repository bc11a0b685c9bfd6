#pragma once
// The simulator's driver model answering whatever is written on a fake port,
// so that a test sees whole exchanges without a pseudo-terminal.

#include "sim/driver.h"
#include "sim/framer.h"

#include <QByteArray>
#include <functional>

namespace stepdrive::test {

struct DriverModel {
    sim::Driver driver;
    // Changes a reply before it goes back, when set: the command it answers,
    // the reply frame.
    std::function<void(const Bytes& command, Bytes& reply)> tamper;

    QByteArray answer(const QByteArray& block) {
        framer_.feed(reinterpret_cast<const std::uint8_t*>(block.constData()),
                     static_cast<std::size_t>(block.size()));
        QByteArray replies;
        while (const auto command = framer_.next()) {
            Bytes reply = driver.handle(*command, sim::Clock::now());
            if (tamper)
                tamper(command->bytes, reply);
            replies.append(reinterpret_cast<const char*>(reply.data()),
                           static_cast<qsizetype>(reply.size()));
        }
        return replies;
    }

private:
    sim::Framer framer_;
};

} // namespace stepdrive::test
