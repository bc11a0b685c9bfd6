#pragma once
// The window layouts are given in twips: 15 twips to one logical pixel
// (1440 twips an inch at 96 dpi). Qt's high-DPI scaling does the rest.

#include <QRect>

namespace stepdrive {

constexpr int kTwipsPerPixel = 15;

constexpr int twips(int value) {
    return value / kTwipsPerPixel;
}

inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

} // namespace stepdrive
