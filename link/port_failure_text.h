#pragma once
// A failure of the port in English, without the port, which the caller names
// once: "no such device" and the like. The windows word the same reasons in
// the operator's language (ui/port_words.h).

#include <QString>

namespace stepdrive {

struct PortFailure;

QString englishText(const PortFailure& failure);

} // namespace stepdrive
