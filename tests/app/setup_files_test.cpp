// The menu "파일" of the working panels: the whole set-up saved from the
// entry boxes and loaded back into them, nothing sent; the file is
// stepdrive-cli's profile.

#include "app/setup_files.h"
#include "panels/belt/belt_panel.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"
#include "tests/support/panel_fixture.h"
#include "ui/colours.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

struct ChosenPath : FileChooser {
    QString path;
    QString openPath(QWidget*) override { return path; }
    QString savePath(QWidget*) override { return path; }
};

// A box of a window, the window by its object name.
struct Named {
    const char* window;
    const char* box;
};

struct Files : PanelFixture {
    QTemporaryDir dir;
    ChosenPath chosen;

    void SetUp() override { shell.setupFiles().setChooser(chosen); }

    QWidget& win(const char* name) {
        for (Win w : {Win::Main, Win::JogPosition, Win::Belt})
            if (shell.window(w).objectName() == QLatin1String(name))
                return shell.window(w);
        ADD_FAILURE() << name;
        return shell.main();
    }
    QLineEdit* at(Named n) { return box(win(n.window), n.box); }
    QCheckBox* in2() { return shell.belt().findChild<QCheckBox*>(QStringLiteral("Check_in2use")); }
    // The menu command `action` ("loadSetup", "saveSetup") chosen on `window`
    // with `path` as the file.
    void choose(const char* window, const char* action, const QString& path) {
        chosen.path = path;
        auto* a = win(window).findChild<QAction*>(QString::fromLatin1(action));
        ASSERT_NE(a, nullptr) << window << " " << action;
        a->trigger();
    }
    QString file(const char* name, const QByteArray& contents = {}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        if (!contents.isEmpty()) {
            QFile f(path);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(contents);
        }
        return path;
    }
    // The text of every entry box the set-up holds, and the IN2 flag.
    QStringList entries() {
        QStringList all;
        for (const char* name : {"Text_WDATA2", "Text_WDATA3", "Text_VMAX", "Text_ACCEL",
                                 "Text_HSPD", "Text_HOFF", "Text_REL"})
            all << box(shell.main(), name)->text();
        for (int i = 0; i < 7; ++i)
            all << rowText(shell.jogPosition(), i).split(' ');
        for (const char* name : {"Text_wacc1", "Text_wvmax2", "Text_wacc3", "Text_wvmax4"})
            all << box(shell.belt(), name)->text();
        all << (in2()->isChecked() ? "in2" : "-");
        return all;
    }
};

const Named kTyped[] = {{"main", "Text_WDATA2"},     {"main", "Text_HOFF"},
                        {"JP_form", "Text_pos_3"},   {"JP_form", "text_vel_6"},
                        {"Belt_form", "Text_wacc1"}, {"Belt_form", "Text_wvmax4"}};
const char* const kTypedValues[] = {"25", "-1234567", "-8388608", "2047", "0", "1500"};

} // namespace

TEST_F(Files, eachPanelHasTheMenuOverItsUnchangedForm) {
    for (const char* name : {"main", "JP_form", "Belt_form"}) {
        QWidget& w = win(name);
        auto* bar = w.findChild<QMenuBar*>();
        ASSERT_NE(bar, nullptr) << name;
        const QList<QAction*> menus = bar->actions();
        // The main panel's bar also opens the live view.
        const bool main = QLatin1String(name) == QLatin1String("main");
        ASSERT_EQ(menus.size(), main ? 2 : 1) << name;
        QStringList commands;
        for (QAction* menu : menus) {
            commands << menu->text() + ':';
            for (QAction* a : menu->menu()->actions())
                commands << a->text() + ' ' + a->shortcut().toString();
        }
        EXPECT_EQ(commands.join(", "),
                  QStringLiteral("파일:, 설정 불러오기… Ctrl+O, 설정 저장… Ctrl+S") +
                      (main ? QStringLiteral(", 보기:, 실시간 보기… Ctrl+M") : QString()))
            << name;
        // The first button stands where the form puts it, under the bar.
        EXPECT_EQ(button(w, "cmd_comm")->y(), bar->height() + 8) << name;
    }
}

// Saved from one window, loaded from another: every box comes back, and
// loading sends nothing. The file is a profile the command line takes.
TEST_F(Files, aSavedSetUpLoadsBackWhole) {
    for (std::size_t i = 0; i < std::size(kTyped); ++i)
        at(kTyped[i])->setText(QString::fromLatin1(kTypedValues[i]));
    in2()->setChecked(true);
    const QStringList typed = entries();
    const QString path = file("setup.json");
    choose("main", "saveSetup", path);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();

    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    QString error;
    const auto profile = parseProfile(saved.readAll(), &error);
    ASSERT_TRUE(profile) << error.toStdString(); // as stepdrive-cli apply reads it
    EXPECT_EQ(*profile->motor[0], 25);
    EXPECT_EQ(profile->table[3]->position, -8388608);
    EXPECT_EQ(*profile->in2Used, true);

    for (const Named& n : kTyped)
        at(n)->setText("1");
    in2()->setChecked(false);
    // Marks of values sent before: a load sends nothing, so none survives it,
    // not even on a box whose text the file leaves as it was.
    const Named marked[] = {
        kTyped[0], kTyped[2], kTyped[5], {"main", "Text_WDATA3"}, {"JP_form", "Text_pos_0"}};
    for (const Named& n : marked)
        setBackColour(at(n), kSent);
    choose("Belt_form", "loadSetup", path);
    EXPECT_EQ(entries(), typed);
    for (const Named& n : marked)
        EXPECT_EQ(shownColour(at(n)), kWhite) << n.box;
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(sentAnywhere().isEmpty());
}

// A file fills only the sections it has, every value shown whole.
TEST_F(Files, aFileFillsTheSectionsItHas) {
    const struct {
        const char* json;
        Named box;
        const char* shows;
        int changed; // of the 32 boxes and the IN2 tick
    } cases[] = {
        {R"({"belt": {"acceleration": 7, "speed": 65535, "deceleration": 9, "final_speed": 3,
                      "in2_used": true}})",
         {"Belt_form", "Text_wvmax2"},
         "65535",
         5},
        {R"({"motor": {"run_current": 31, "stop_current": 4, "run_speed": 800,
                       "acceleration": 10, "homing_speed": 500, "home_offset": -2147483648,
                       "resolution": 2}})",
         {"main", "Text_HOFF"},
         "-2147483648",
         2},
    };
    for (const auto& c : cases) {
        const QStringList before = entries();
        choose("JP_form", "loadSetup", file("part.json", c.json));
        EXPECT_EQ(at(c.box)->text(), c.shows) << c.json;
        EXPECT_TRUE(showsWhole(at(c.box))) << c.json;
        const QStringList now = entries();
        int changed = 0;
        for (int i = 0; i < now.size(); ++i)
            changed += now[i] != before[i];
        EXPECT_EQ(changed, c.changed) << c.json;
    }
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(sentAnywhere().isEmpty());
}

// A refused file: one message naming the file, the key and the reason, and
// no box changes, in the operator's language. Every reason is worded in the
// profile words' test and met by the command line's tests.
TEST_F(Files, aRefusedFileChangesNothing) {
    const struct {
        const char* json;
        const char* said;
    } cases[] = {
        {R"({"motor": {"run_current": 20}, "belt": 1})", "motor.stop_current: 값이 없습니다"},
        {R"({"belt": {"acceleration": 1.5)", "JSON 형식이 잘못되었습니다"},
    };
    const QStringList before = entries();
    for (const auto& c : cases) {
        messages.shown.clear();
        const QString path = file("bad.json", c.json);
        choose("main", "loadSetup", path);
        ASSERT_EQ(messages.shown.size(), 1) << c.json;
        EXPECT_TRUE(messages.shown[0].contains(path)) << messages.shown[0].toStdString();
        EXPECT_TRUE(messages.shown[0].contains(c.said)) << messages.shown[0].toStdString();
        EXPECT_EQ(entries(), before) << c.json;
    }
    EXPECT_TRUE(sentAnywhere().isEmpty());
}

// A box WRITE ALL or DATA DOWNLOAD would refuse, or that a file can't hold,
// writes no file and says why as they do.
TEST_F(Files, aRefusedBoxWritesNoFile) {
    const struct {
        Named box;
        const char* text;
        const char* said;
    } cases[] = {
        {{"main", "Text_VMAX"}, "abc", "동작속도(0~2047): \"abc\"은(는) 숫자가 아닙니다"},
        {{"main", "Text_WDATA2"}, "40", "에러 동작전류 값은 32보다 작아야 한다."},
        {{"JP_form", "Text_pos_2"}, "8388608", "3행 위치: 8388608은(는) -8388608~8388607"},
        {{"Belt_form", "Text_wvmax4"}, "", "4.속도(0~2047): \"\"은(는) 숫자가 아닙니다"},
    };
    const QString path = file("never.json");
    for (const auto& c : cases) {
        messages.shown.clear();
        const QString was = at(c.box)->text();
        at(c.box)->setText(QString::fromUtf8(c.text));
        choose("JP_form", "saveSetup", path);
        ASSERT_EQ(messages.shown.size(), 1) << c.box.box;
        EXPECT_TRUE(messages.shown[0].startsWith(QString::fromUtf8(c.said)))
            << messages.shown[0].toStdString();
        EXPECT_FALSE(QFile::exists(path)) << c.box.box;
        at(c.box)->setText(was);
    }
}
