#include "ui/entry_box.h"

#include "core/entry.h"
#include "ui/messenger.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <algorithm>

namespace stepdrive {

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

void showWhole(QLineEdit* box, std::int32_t value) {
    constexpr char kTypingLimit[] = "typingLimit";
    if (!box->property(kTypingLimit).isValid()) {
        const int limit = box->maxLength();
        box->setProperty(kTypingLimit, limit);
        QObject::connect(box, &QLineEdit::textEdited, box, [box, limit] {
            if (box->text().size() <= limit)
                box->setMaxLength(limit);
        });
    }
    const QString text = QString::number(value);
    box->setMaxLength(std::max(box->property(kTypingLimit).toInt(), static_cast<int>(text.size())));
    box->setText(text);
}

} // namespace stepdrive
