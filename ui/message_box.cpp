#include "ui/message_box.h"

#include "link/pause.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <map>
#include <optional>

namespace stepdrive {

namespace {
const QString kTitle = QStringLiteral("stepdrive");

// A key that is held down when a box appears keeps repeating into it, and
// Return or Escape would close the box within one repeat, before the
// operator has seen it. While a box is open (it is modal, so it is the only
// window taking keys) repeats are dropped: only a fresh press answers it.
// A repeat is flagged as one, or comes as a release and a press of the same
// key at the same moment, which is how X11 sends it when the release went to
// another window. Key events without a time (0: synthesized, or passed on by
// an input method) can't be told apart that way.
//
// The keys that answer a box (Return, Enter, Escape) answer it when they are
// released, as Space does a button: their release then belongs to the box
// too, and never goes to a window that is gone or to the next window.
class FreshKeysOnly : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto type = event->type();
        if (delivering_ || (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
                            type != QEvent::ShortcutOverride))
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat())
            return true;
        if (type == QEvent::KeyRelease) {
            lastRelease_[key->key()] = key->timestamp();
            if (key->key() != pressed_)
                return false;
            // The press held back now answers the box; the release ends there.
            pressed_ = 0;
            QKeyEvent press(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
            delivering_ = true;
            QCoreApplication::sendEvent(watched, &press);
            delivering_ = false;
            return true;
        }
        const auto released = lastRelease_.find(key->key());
        if (key->timestamp() != 0 && released != lastRelease_.end() &&
            released->second == key->timestamp())
            return true;
        if (type == QEvent::KeyPress && answers(key->key())) {
            pressed_ = key->key();
            return true;
        }
        return false;
    }

private:
    static bool answers(int key) {
        return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
    }

    std::map<int, quint64> lastRelease_;
    int pressed_ = 0; // a fresh press of an answering key, held back until its release
    bool delivering_ = false;
};

// A run of text with no place to break a line (a long device path) would
// run past the edge of the box and of the screen: it gets invisible break
// places (zero-width spaces) after each '/' and every kLongRun characters
// without one.
constexpr int kLongRun = 40;
QString wrappable(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / kLongRun);
    int run = 0;
    for (const QChar c : text) {
        out += c;
        run = c.isSpace() ? 0 : run + 1;
        if (run >= kLongRun || (c == u'/' && run > 1)) {
            out += QChar(0x200B);
            run = 0;
        }
    }
    return out;
}

// Runs a box modally; only fresh key presses reach it. One filter serves a
// box and every box shown over it: two would each hold back the press the
// other hands on.
void runModal(QMessageBox& box, bool& filtering, PauseGate* gate) {
    std::optional<FreshKeysOnly> freshKeys;
    if (!filtering) {
        freshKeys.emplace();
        qApp->installEventFilter(&*freshKeys);
        filtering = true;
    }
    if (gate)
        gate->beginReading();
    box.exec();
    if (gate)
        gate->endReading();
    if (freshKeys) {
        qApp->removeEventFilter(&*freshKeys);
        filtering = false;
    }
    // A box this one was shown over takes the keys again, also where no
    // window manager hands the focus back.
    if (QWidget* under = QApplication::activeModalWidget())
        under->activateWindow();
}
} // namespace

void MessageBoxMessenger::show(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, kTitle, wrappable(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    // Return answers it whatever had the focus before.
    box.setDefaultButton(QMessageBox::Ok);
    runModal(box, filtering_, gate_);
}

int MessageBoxMessenger::ask(const QString& text, const QStringList& choices) {
    QMessageBox box(QMessageBox::Question, kTitle, wrappable(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    QList<QAbstractButton*> buttons;
    for (const QString& choice : choices)
        buttons << box.addButton(choice, QMessageBox::AcceptRole);
    if (!buttons.isEmpty()) {
        box.setDefaultButton(static_cast<QPushButton*>(buttons.first()));
        box.setEscapeButton(buttons.last());
    }
    runModal(box, filtering_, gate_);
    return static_cast<int>(buttons.indexOf(box.clickedButton()));
}

} // namespace stepdrive
