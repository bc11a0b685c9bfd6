#pragma once
// What the three working panels have in common: a port object, the pause,
// the messenger and the link machinery over that port, with the echo boxes
// bound to it; the walk of a write sequence and the panel's read-back
// chains. Also the parameter entries of the main and belt panels, which
// differ only in their tables.

#include "core/driver_values.h"
#include "core/write_sequences.h"
#include "link/frame_link.h"
#include "panels/read_back_chain.h"
#include "ui/form_look.h"

#include <QString>
#include <QWidget>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

class QColor;
class QLabel;
class QLineEdit;

namespace stepdrive {

class CommControl;
class Messenger;
class Pause;

// One parameter of a WRITE ALL: its entry box, the label that names it to
// the operator, how its value is written and the message for a value out of
// its range.
struct WriteRow {
    QLineEdit* entry;
    const QLabel* label;
    ValueRule rule;
    const char* refusal;
};

class DriverPanel : public QWidget {
    Q_OBJECT
public:
    FrameLink& link() { return link_; }

    // The values of the parameter entry boxes (none on the table panel), in
    // the order WRITE ALL sends them, read as it reads them: nullopt after
    // the message for the first that is not a number or that its row refuses.
    std::optional<std::vector<std::int32_t>> readParameters();
    // Shows `value` in the entry box of parameter `index`, white: shown, not
    // sent.
    void showParameter(std::size_t index, std::int32_t value);
    // Whether the panel waits for the reply of a read: one of its chains
    // runs.
    bool reading() const;

    // The motor stop, through this panel's link: it goes out at the next
    // frame slot, a sequence under way sends nothing more, and a read-back
    // that a stop cuts short ends here and is said once the stop went out.
    // `done` learns whether the stop went out.
    virtual void stopMotor(std::function<void(bool sent)> done = {});

protected:
    DriverPanel(Format format, CommControl& port, Pause& pause, Messenger& messages,
                QWidget* parent = nullptr);

    // After setupUi and the parameter rows: the parameter entry boxes
    // guarded, the echo boxes, the form look, the border and centring.
    void setUpPanel(QLineEdit* tx, QLineEdit* rx, Border border);

    // WRITE ALL: every entry is read first (readParameters), and one refused
    // sends nothing. Otherwise the sequence that `describe` makes of the
    // values is written (writeAll), each parameter's entry box marked light
    // yellow once its frame went out.
    using Describe = std::function<WriteSequence(const std::vector<std::int32_t>& values)>;
    bool writeParameters(const std::vector<QLineEdit*>& whiteOrder, const Describe& describe);
    // Walks `sequence`: the boxes of `white` turn white, then frame i goes
    // out and the boxes of marks[i] (if any) turn `mark`. Once the port is
    // gone nothing more is sent; a stop sent meanwhile ends it too, said in
    // the words `cut` (translated; %1 the frames, %2 those sent). True when
    // every frame went out.
    bool writeAll(const std::vector<QLineEdit*>& white, const WriteSequence& sequence,
                  const std::vector<std::vector<QLineEdit*>>& marks, const QColor& mark,
                  const char* cut);

    // A chain of this panel over its link; the panel owns it. A stop cuts
    // it short when it has the words `cut` (translated) to say so.
    ReadBackChain& addChain(ReadOrder order, std::vector<std::vector<QLineEdit*>> boxes,
                            ReadBackChain::Boxes kind, const char* cut = nullptr);
    // The read-back boxes show what the driver answered: only the program
    // writes them, and a value shows whole whatever its length.
    static void makeReadBackBoxes(const std::vector<QLineEdit*>& boxes);
    // A chain starts; one still running ends short first.
    void startRead(ReadBackChain& chain);
    // The chain running takes a reply it awaits; true when it did.
    bool offerToChain(const Reply& reply);
    // The step the running chain awaits; 0 when none runs.
    std::uint8_t readStep() const;
    // The read in progress ends without all its values (ReadBackChain::endShort)
    // and the panel stops waiting.
    void endReadShort();
    // Sends a request of a chain: its first as a press's frame, the others
    // as following ones.
    virtual bool askInChain(bool first, const std::vector<std::uint8_t>& args);

    // Said when the driver left a frame unanswered, or its replies could not
    // be read (`garbled`).
    QString silenceMessage(bool garbled) const;

    // The panel's own handling of one reply, once the receive procedure has
    // read, echoed and checked it.
    virtual void handleReply(const Reply& reply) = 0;
    // Whether a reply's trailer is checked (the table panel: only while it
    // reads its table back).
    virtual bool checksTrailer() const { return true; }

    CommControl& port_;
    Pause& pause_;
    Messenger& messages_;
    FrameLink link_;
    // The parameters WRITE ALL sends, in its order.
    std::vector<WriteRow> parameters_;

private:
    // A deque: a chain stays where it is as more are added.
    std::deque<ReadBackChain> chains_;
    std::deque<const char*> cutWords_; // beside each chain
};

} // namespace stepdrive
