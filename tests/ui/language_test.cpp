// The operator's language: how it is chosen, and that nothing the windows
// show bypasses the translation system.

#include "app/command_line.h"
#include "app/first_shown.h"
#include "app/language.h"
#include "app/start_dialog.h"
#include "panels/belt/belt_panel.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"
#include "tests/support/panel_fixture.h"
#include "tests/ui/in_language.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeView>
#include <QXmlStreamReader>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

const QRegularExpression kHangul(QStringLiteral("[\\x{AC00}-\\x{D7A3}]"));

QString readAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

// The string literals of C++ source `text` that hold Hangul and are not the
// text argument of a translation call, as "line: literal".
QStringList untranslatedHangul(const QString& text) {
    static const QStringList kTranslating = {QStringLiteral("tr"), QStringLiteral("QT_TR_NOOP"),
                                             QStringLiteral("QT_TRANSLATE_NOOP"),
                                             QStringLiteral("translate")};
    QStringList found;
    QStringList calls; // the function each open parenthesis belongs to
    QString lastWord;
    int line = 1;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == '\n') {
            ++line;
        } else if (text.mid(i, 2) == QLatin1String("//")) {
            i = text.indexOf('\n', i) - 1;
        } else if (text.mid(i, 2) == QLatin1String("/*")) {
            const int end = text.indexOf(QLatin1String("*/"), i);
            line += text.mid(i, end - i).count('\n');
            i = end + 1;
        } else if (c == '\'' || c == '"') {
            int j = i + 1;
            while (j < text.size() && text[j] != c)
                j += text[j] == '\\' ? 2 : 1;
            const QString literal = text.mid(i, j - i + 1);
            if (c == '"' && literal.contains(kHangul) &&
                (calls.isEmpty() || !kTranslating.contains(calls.last())))
                found << QStringLiteral("%1: %2").arg(line).arg(literal);
            i = j;
        } else if (c.isLetterOrNumber() || c == '_') {
            const bool inWord = i > 0 && (text[i - 1].isLetterOrNumber() || text[i - 1] == '_');
            lastWord = (inWord ? lastWord : QString()) + c;
            continue;
        } else if (c == '(') {
            calls << lastWord;
        } else if (c == ')' && !calls.isEmpty()) {
            calls.removeLast();
        }
        if (!c.isSpace())
            lastWord.clear();
    }
    return found;
}

} // namespace

TEST(Language, koreanUnlessEnglishIsAsked) {
    const struct {
        QStringList arguments;
        const char* environment;
        const char* language;
        bool complained;
    } cases[] = {
        {{}, "", "ko", false},
        {{QStringLiteral("--lang"), QStringLiteral("en")}, "", "en", false},
        {{QStringLiteral("--lang=en")}, "", "en", false},
        {{}, "en", "en", false},
        {{QStringLiteral("--lang"), QStringLiteral("ko")}, "en", "ko", false},
        {{QStringLiteral("--lang"), QStringLiteral("fr")}, "", "ko", true},
        {{QStringLiteral("--lang"), QStringLiteral("fr")}, "en", "ko", true},
        {{}, "fr", "ko", true},
        {{QStringLiteral("--lang")}, "", "ko", true},
    };
    for (const auto& c : cases) {
        const QString args = c.arguments.join(' ') + " / " + c.environment;
        const LanguageChoice choice =
            readCommandLine(QStringList{QStringLiteral("stepdrive")} + c.arguments,
                            QString::fromLatin1(c.environment))
                .language;
        EXPECT_EQ(choice.language.toStdString(), c.language) << args.toStdString();
        EXPECT_EQ(!choice.complaint.isEmpty(), c.complained) << args.toStdString();
    }
}

// Qt's own parts of the windows speak the language chosen: the file
// dialog's column heads and a message box's button.
TEST(Language, qtsOwnTextsFollowTheLanguage) {
    const struct {
        const char* language;
        const char* nameHead;
        const char* modifiedHead;
        const char* ok;
    } cases[] = {{"ko", "이름", "수정한 날짜", "확인"}, {"en", "Name", "Date Modified", "OK"}};
    for (const auto& c : cases) {
        InLanguage language(c.language);
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        const QAbstractItemModel* files = dialog.findChild<QTreeView*>()->model();
        EXPECT_EQ(files->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8(c.nameHead));
        EXPECT_EQ(files->headerData(3, Qt::Horizontal).toString(),
                  QString::fromUtf8(c.modifiedHead));
        QMessageBox box(QMessageBox::NoIcon, {}, {}, QMessageBox::Ok);
        EXPECT_EQ(box.button(QMessageBox::Ok)->text().remove('&'), QString::fromUtf8(c.ok));
    }
}

// The program says an unknown language once and starts in Korean.
TEST(Language, theProgramSaysAnUnknownLanguageOnce) {
    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QString::fromLatin1(kStartupProbeVariable), QStringLiteral("1"));
    for (int n = 1; n <= 10; ++n)
        env.insert(QStringLiteral("STEPDRIVE_COM%1").arg(n), QStringLiteral("/nonexistent/com"));
    app.setProcessEnvironment(env);
    app.start(QStringLiteral(STEPDRIVE_APP_PATH), {QStringLiteral("--lang"), QStringLiteral("fr")});
    ASSERT_TRUE(app.waitForFinished(60000));
    EXPECT_EQ(app.exitCode(), 0);
    const QString said = QString::fromLocal8Bit(app.readAllStandardError());
    EXPECT_EQ(said.count(QStringLiteral("\"fr\"")), 1) << said.toStdString();
}

// Every message of every translation file has its translation.
TEST(Language, everyTextIsTranslated) {
    const QDir dir(QStringLiteral(STEPDRIVE_SOURCE_DIR "/translations"));
    const QStringList files = dir.entryList({QStringLiteral("*.ts")});
    ASSERT_FALSE(files.isEmpty());
    for (const QString& file : files) {
        QXmlStreamReader xml(readAll(dir.filePath(file)));
        QString source;
        int messages = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("source")) {
                source = xml.readElementText();
            } else if (xml.name() == QLatin1String("translation")) {
                const bool unfinished =
                    xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
                ++messages;
                EXPECT_FALSE(unfinished || xml.readElementText().isEmpty())
                    << file.toStdString() << ": " << source.toStdString();
            }
        }
        EXPECT_FALSE(xml.hasError()) << file.toStdString();
        EXPECT_GT(messages, 0) << file.toStdString();
    }
}

// Hangul in the code is a text for the windows, so it goes through a
// translation call.
TEST(Language, hangulOnlyInTranslationCalls) {
    for (const char* part : {"app", "panels", "ui", "core", "link", "cli", "sim"}) {
        QDirIterator it(QStringLiteral(STEPDRIVE_SOURCE_DIR "/") + part,
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QStringList found = untranslatedHangul(readAll(path));
            EXPECT_TRUE(found.isEmpty()) << path.toStdString() << ":\n"
                                         << found.join('\n').toStdString();
        }
    }
}

namespace {
struct English : InLanguage, PanelFixture {
    English() : InLanguage("en") {}
};
} // namespace

// In English, no control of the four windows shows Hangul.
TEST_F(English, noWindowShowsHangul) {
    for (QWidget* window : std::initializer_list<QWidget*>{&shell.main(), &shell.startDialog(),
                                                           &shell.jogPosition(), &shell.belt()}) {
        window->show();
        QStringList shown{window->windowTitle()};
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (!w->isVisible() && !qobject_cast<QMenu*>(w))
                continue;
            if (auto* label = qobject_cast<QLabel*>(w))
                shown << label->text();
            else if (auto* button = qobject_cast<QAbstractButton*>(w))
                shown << button->text();
            else if (auto* edit = qobject_cast<QLineEdit*>(w))
                shown << edit->text();
            else if (auto* group = qobject_cast<QGroupBox*>(w))
                shown << group->title();
            shown << w->toolTip();
            for (QAction* a : w->actions())
                shown << a->text();
        }
        for (const QString& text : shown)
            EXPECT_FALSE(text.contains(kHangul))
                << window->objectName().toStdString() << ": " << text.toStdString();
    }
}
