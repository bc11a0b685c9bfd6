#pragma once
// The windows a fixture creates speak `language`; afterwards, what they
// spoke before.

#include "app/language.h"

namespace stepdrive::test {

struct InLanguage {
    explicit InLanguage(const char* language) : language_(QString::fromLatin1(language)) {}

private:
    Language language_;
};

} // namespace stepdrive::test
