#include "hexdoc/MPHColors.h"

#include <algorithm>

void TMPHColors::Set(Index index, TColor color) {
    if (colors_[index] == color)
        return;
    colors_[index] = color;
    if (OnChange)
        OnChange();
}

void TMPHColors::Assign(const TMPHColors& other) {
    if (std::equal(std::begin(colors_), std::end(colors_), std::begin(other.colors_)))
        return;
    std::copy(std::begin(other.colors_), std::end(other.colors_), std::begin(colors_));
    if (OnChange)
        OnChange();
}
