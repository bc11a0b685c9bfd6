#include "ui/entry_box.h"

#include "link/entry.h"
#include "link/messenger.h"

#include <QLineEdit>

namespace stepdrive {

std::optional<std::int32_t> readEntry(const QLineEdit* box, const QString& boxName,
                                      Messenger& messages) {
    const QString text = box->text();
    const auto value = parseEntry(text.toStdString());
    if (!value)
        messages.show(QStringLiteral("%1: \"%2\"은(는) 숫자가 아닙니다. 보내지 않았습니다.")
                          .arg(boxName, text));
    return value;
}

} // namespace stepdrive
