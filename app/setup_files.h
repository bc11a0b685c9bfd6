#pragma once
// Set-ups as files: the menu "파일" of each working panel loads and saves
// the whole set-up, the entry boxes of all three panels, as a profile in the
// command line's format. Loading sends nothing.

#include "core/profile.h"

#include <QObject>
#include <QString>
#include <optional>

class QWidget;

namespace stepdrive {

class BeltPanel;
class JogPositionPanel;
class MainPanel;
class Messenger;

// The panels whose entry boxes a set-up is read from and shown in.
class SetupPanels {
public:
    virtual ~SetupPanels() = default;
    virtual MainPanel& main() = 0;
    virtual JogPositionPanel& jogPosition() = 0;
    virtual BeltPanel& belt() = 0;
};

// Which file a set-up is loaded from or saved to; empty when the operator
// chose none.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual QString openPath(QWidget* parent) = 0;
    virtual QString savePath(QWidget* parent) = 0;
};

// Qt's own file dialog (the same on every desktop) for *.json files,
// starting in the folder chosen last, which the program's settings keep.
class DialogFileChooser : public FileChooser {
public:
    QString openPath(QWidget* parent) override;
    QString savePath(QWidget* parent) override;

private:
    QString choose(QWidget* parent, bool saving);
};

class SetupFiles : public QObject {
    Q_OBJECT
public:
    SetupFiles(SetupPanels& panels, Messenger& messages);

    // The file choice the tests make without a dialog.
    void setChooser(FileChooser& chooser) { chooser_ = &chooser; }

    // Gives `window` the menu "파일": "설정 불러오기…" (Ctrl+O) and
    // "설정 저장…" (Ctrl+S).
    void addMenuTo(QWidget* window);

    // A file the operator chooses fills the entry boxes of the sections it
    // has, once all of it is found good; a refused one changes nothing.
    void load(QWidget* window);
    // Every entry box is read as WRITE ALL and DATA DOWNLOAD read them; a
    // value refused, or one a file would refuse, writes no file. The file is
    // written whole or not at all; an existing one is replaced when the
    // operator says so.
    void save(QWidget* window);

private:
    // The set-up the boxes hold; nullopt after the message for the first
    // box refused.
    std::optional<Profile> profileOfBoxes();
    void showProfile(const Profile& profile);
    void write(const QString& path, const Profile& profile);

    SetupPanels& panels_;
    Messenger& messages_;
    DialogFileChooser dialogs_;
    FileChooser* chooser_ = &dialogs_;
};

} // namespace stepdrive
