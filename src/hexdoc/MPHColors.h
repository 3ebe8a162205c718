#pragma once

#include <functional>

#include "framework/Color.h"

// The thirteen colours of the hex grid. Setting a colour to a new value calls
// OnChange (the grid's cue to redraw); an unchanged value is ignored. The
// start values are those the program's window gives its document.
class TMPHColors {
  public:
    enum Index {
        Background,
        ChangedBackground,
        ChangedText,
        CursorFrame,
        Offset,
        OddColumn,
        EvenColumn,
        CurrentOffsetBackground,
        OffsetBackGround,
        CurrentOffset,
        Grid,
        NonFocusCursorFrame,
        ActiveFieldBackground,
        kCount
    };

    TColor Get(Index index) const { return colors_[index]; }
    void Set(Index index, TColor color);
    // Takes every colour of `other` (one OnChange when any differed).
    void Assign(const TMPHColors& other);

    std::function<void()> OnChange;

  private:
    TColor colors_[kCount] = {
        clWindow,  RGB(0xFF, 0xFF, 0xA8), clMaroon,  clNavy, clBlack,  clBlue, clNavy, clBtnShadow,
        clBtnFace, clBtnHighlight,        clBtnFace, clAqua, clWindow,
    };
};
