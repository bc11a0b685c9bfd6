// What the panels do when the line fails them or the operator gives something
// that is not a number: the windows never show a value the drive does not
// hold, and the drive never gets a number the operator did not give.

#include "core/entry.h"
#include "panels/belt/belt_panel.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"
#include "tests/support/driver_panel_fixture.h"
#include "tests/support/simulator.h"
#include "ui/colours.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <map>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

// A button that sends frames, on the window it sits on with its port object.
struct Press {
    const char* what;
    std::function<DriverPanel&(Shell&)> window;
    const char* portName;
    const char* button;
};

const Press kSequences[] = {
    {"main WRITE ALL", [](Shell& s) -> DriverPanel& { return s.main(); }, "MSC", "cmd_Data"},
    {"table download", [](Shell& s) -> DriverPanel& { return s.jogPosition(); }, "MSC1",
     "CMD_DOWN"},
    {"belt WRITE ALL", [](Shell& s) -> DriverPanel& { return s.belt(); }, "MSC2", "cmd_Data"},
};

using Failures = PanelFixture;

} // namespace

TEST_F(Failures, aSequenceOnAClosedOrVanishingLineReportsOncePerPress) {
    for (const Press& p : kSequences) {
        SCOPED_TRACE(p.what);
        FakeCommControl& msc = openPort(p.window(shell), p.portName);
        p.window(shell).show();

        // Closed: the first frame is refused with one message, the rest not tried.
        msc.setPortOpen(false);
        messages.shown.clear();
        click(p.window(shell), p.button);
        pumpEvents();
        EXPECT_EQ(messages.shown.size(), 1) << messages.shown.join('\n').toStdString();
        EXPECT_TRUE(msc.sent.empty());

        // The device goes away in the third pause: the frames before it went
        // out, none after, and the loss is the one message.
        msc.setPortOpen(true);
        messages.shown.clear();
        int pauses = 0;
        pause.meanwhile = [&] {
            if (++pauses == 3) {
                msc.lose();
                pumpEvents(); // the loss is reported while the pause runs
            }
        };
        click(p.window(shell), p.button);
        pause.meanwhile = nullptr;
        pumpEvents();
        EXPECT_EQ(messages.shown.size(), 1) << messages.shown.join('\n').toStdString();
        EXPECT_LE(msc.sent.size(), 3u);
        EXPECT_FALSE(msc.PortOpen());
        msc.sent.clear();
    }
}

TEST_F(Failures, aReadBackChainStopsQuietlyWhenTheLineGoes) {
    shell.start();
    FakeCommControl& msc = openPort(shell.main(), "MSC");
    msc.answer = [](const QByteArray& block) {
        return shortReply(static_cast<std::uint8_t>(block[2]), 7);
    };
    pause.meanwhile = [&] {
        msc.lose();
        pumpEvents();
    };
    click(shell.main(), "cmd_RData");
    pumpEvents();
    // The first reply was shown, then the line went in its pause: no further
    // request, and one message, for the loss.
    EXPECT_EQ(msc.sent.size(), 1u);
    EXPECT_EQ(box(shell.main(), "Text_RDATA2")->text(), "7");
    EXPECT_EQ(messages.shown.size(), 1) << messages.shown.join('\n').toStdString();
}

namespace {

// Every entry box, the button that sends it and how its message names it.
struct Entry {
    std::function<DriverPanel&(Shell&)> window;
    const char* portName;
    std::string box;
    std::string button;
    std::string named;
};

std::vector<Entry> everyEntryBox() {
    const auto main = [](Shell& s) -> DriverPanel& { return s.main(); };
    const auto table = [](Shell& s) -> DriverPanel& { return s.jogPosition(); };
    const auto belt = [](Shell& s) -> DriverPanel& { return s.belt(); };
    std::vector<Entry> all = {
        {main, "MSC", "Text_PULSE", "CMD_CUR", "이동펄스"},
        {main, "MSC", "Text_PULSE", "CMD_CUR_R", "이동펄스"},
        {main, "MSC", "Txt_Jog", "cmd_ROL", "JOG SPEED"},
        {main, "MSC", "Txt_Jog", "cmd_ROR", "JOG SPEED"},
        {main, "MSC", "Text_WDATA2", "cmd_Data", "동작전류"},
        {main, "MSC", "Text_WDATA3", "cmd_Data", "정지전류"},
        {main, "MSC", "Text_VMAX", "cmd_Data", "동작속도"},
        {main, "MSC", "Text_ACCEL", "cmd_Data", "가감속"},
        {main, "MSC", "Text_HSPD", "cmd_Data", "홈이동속도"},
        {main, "MSC", "Text_HOFF", "cmd_Data", "홈 OFFSET"},
        {main, "MSC", "Text_REL", "cmd_Data", "분해능"},
        {belt, "MSC2", "Text_wacc1", "cmd_Data", "1.가속"},
        {belt, "MSC2", "Text_wvmax2", "cmd_Data", "2.속도"},
        {belt, "MSC2", "Text_wacc3", "cmd_Data", "3.감속"},
        {belt, "MSC2", "Text_wvmax4", "cmd_Data", "4.속도"},
    };
    // The table's messages name the row and the column.
    std::map<char, std::string> labels{{'p', "위치"}, {'v', "속도"}, {'a', "가속도"}};
    for (int row = 0; row < 7; ++row)
        for (const char* column : {"Text_pos_", "text_vel_", "text_acc_"})
            for (const std::string& button :
                 {std::string("CMD_DOWN"), "cmd_move1_" + std::to_string(row)})
                all.push_back({table, "MSC1", column + std::to_string(row), button,
                               std::to_string(row + 1) + "행 " + labels[column[5]]});
    return all;
}

} // namespace

TEST_F(Failures, everyEntryBoxRefusesWhatIsNotANumberBeforeAnythingIsSent) {
    const char* const notNumbers[] = {"",     "abc",  "-",           "+",          "1e5",
                                      "0x10", "１２", "99999999999", "-2147483649"};
    int refused = 0;
    for (const Entry& e : everyEntryBox()) {
        DriverPanel& window = e.window(shell);
        FakeCommControl& msc = openPort(window, e.portName);
        window.show();
        QLineEdit* entry = box(window, e.box.c_str());
        const QString kept = entry->text();
        for (const char* text : notNumbers) {
            entry->setText(QString::fromUtf8(text)); // as much of it as the box takes
            if (parseEntry(entry->text().toStdString()))
                continue;
            msc.sent.clear();
            messages.shown.clear();
            pause.durations.clear();
            click(window, e.button.c_str());
            EXPECT_TRUE(msc.sent.empty() && pause.durations.empty())
                << e.box << " " << e.button << " \"" << text << "\"";
            ASSERT_EQ(messages.shown.size(), 1)
                << e.box << " " << e.button << " \"" << text << "\"";
            EXPECT_TRUE(messages.shown[0].contains(QString::fromStdString(e.named)))
                << e.box << ": " << messages.shown[0].toStdString();
            EXPECT_EQ(backColour(entry), colour::white) << e.box << ": nothing is painted";
            ++refused;
        }
        entry->setText(kept);
    }
    // Every box met most of them, whatever its length.
    EXPECT_GT(refused, 57 * 4);
}

// Each entry box once, with its message name.
std::vector<Entry> eachEntryBoxOnce() {
    std::vector<Entry> once;
    for (const Entry& e : everyEntryBox())
        if (once.empty() || once.back().box != e.box)
            once.push_back(e);
    return once;
}

// A paste that does not fit is refused whole, never cut: the box keeps its
// text, one message names it and its room, nothing goes out. One that fits
// once its blanks are dropped goes in whole.
TEST_F(Failures, aPasteThatDoesNotFitIsRefusedWholeInEveryEntryBox) {
    int limited = 0;
    for (const Entry& e : eachEntryBoxOnce()) {
        DriverPanel& window = e.window(shell);
        FakeCommControl& msc = openPort(window, e.portName);
        window.show();
        QLineEdit* entry = box(window, e.box.c_str());
        const int room = entry->maxLength();
        if (room >= 32767)
            continue; // no room to speak of: a paste is never cut
        ++limited;
        const auto paste = [&](const QString& text) {
            QGuiApplication::clipboard()->setText(text);
            entry->setText(QStringLiteral("1"));
            entry->selectAll();
            messages.shown.clear();
            QTest::keyClick(entry, Qt::Key_V, Qt::ControlModifier);
        };
        msc.sent.clear();
        paste(QString(room + 1, QLatin1Char('2')));
        EXPECT_EQ(entry->text(), "1") << e.box;
        ASSERT_EQ(messages.shown.size(), 1) << e.box;
        EXPECT_TRUE(messages.shown[0].contains(QString::fromStdString(e.named)) &&
                    messages.shown[0].contains(": " + QString::number(room)))
            << messages.shown[0].toStdString();

        paste(QStringLiteral(" %1\n").arg(QString(room, QLatin1Char('3'))));
        EXPECT_EQ(entry->text(), QString(room, QLatin1Char('3'))) << e.box;
        EXPECT_TRUE(messages.shown.isEmpty()) << e.box;
        EXPECT_TRUE(msc.sent.empty()) << e.box;
        entry->setText(QStringLiteral("1"));
    }
    EXPECT_GT(limited, 20);
}

// A progress mark stands only on the text that earned it: typed over, or
// set by a file being loaded, the box is white again.
TEST_F(Failures, everyEntryBoxLosesItsMarkWhenItsTextChanges) {
    const std::function<void(QLineEdit*)> changes[] = {
        [](QLineEdit* b) { QTest::keyClick(b, Qt::Key_Backspace); },
        [](QLineEdit* b) { b->setText(QStringLiteral("7")); },
    };
    for (const Entry& e : eachEntryBoxOnce()) {
        DriverPanel& window = e.window(shell);
        window.show();
        QLineEdit* entry = box(window, e.box.c_str());
        for (const auto& change : changes)
            for (const QColor& mark : {kSent, QColor(128, 255, 255), kReadBack}) {
                entry->setText(QStringLiteral("12"));
                setBackColour(entry, mark);
                entry->setText(QStringLiteral("12")); // the same text keeps it
                ASSERT_EQ(shownColour(entry), mark) << e.box;
                entry->setCursorPosition(2);
                change(entry);
                EXPECT_EQ(shownColour(entry), kWhite) << e.box;
            }
    }
}

namespace {

// A read of each panel: the button, the reply to its first request and the
// box that fills, a box it fills later (or never), and whether that box is
// an entry box, whose typed text a short read keeps.
struct Read {
    const char* what;
    std::function<DriverPanel&(Shell&)> window;
    const char* portName;
    const char* button;
    QByteArray firstReply;
    const char* filled;
    const char* unfilled;
    bool typed = false;
};

QByteArray bytesOf(const Bytes& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<int>(b.size()));
}

const Read kReads[] = {
    {"main READ ALL", [](Shell& s) -> DriverPanel& { return s.main(); }, "MSC", "cmd_RData",
     shortReply(6, 20), "Text_RDATA2", "Text_REPOS"},
    {"position",
     [](Shell& s) -> DriverPanel& { return s.main(); },
     "MSC",
     "Cmd_RPOS",
     {},
     nullptr,
     "Text_RPOS"},
    {"table read", [](Shell& s) -> DriverPanel& { return s.jogPosition(); }, "MSC1", "CMD_READ",
     bytesOf(replyFrame(Format::Long, 15, {3, 32, 0, 10, 0, 0, 5})), "Text_pos_0", "Text_pos_6",
     true},
    {"belt READ ALL", [](Shell& s) -> DriverPanel& { return s.belt(); }, "MSC2", "cmd_RData",
     shortReply(14, 5), "Text_racc1", "Text_rvmax4"},
};

// How a read ends short, and how many messages that gives.
struct Ending {
    const char* what;
    std::function<void(FakeCommControl&, const Read&)> act;
    int messages;
};

const Ending kEndings[] = {
    {"a silent driver", [](FakeCommControl&, const Read&) {}, 1},
    // Noise that fills a frame's worth is no reply: said as replies that
    // could not be read.
    {"noise",
     [](FakeCommControl& p, const Read& r) {
         p.push(QByteArray(r.firstReply.size() ? r.firstReply.size() : 10, '\x11'));
     },
     1},
    {"a lost line", [](FakeCommControl& p, const Read&) { p.lose(); }, 1},
    {"a closed port", [](FakeCommControl& p, const Read&) { p.setPortOpen(false); }, 0},
};

} // namespace

// A read that ends short for any reason empties every read-back box it did
// not fill, so no number of an earlier read stands there, and leaves an
// entry box it did not fill with what the operator typed, white; the boxes
// it filled keep the drive's values.
TEST_F(Failures, aReadEndingShortEmptiesReadBackBoxesAndKeepsTypedEntries) {
    for (const Read& r : kReads)
        for (const Ending& end : kEndings) {
            SCOPED_TRACE(std::string(r.what) + ", " + end.what);
            DriverPanel& window = r.window(shell);
            FakeCommControl& msc = openPort(window, r.portName);
            window.show();
            window.link().setReplyTimeout(20);
            QLineEdit* stale = box(window, r.unfilled);
            stale->setText(QStringLiteral("-777"));
            setBackColour(stale, colour::readBack);
            messages.shown.clear();
            click(window, r.button);
            if (r.filled)
                msc.push(r.firstReply);
            pumpEvents();
            end.act(msc, r);
            ASSERT_TRUE(QTest::qWaitFor([&] { return !window.reading(); }, kWaitMs));
            EXPECT_EQ(stale->text(), r.typed ? "-777" : "");
            EXPECT_EQ(shownColour(stale), kWhite);
            if (r.filled) {
                EXPECT_FALSE(box(window, r.filled)->text().isEmpty());
                EXPECT_EQ(shownColour(box(window, r.filled)), kReadBack);
            }
            ASSERT_TRUE(QTest::qWaitFor([&] { return !window.link().awaiting(); }, kWaitMs));
            pumpEvents();
            ASSERT_EQ(messages.shown.size(), end.messages)
                << messages.shown.join('\n').toStdString();
            if (end.messages) {
                EXPECT_EQ(messages.shown.back().contains("깨졌"), std::string(end.what) == "noise")
                    << messages.shown.back().toStdString();
            }
        }
}
