#include "ui/entry_box.h"

#include "core/entry.h"
#include "ui/colours.h"
#include "ui/messenger.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QStyle>
#include <algorithm>

namespace stepdrive {

namespace {

// Watches every way text is put into a box other than typing: Ctrl+V (and
// Shift+Insert), the middle button's selection, the context menu's paste and
// a drop. What fits goes in whole; what doesn't is refused with a message.
class PasteGuard : public QObject {
public:
    PasteGuard(QLineEdit* box, QString boxName, Messenger& messages)
        : QObject(box), box_(box), boxName_(std::move(boxName)), messages_(messages) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (box_->isReadOnly())
            return false;
        switch (event->type()) {
        case QEvent::KeyPress:
            if (!static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste))
                return false;
            put(QGuiApplication::clipboard()->text(QClipboard::Clipboard), true);
            return true;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() != Qt::MiddleButton ||
                !QGuiApplication::clipboard()->supportsSelection())
                return false;
            put(QGuiApplication::clipboard()->text(QClipboard::Selection), false);
            return true;
        case QEvent::ContextMenu:
            contextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            // Text moved within the box does not make it longer.
            if (drop->source() == box_ || !drop->mimeData()->hasText() ||
                fitting(drop->mimeData()->text(), false))
                return false;
            refuse(drop->mimeData()->text());
            drop->ignore();
            return true;
        }
        default:
            return false;
        }
    }

private:
    // What of `text` goes in whole in place of the selection (when
    // `replacesSelection`), or nothing: as it is, or without blanks around.
    std::optional<QString> fitting(const QString& text, bool replacesSelection) const {
        const int room = box_->maxLength() - box_->text().size() +
                         (replacesSelection ? box_->selectedText().size() : 0);
        for (const QString& candidate : {text, text.trimmed()})
            if (candidate.size() <= room)
                return candidate;
        return std::nullopt;
    }

    void put(const QString& text, bool replacesSelection) {
        if (text.isEmpty())
            return;
        const auto whole = fitting(text, replacesSelection);
        if (!whole)
            return refuse(text);
        if (!replacesSelection)
            box_->deselect();
        box_->insert(*whole);
    }

    void refuse(const QString& text) {
        constexpr int kShownChars = 40;
        const QString shown =
            text.size() > kShownChars ? text.left(kShownChars) + QChar(0x2026) : text;
        messages_.show(QCoreApplication::translate(
                           "EntryBox", "%1: %2자까지 들어갑니다. 붙여 넣은 \"%3\"(%4자)을(를) "
                                       "받지 않았습니다.")
                           .arg(boxName_)
                           .arg(box_->maxLength())
                           .arg(shown)
                           .arg(text.size()));
    }

    // The box's own menu, its paste going through the same check.
    void contextMenu(const QPoint& at) {
        const QPointer<QMenu> menu = box_->createStandardContextMenu();
        for (QAction* action : menu->actions()) {
            if (action->objectName() != QLatin1String("edit-paste"))
                continue;
            QObject::disconnect(action, &QAction::triggered, box_, nullptr);
            QObject::connect(action, &QAction::triggered, box_, [this] {
                put(QGuiApplication::clipboard()->text(QClipboard::Clipboard), true);
            });
        }
        menu->exec(at);
        delete menu;
    }

    QLineEdit* box_;
    QString boxName_;
    Messenger& messages_;
};

} // namespace

std::optional<std::int32_t> readEntry(const QLineEdit* box, const QString& boxName,
                                      Messenger& messages) {
    const QString text = box->text();
    const auto value = parseEntry(text.toStdString());
    if (!value)
        messages.show(QCoreApplication::translate(
                          "EntryBox", "%1: \"%2\"은(는) 숫자가 아닙니다. 보내지 않았습니다.")
                          .arg(boxName, text));
    return value;
}

void guardEntryBox(QLineEdit* box, const QString& boxName, Messenger& messages) {
    box->installEventFilter(new PasteGuard(box, boxName, messages));
    QObject::connect(box, &QLineEdit::textChanged, box, [box] {
        if (backColour(box) != colour::white)
            setBackColour(box, colour::white);
    });
}

namespace {

// The point size a box's font has where its text fits; a text wider than
// the box is drawn smaller, so that all of it shows.
constexpr char kWholeTextPt[] = "wholeTextPt";

void fitTextToBox(QLineEdit* box) {
    const double designed = box->property(kWholeTextPt).toDouble();
    QFont font = box->font();
    font.setPointSizeF(designed);
    // What QLineEdit draws text in: inside its frame, its text margins and
    // its own two pixels a side, with room for the cursor.
    const int frame =
        box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box) : 0;
    const QMargins margins = box->textMargins();
    const int room = box->contentsRect().width() - 2 * frame - margins.left() - margins.right() - 5;
    for (double pt = designed;
         pt > 1 && QFontMetrics(font).horizontalAdvance(box->text()) > room;) {
        pt -= 0.25;
        font.setPointSizeF(pt);
    }
    if (font != box->font())
        box->setFont(font);
}

} // namespace

void showWhole(QLineEdit* box, std::int32_t value) {
    constexpr char kTypingLimit[] = "typingLimit";
    if (!box->property(kTypingLimit).isValid()) {
        const int limit = box->maxLength();
        box->setProperty(kTypingLimit, limit);
        QObject::connect(box, &QLineEdit::textEdited, box, [box, limit] {
            if (box->text().size() <= limit)
                box->setMaxLength(limit);
        });
        box->setProperty(kWholeTextPt, box->font().pointSizeF());
        QObject::connect(box, &QLineEdit::textChanged, box, [box] { fitTextToBox(box); });
    }
    const QString text = QString::number(value);
    box->setMaxLength(std::max(box->property(kTypingLimit).toInt(), static_cast<int>(text.size())));
    box->setText(text);
}

} // namespace stepdrive
