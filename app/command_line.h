#pragma once
// The windows' command line: --help and --version, answered before the
// window system is touched, --lang, the windows' language, and --simulator.
// What else it holds is Qt's (-platform, -style ...) and left to
// QApplication.

#include <QString>
#include <QStringList>
#include <string>

namespace stepdrive {

struct LanguageChoice {
    QString language;  // "ko" or "en"
    QString complaint; // what to say on standard error, or empty
};

struct CommandLine {
    std::string answer; // the help or the version to print and exit; empty: start
    LanguageChoice language;
    bool simulator = false; // COM4 is a simulator the program starts
};

// `arguments` are the program's, its name first. The language is the one
// the last "--lang xx" or "--lang=xx" asks for, else the one `environment`
// (STEPDRIVE_LANG) names, else Korean; an unknown one leaves Korean and is
// complained of.
CommandLine readCommandLine(const QStringList& arguments, const QString& environment);

} // namespace stepdrive
