#pragma once
// A read-back chain: the requests of one read order, each sent once the
// reply to the one before has filled its boxes and the pause after it has
// run. READ ALL, DATA READ, the position read and the inputs read are each
// one.

#include "core/write_sequences.h"

#include <cstdint>
#include <functional>
#include <vector>

class QLineEdit;

namespace stepdrive {

class Pause;
struct Reply;

class ReadBackChain {
public:
    // What the boxes of a chain are. Read-back boxes beside the entry boxes
    // (main, belt) turn white when the chain starts, and those it did not
    // fill are emptied when it ends short, so no number of an earlier read
    // stands there. Entry boxes that a read fills (the table) keep their
    // colour and text until filled, and those it did not fill keep what the
    // operator typed, white, when it ends short.
    enum class Boxes { ReadBack, Entry };
    // Sends one request, the chain's first or one that follows a reply;
    // false when it did not go out.
    using Ask = std::function<bool(bool first, const std::vector<std::uint8_t>& args)>;

    // `boxes[i]` are filled, in the order of the reply's fields, by the
    // reply to the step whose index is i.
    ReadBackChain(ReadOrder order, std::vector<std::vector<QLineEdit*>> boxes, Boxes kind, Ask ask,
                  Pause& pause);

    // Every box the chain fills.
    std::vector<QLineEdit*> boxes() const;
    // The option of the request whose reply the chain awaits; 0 for none.
    std::uint8_t step() const;
    bool running() const { return at_ < order_.steps.size(); }

    // Asks for the first value.
    void first();
    // A reply carrying the code of the request awaited fills its boxes,
    // pauses and asks for the next value; one missing a field leaves the
    // chain waiting. True when the reply was the one awaited.
    bool offer(const Reply& reply);
    // The chain ends without the values it still awaited (see Boxes).
    void endShort();

private:
    std::vector<std::uint8_t> request() const;

    ReadOrder order_;
    std::vector<std::vector<QLineEdit*>> boxes_;
    Boxes kind_;
    Ask ask_;
    Pause& pause_;
    std::vector<QLineEdit*> unfilled_;
    std::size_t at_; // the step awaited; the number of steps for none
};

} // namespace stepdrive
