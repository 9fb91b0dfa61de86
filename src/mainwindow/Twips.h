#pragma once
// Window positions are kept in twips, as the window was first laid out: 15 twips make a pixel.

#include <QRect>

namespace tolvane {

constexpr int twips(int value) {
    return (value + 7) / 15;
}

constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

} // namespace tolvane
