#pragma once
// What the three working panels have in common: a port object, the pause,
// the messenger and the link machinery over that port, with the echo boxes
// bound to it. Also the parameter write and read-back sequences of the main
// and belt panels, which differ only in their tables.

#include "core/driver_values.h"
#include "core/write_sequences.h"
#include "link/frame_link.h"
#include "ui/form_look.h"

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

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

// One step of a read-back chain: a reply with `code` while the panel waits
// at `step` fills `boxes` with its fields, in order. The panel then waits at
// `next` and, unless it is 0, asks for it with the same command (a reply
// carries the code it answers).
struct ReadBackRow {
    std::uint8_t code;
    std::uint8_t step;
    std::vector<QLineEdit*> boxes;
    std::uint8_t next;
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
    // Whether the panel waits for the reply of a read (its read state is
    // not 0).
    virtual bool reading() const = 0;

protected:
    DriverPanel(Format format, CommControl& port, Pause& pause, Messenger& messages,
                QWidget* parent = nullptr);

    // After setupUi and the parameter rows: the parameter entry boxes
    // guarded, the echo boxes, the form look, the border and centring.
    void setUpPanel(QLineEdit* tx, QLineEdit* rx, Border border);

    // WRITE ALL: every entry is read first (readParameters), and one refused
    // sends nothing. Otherwise the boxes of `whiteOrder` turn white and the
    // sequence that `describe` makes of the values is walked: frame i goes
    // out, the box of parameter i (if any) turns light yellow. Once the port
    // is gone nothing more is sent. True when every frame went out.
    using Describe = std::function<WriteSequence(const std::vector<std::int32_t>& values)>;
    bool writeAll(const std::vector<QLineEdit*>& whiteOrder, const Describe& describe);

    // Frame `index` of a sequence: the first is the press's own, the others
    // follow it.
    bool sendInSequence(std::size_t index, const std::vector<std::uint8_t>& args);

    // The read-back boxes show what the driver answered: only the program
    // writes them, and a value shows whole whatever its length.
    static void makeReadBackBoxes(const std::vector<ReadBackRow>& rows);

    // A read starts that will fill `boxes`; one still running ends short
    // first. Their texts stay until they are filled or the read ends.
    void beginRead(std::vector<QLineEdit*> boxes);
    // A read box shows the value that came back, in decimal, light blue.
    void fillReadBox(QLineEdit* box, std::int32_t value);
    // The read in progress ends without all its values: the boxes it did not
    // fill are emptied, so no number of an earlier read stands where a new
    // one was asked for, and the panel stops waiting.
    void endReadShort();
    // The panel forgets which reply it was waiting for.
    virtual void stopWaiting() = 0;

    // READ ALL: the boxes turn white (their texts stay), the panel waits at
    // `first` and asks for it.
    void startReadBack(const std::vector<QLineEdit*>& boxes, std::uint8_t cmd, std::uint8_t first,
                       std::uint8_t& state);

    // A reply that answers the step `state` waits at fills its boxes, pauses
    // and moves the chain on. A reply missing a field leaves the chain
    // waiting. True when the reply was a step of the table.
    bool readBack(const Reply& reply, const std::vector<ReadBackRow>& rows, std::uint8_t& state);
    // Asks for the next step of a chain, a reply having come.
    virtual bool requestStep(std::uint8_t code, std::uint8_t step) {
        return link_.sendFollowing({code, step});
    }
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
    // The boxes of the read in progress not filled yet.
    std::vector<QLineEdit*> unfilled_;
};

} // namespace stepdrive
