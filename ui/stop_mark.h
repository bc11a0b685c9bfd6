#pragma once
// The mark of a motor stop's button or shortcut: a pause holds the
// operator's input but a stop's, so that a stop goes out as soon as the
// pause ends. Header only: the live view's module marks its stop too.

#include <QObject>
#include <QVariant>

namespace stepdrive {

inline constexpr const char* kStopProperty = "stepdrive_stop";

inline void markAsStop(QObject* control) {
    control->setProperty(kStopProperty, true);
}

inline bool isStop(const QObject* control) {
    return control->property(kStopProperty).toBool();
}

} // namespace stepdrive
