#pragma once
// The windows a fixture creates speak `language`; Korean again afterwards.

#include "app/language.h"

namespace stepdrive::test {

struct InLanguage {
    explicit InLanguage(const char* language) { useLanguage(QString::fromLatin1(language)); }
    ~InLanguage() { useLanguage(QStringLiteral("ko")); }
    InLanguage(const InLanguage&) = delete;
    InLanguage& operator=(const InLanguage&) = delete;
};

} // namespace stepdrive::test
