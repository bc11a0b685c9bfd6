#include "panels/read_back_chain.h"

#include "core/frame.h"
#include "link/pause.h"
#include "ui/colours.h"
#include "ui/entry_box.h"

#include <QLineEdit>
#include <algorithm>

namespace stepdrive {

ReadBackChain::ReadBackChain(ReadOrder order, std::vector<std::vector<QLineEdit*>> boxes,
                             Boxes kind, Ask ask, Pause& pause)
    : order_(std::move(order)), boxes_(std::move(boxes)), kind_(kind), ask_(std::move(ask)),
      pause_(pause), at_(order_.steps.size()) {}

std::vector<QLineEdit*> ReadBackChain::boxes() const {
    std::vector<QLineEdit*> all;
    for (const ReadStep& s : order_.steps)
        all.insert(all.end(), boxes_[s.index].begin(), boxes_[s.index].end());
    return all;
}

std::uint8_t ReadBackChain::step() const {
    return running() ? order_.steps[at_].opt1 : 0;
}

std::vector<std::uint8_t> ReadBackChain::request() const {
    return {order_.steps[at_].cmd, order_.steps[at_].opt1};
}

void ReadBackChain::first() {
    unfilled_ = boxes();
    if (kind_ == Boxes::ReadBack)
        for (QLineEdit* box : unfilled_)
            setBackColour(box, colour::white);
    at_ = 0;
    if (running() && !ask_(true, request()))
        endShort();
}

bool ReadBackChain::offer(const Reply& reply) {
    if (!running() || reply.code != order_.steps[at_].cmd)
        return false;
    const std::size_t at = at_;
    const std::vector<QLineEdit*>& boxes = boxes_[order_.steps[at].index];
    std::vector<std::int32_t> values;
    for (std::size_t field = 0; field < boxes.size(); ++field) {
        const auto value = reply.value(field);
        if (!value)
            return true; // not all of it came: the chain waits on
        values.push_back(*value);
    }
    for (std::size_t field = 0; field < boxes.size(); ++field) {
        showWhole(boxes[field], values[field]);
        setBackColour(boxes[field], colour::readBack);
        unfilled_.erase(std::remove(unfilled_.begin(), unfilled_.end(), boxes[field]),
                        unfilled_.end());
    }
    if (order_.pauseAfterEachMs > 0)
        pause_.sleep(order_.pauseAfterEachMs);
    if (at_ != at)
        return true; // the chain ended during the pause
    ++at_;
    if (running() && !ask_(false, request()))
        endShort();
    return true;
}

void ReadBackChain::endShort() {
    for (QLineEdit* box : unfilled_) {
        if (kind_ == Boxes::ReadBack)
            box->clear();
        setBackColour(box, colour::white);
    }
    unfilled_.clear();
    at_ = order_.steps.size();
}

} // namespace stepdrive
