#include "app/setup_files.h"

#include "panels/belt/belt_panel.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"
#include "ui/file_menu.h"
#include "ui/messenger.h"
#include "ui/profile_words.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonDocument>
#include <QMenu>
#include <QSaveFile>
#include <QSettings>
#include <algorithm>

namespace stepdrive {

namespace {
// The folder a set-up file was last chosen in; the home folder at first.
constexpr char kFolderKey[] = "setupFolder";
} // namespace

QString DialogFileChooser::openPath(QWidget* parent) {
    return choose(parent, false);
}

QString DialogFileChooser::savePath(QWidget* parent) {
    return choose(parent, true);
}

QString DialogFileChooser::choose(QWidget* parent, bool saving) {
    QSettings settings;
    QFileDialog dialog(parent,
                       saving ? SetupFiles::tr("설정 저장") : SetupFiles::tr("설정 불러오기"),
                       settings.value(QLatin1String(kFolderKey), QDir::homePath()).toString(),
                       SetupFiles::tr("설정 파일 (*.json)"));
    // Replacing a file is asked by the program, in its own words.
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (saving)
        dialog.setDefaultSuffix(QStringLiteral("json"));
    dialog.setLabelText(QFileDialog::LookIn, SetupFiles::tr("위치:"));
    dialog.setLabelText(QFileDialog::FileName, SetupFiles::tr("파일 이름:"));
    dialog.setLabelText(QFileDialog::FileType, SetupFiles::tr("파일 형식:"));
    dialog.setLabelText(QFileDialog::Accept,
                        saving ? SetupFiles::tr("저장") : SetupFiles::tr("열기"));
    dialog.setLabelText(QFileDialog::Reject, SetupFiles::tr("취소"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    settings.setValue(QLatin1String(kFolderKey), QFileInfo(path).absolutePath());
    return path;
}

SetupFiles::SetupFiles(SetupPanels& panels, Messenger& messages)
    : panels_(panels), messages_(messages) {}

void SetupFiles::addMenuTo(QWidget* window) {
    QMenu* menu = addFileMenu(window);
    const struct {
        const char* name;
        QString caption;
        Qt::Key key;
        void (SetupFiles::*run)(QWidget*);
    } commands[] = {
        {"loadSetup", tr("설정 불러오기…"), Qt::Key_O, &SetupFiles::load},
        {"saveSetup", tr("설정 저장…"), Qt::Key_S, &SetupFiles::save},
    };
    for (const auto& c : commands) {
        auto* action = new QAction(c.caption, window);
        action->setObjectName(QLatin1String(c.name));
        action->setShortcut(QKeySequence(Qt::CTRL | c.key));
        connect(action, &QAction::triggered, this,
                [this, window, run = c.run] { (this->*run)(window); });
        menu->addAction(action);
    }
}

void SetupFiles::load(QWidget* window) {
    const QString path = chooser_->openPath(window);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        messages_.show(tr("%1: 파일을 열 수 없습니다. %2").arg(path, file.errorString()));
        return;
    }
    ProfileFault fault;
    const auto profile = parseProfile(file.readAll(), &fault);
    if (!profile) {
        messages_.show(tr("%1: 설정을 불러오지 않았습니다. 바뀐 값은 없습니다.\n%2")
                           .arg(path, profileFaultText(fault)));
        return;
    }
    showProfile(*profile);
}

void SetupFiles::save(QWidget* window) {
    const auto profile = profileOfBoxes();
    if (!profile)
        return;
    const QString path = chooser_->savePath(window);
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path) && messages_.ask(tr("%1 파일이 이미 있습니다. 바꿀까요?").arg(path),
                                                 {tr("바꾸기"), tr("취소")}) != 0)
        return;
    write(path, *profile);
}

std::optional<Profile> SetupFiles::profileOfBoxes() {
    Profile p;
    const auto motor = panels_.main().readParameters();
    if (!motor)
        return std::nullopt;
    p.motor = asValues<MotorValues>(*motor);
    const auto table = panels_.jogPosition().readTable();
    if (!table)
        return std::nullopt;
    p.table = asValues<TableValues>(*table);
    const auto belt = panels_.belt().readParameters();
    if (!belt)
        return std::nullopt;
    p.belt = asValues<BeltValues>(*belt);
    p.in2Used = panels_.belt().in2Used();
    return p;
}

void SetupFiles::showProfile(const Profile& p) {
    for (std::size_t i = 0; i < p.motor.size(); ++i)
        if (p.motor[i])
            panels_.main().showParameter(i, *p.motor[i]);
    panels_.jogPosition().showTable(p.table);
    for (std::size_t i = 0; i < p.belt.size(); ++i)
        if (p.belt[i])
            panels_.belt().showParameter(i, *p.belt[i]);
    if (p.in2Used)
        panels_.belt().setIn2Used(*p.in2Used);
}

void SetupFiles::write(const QString& path, const Profile& profile) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) &&
        file.write(QJsonDocument(toJson(profile)).toJson(QJsonDocument::Indented)) >= 0 &&
        file.commit())
        return;
    messages_.show(tr("%1: 설정을 저장하지 못했습니다. %2").arg(path, file.errorString()));
}

} // namespace stepdrive
