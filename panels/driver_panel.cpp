#include "panels/driver_panel.h"

#include "link/comm_control.h"
#include "link/pause.h"
#include "ui/colours.h"
#include "ui/echo_boxes.h"
#include "ui/entry_box.h"
#include "ui/messenger.h"

#include <QLabel>
#include <QLineEdit>
#include <algorithm>

namespace stepdrive {

DriverPanel::DriverPanel(Format format, CommControl& port, Pause& pause, Messenger& messages,
                         QWidget* parent)
    : QWidget(parent), port_(port), pause_(pause), messages_(messages), link_(format, port) {
    // A read that gets no readable reply in time ends short, and so does one
    // whose line closed or went away (that loss was said apart).
    connect(&link_, &FrameLink::silent, this, [this](bool garbled) {
        endReadShort();
        messages_.show(silenceMessage(garbled));
    });
    connect(&link_, &FrameLink::abandoned, this, &DriverPanel::endReadShort);
    // Every receive event of the panel's port goes one way: the receive
    // procedure, each wrong header, status or trailer byte said, then the
    // panel's reply handling.
    connect(&port_, &CommControl::OnComm, this, [this] {
        link_.receive(
            [this](const Reply& r) {
                for (int i = 0; i < r.wrongBytes(); ++i)
                    messages_.show(tr("통신에러"));
                handleReply(r);
            },
            checksTrailer());
    });
}

// The port, the speed and what usually keeps a driver from answering, or
// its answers from being read.
QString DriverPanel::silenceMessage(bool garbled) const {
    const QString speed = port_.Settings().section(QLatin1Char(','), 0, 0);
    if (garbled)
        return tr("%1: 드라이버의 응답이 1초 안에 읽을 수 있는 형태로 오지 않았습니다(응답이 "
                  "깨졌거나 빠졌습니다). 케이블과 접지, 주변의 잡음원, 통신속도(%2)가 "
                  "드라이버와 같은지 확인하십시오.")
            .arg(port_.portLabel(), speed);
    return tr("%1: 드라이버가 1초 안에 응답하지 않았습니다. 통신속도(%2)가 "
              "드라이버와 같은지, 케이블이 바르게 연결되었는지, 드라이버의 전원이 "
              "켜져 있는지 확인하십시오.")
        .arg(port_.portLabel(), speed);
}

void DriverPanel::setUpPanel(QLineEdit* tx, QLineEdit* rx, Border border) {
    for (const WriteRow& row : parameters_)
        guardEntryBox(row.entry, row.label->text(), messages_);
    bindEchoBoxes(link_, tx, rx);
    setUpWindow(this, border);
}

std::optional<std::vector<std::int32_t>> DriverPanel::readParameters() {
    std::vector<std::int32_t> values;
    for (const WriteRow& row : parameters_) {
        const auto value = readEntry(row.entry, row.label->text(), messages_);
        if (!value)
            return std::nullopt;
        if (!accepts(row.rule, *value)) {
            messages_.show(tr(row.refusal));
            return std::nullopt;
        }
        values.push_back(*value);
    }
    return values;
}

void DriverPanel::showParameter(std::size_t index, std::int32_t value) {
    QLineEdit* box = parameters_.at(index).entry;
    showWhole(box, value);
    // Shown, not sent: no mark says otherwise, even for the value that went out.
    setBackColour(box, colour::white);
}

bool DriverPanel::writeAll(const std::vector<QLineEdit*>& whiteOrder, const Describe& describe) {
    const auto values = readParameters();
    if (!values)
        return false;

    for (QLineEdit* box : whiteOrder)
        setBackColour(box, colour::white);
    // Once the line is gone the sequence stops: one message per press. A
    // stop pressed meanwhile has gone out in the next frame's place, and the
    // frames left are not sent.
    const WriteSequence sequence = describe(*values);
    const int stops = link_.stops();
    std::size_t sent = 0;
    const bool whole =
        walk(sequence, pause_, [&](std::size_t i, const std::vector<std::uint8_t>& args) {
            if (link_.stops() != stops || !sendInSequence(i, args))
                return false;
            if (i < parameters_.size())
                setBackColour(parameters_[i].entry, colour::sent);
            ++sent;
            return true;
        });
    if (link_.stops() != stops && sent < sequence.frames.size())
        messages_.show(tr("모터 정지: WRITE ALL을 멈췄습니다. %1개 중 %2개를 보냈고, 흰색 칸의 "
                          "값은 보내지 않았습니다.")
                           .arg(sequence.frames.size())
                           .arg(sent));
    return whole;
}

bool DriverPanel::sendInSequence(std::size_t index, const std::vector<std::uint8_t>& args) {
    return index == 0 ? link_.send(args) : link_.sendFollowing(args);
}

void DriverPanel::makeReadBackBoxes(const std::vector<ReadBackRow>& rows) {
    for (const ReadBackRow& row : rows)
        for (QLineEdit* box : row.boxes) {
            box->setReadOnly(true);
            box->setMaxLength(32767); // Qt's default: no limit worth the name
        }
}

void DriverPanel::beginRead(std::vector<QLineEdit*> boxes) {
    endReadShort();
    unfilled_ = std::move(boxes);
}

void DriverPanel::fillReadBox(QLineEdit* box, std::int32_t value) {
    showWhole(box, value);
    setBackColour(box, colour::readBack);
    unfilled_.erase(std::remove(unfilled_.begin(), unfilled_.end(), box), unfilled_.end());
}

void DriverPanel::endReadShort() {
    for (QLineEdit* box : unfilled_) {
        box->clear();
        setBackColour(box, colour::white);
    }
    unfilled_.clear();
    stopWaiting();
}

void DriverPanel::startReadBack(const std::vector<QLineEdit*>& boxes, std::uint8_t cmd,
                                std::uint8_t first, std::uint8_t& state) {
    beginRead(boxes);
    for (QLineEdit* box : boxes)
        setBackColour(box, colour::white);
    state = first;
    if (!link_.send({cmd, first, 0, 0, 0, 0}))
        endReadShort();
}

bool DriverPanel::readBack(const Reply& reply, const std::vector<ReadBackRow>& rows,
                           std::uint8_t& state) {
    for (const ReadBackRow& row : rows) {
        if (row.code != reply.code || row.step != state)
            continue;
        std::vector<std::int32_t> values;
        for (std::size_t field = 0; field < row.boxes.size(); ++field) {
            const auto value = reply.value(field);
            if (!value)
                return true; // not all of it came: the chain waits on
            values.push_back(*value);
        }
        for (std::size_t field = 0; field < row.boxes.size(); ++field)
            fillReadBox(row.boxes[field], values[field]);
        pause_.sleep(pacing::kAfterReadBackMs);
        if (state != row.step)
            return true; // the read ended during the pause
        state = row.next;
        if (state != 0 && !requestStep(row.code, state))
            endReadShort();
        return true;
    }
    return false;
}

} // namespace stepdrive
