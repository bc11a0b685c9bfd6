#include "panels/driver_panel.h"

#include "link/comm_control.h"
#include "link/pause.h"
#include "ui/colours.h"
#include "ui/echo_boxes.h"
#include "ui/entry_box.h"
#include "ui/messenger.h"
#include "ui/stop_control.h"

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
    addStopKey(this, [this] { stopMotor(); });
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

bool DriverPanel::writeParameters(const std::vector<QLineEdit*>& whiteOrder,
                                  const Describe& describe) {
    const auto values = readParameters();
    if (!values)
        return false;
    std::vector<std::vector<QLineEdit*>> marks;
    for (const WriteRow& row : parameters_)
        marks.push_back({row.entry});
    return writeAll(
        whiteOrder, describe(*values), marks, colour::sent,
        QT_TR_NOOP("모터 정지: WRITE ALL을 멈췄습니다. %1개 중 %2개를 보냈고, 흰색 칸의 "
                   "값은 보내지 않았습니다."));
}

bool DriverPanel::writeAll(const std::vector<QLineEdit*>& white, const WriteSequence& sequence,
                           const std::vector<std::vector<QLineEdit*>>& marks, const QColor& mark,
                           const char* cut) {
    for (QLineEdit* box : white)
        setBackColour(box, colour::white);
    // Once the line is gone the sequence stops: one message per press. A
    // stop pressed meanwhile has gone out in the next frame's place, and the
    // frames left are not sent.
    const int stops = link_.stops();
    std::size_t sent = 0;
    const bool whole =
        walk(sequence, pause_, [&](std::size_t i, const std::vector<std::uint8_t>& args) {
            if (link_.stops() != stops || !link_.sendInPress(i == 0, args))
                return false;
            if (i < marks.size())
                for (QLineEdit* box : marks[i])
                    setBackColour(box, mark);
            ++sent;
            return true;
        });
    if (link_.stops() != stops && sent < sequence.frames.size())
        messages_.show(tr(cut).arg(sequence.frames.size()).arg(sent));
    return whole;
}

ReadBackChain& DriverPanel::addChain(ReadOrder order, std::vector<std::vector<QLineEdit*>> boxes,
                                     ReadBackChain::Boxes kind, const char* cut) {
    cutWords_.push_back(cut);
    return chains_.emplace_back(
        std::move(order), std::move(boxes), kind,
        [this](bool first, const std::vector<std::uint8_t>& args) {
            return askInChain(first, args);
        },
        pause_);
}

void DriverPanel::stopMotor(std::function<void(bool sent)> done) {
    // A read cut short asks nothing more; the boxes it did not fill are
    // emptied or keep what was typed, as the chain's boxes are.
    const char* cut = nullptr;
    for (std::size_t i = 0; i < chains_.size(); ++i)
        if (chains_[i].running() && cutWords_[i]) {
            chains_[i].endShort();
            cut = cutWords_[i];
        }
    link_.sendStop([this, cut, done = std::move(done)](bool sent) {
        if (cut)
            messages_.show(tr(cut));
        if (done)
            done(sent);
    });
}

bool DriverPanel::askInChain(bool first, const std::vector<std::uint8_t>& args) {
    return link_.sendInPress(first, args);
}

void DriverPanel::makeReadBackBoxes(const std::vector<QLineEdit*>& boxes) {
    for (QLineEdit* box : boxes) {
        box->setReadOnly(true);
        box->setMaxLength(32767); // Qt's default: no limit worth the name
    }
}

bool DriverPanel::reading() const {
    return readStep() != 0;
}

std::uint8_t DriverPanel::readStep() const {
    for (const ReadBackChain& chain : chains_)
        if (chain.running())
            return chain.step();
    return 0;
}

void DriverPanel::startRead(ReadBackChain& chain) {
    endReadShort();
    chain.first();
}

bool DriverPanel::offerToChain(const Reply& reply) {
    for (ReadBackChain& chain : chains_)
        if (chain.running())
            return chain.offer(reply);
    return false;
}

void DriverPanel::endReadShort() {
    for (ReadBackChain& chain : chains_)
        if (chain.running())
            chain.endShort();
}

} // namespace stepdrive
