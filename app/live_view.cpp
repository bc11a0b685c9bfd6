#include "app/live_view.h"

#include "link/modules.h"
#include "ui/live_view_module.h"
#include "ui/messenger.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace stepdrive {

void addViewMenu(QWidget* window, std::function<void()> open) {
    auto* bar = window->findChild<QMenuBar*>(QStringLiteral("menuBar"));
    if (!bar)
        return;
    QMenu* menu = bar->addMenu(LiveView::tr("보기"));
    menu->setObjectName(QStringLiteral("viewMenu"));
    auto* action = new QAction(LiveView::tr("실시간 보기…"), window);
    action->setObjectName(QStringLiteral("liveView"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    QObject::connect(action, &QAction::triggered, window, std::move(open));
    menu->addAction(action);
}

namespace {
// The folder a record file was last chosen in; the home folder at first.
constexpr char kRecordFolderKey[] = "recordFolder";

QString chooseRecordFile(QWidget* parent) {
    QSettings settings;
    QFileDialog dialog(parent, LiveView::tr("기록 파일"),
                       settings.value(QLatin1String(kRecordFolderKey), QDir::homePath()).toString(),
                       LiveView::tr("CSV 파일 (*.csv)"));
    dialog.setOptions(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setLabelText(QFileDialog::Accept, LiveView::tr("저장"));
    dialog.setLabelText(QFileDialog::Reject, LiveView::tr("취소"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    settings.setValue(QLatin1String(kRecordFolderKey), QFileInfo(path).absolutePath());
    return path;
}
// Right of `panel` where the screen has room, else as far right as it goes.
void placeBeside(QWidget& window, const QWidget& panel) {
    const QScreen* screen = panel.screen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    const QRect beside = panel.frameGeometry();
    const int width = window.sizeHint().width();
    window.move(std::max(room.left(), std::min(beside.right() + 8, room.right() - width)),
                std::max(room.top(), beside.top()));
}
} // namespace

LiveView::LiveView(Line line, std::function<void()> stopMotor, std::function<bool()> busy,
                   Messenger& messages, QObject* parent)
    : QObject(parent), panel_(line.panel), stopMotor_(std::move(stopMotor)), messages_(messages),
      poll_(line.link, line.port, std::move(busy)), chooseRecord_(chooseRecordFile) {
    connect(&poll_, &LivePoll::sampled, this, &LiveView::sampled);
    connect(&poll_, &LivePoll::stateChanged, this, [this](LiveState state) {
        if (window_)
            window_->showState(state);
    });
}

LiveView::~LiveView() {
    endRecord();
}

std::unique_ptr<LiveViewWindow> LiveView::loadWindow(LiveViewActions actions) {
    if (maker_)
        return maker_(std::move(actions));
    QString why;
    LiveViewModule* const module = loadModule<LiveViewModule>(QStringLiteral("liveview"), &why);
    if (!module) {
        messages_.show(tr("실시간 보기를 열 수 없습니다: %1").arg(why));
        return nullptr;
    }
    return std::unique_ptr<LiveViewWindow>(module->create(std::move(actions)));
}

void LiveView::open() {
    if (!window_) {
        LiveViewActions actions;
        actions.intervalChosen = [this](int ms) { poll_.setInterval(ms); };
        actions.stopMotor = [this] { stopMotor_(); };
        actions.recordPressed = [this] { recordPressed(); };
        actions.closed = [this] { close(); };
        window_ = loadWindow(std::move(actions));
        if (!window_)
            return;
        placeBeside(*window_->widget(), panel_);
    }
    QWidget* w = window_->widget();
    w->show();
    w->raise();
    w->activateWindow();
    if (!poll_.running()) {
        poll_.start(window_->interval());
        window_->showState(poll_.state());
    }
}

void LiveView::close() {
    poll_.stop();
    endRecord();
    if (window_)
        window_->widget()->hide();
}

bool LiveView::isOpen() const {
    return window_ && window_->widget()->isVisible();
}

void LiveView::sampled(const LiveSample& sample) {
    if (window_)
        window_->showSample(sample);
    // A sample asked for before the record started is not part of it.
    if (!record_ || sample.ms < recordFromMs_)
        return;
    LiveSample row = sample;
    row.ms -= recordFromMs_;
    record_->write(csvRow(row).c_str());
    // A crash loses at most the row being written.
    record_->flush();
}

void LiveView::recordPressed() {
    if (record_) {
        endRecord();
        return;
    }
    const QString path = chooseRecord_(window_ ? window_->widget() : nullptr);
    if (path.isEmpty())
        return;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        messages_.show(tr("%1: 기록 파일을 쓸 수 없습니다(%2).").arg(path, file->errorString()));
        return;
    }
    file->write(csvHeader().c_str());
    file->flush();
    record_ = std::move(file);
    recordFromMs_ = poll_.elapsedMs();
    if (window_)
        window_->showRecording(true);
}

void LiveView::endRecord() {
    if (!record_)
        return;
    record_.reset();
    if (window_)
        window_->showRecording(false);
}

} // namespace stepdrive
