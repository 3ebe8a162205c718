#include "chrome/ProgressBar.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "chrome/AccessibleEvents.h"
#include "framework/Canvas.h"
#include "framework/ControlCanvas.h"

namespace {

// The shading of one column of the horizontal block picture, top to bottom,
// as 0xRRGGBB: lightest at the edges, darkest in rows 25 and 26.
constexpr std::array<std::uint32_t, 52> kBlockProfile = {
    0xAFFFAF, 0x9FF89F, 0x9FF89F, 0x90F790, 0x8FF78F, 0x80F080, 0x80F080, 0x70F070, 0x70F070,
    0x6FEF6F, 0x60EF60, 0x5FE85F, 0x5FE85F, 0x4FE74F, 0x4FE74F, 0x40E740, 0x40E740, 0x30E030,
    0x30E030, 0x2FDF2F, 0x20DF20, 0x1FD81F, 0x10D810, 0x0FD80F, 0x0FD80F, 0x00D000, 0x00D700,
    0x0FD70F, 0x10D810, 0x10D810, 0x1FDF1F, 0x20DF20, 0x2FE02F, 0x2FDF2F, 0x3FE03F, 0x3FE03F,
    0x40E740, 0x4FE74F, 0x50E850, 0x50E850, 0x60EF60, 0x60E860, 0x6FEF6F, 0x70EF70, 0x7FF07F,
    0x7FF07F, 0x8FF78F, 0x8FF78F, 0x90F890, 0x9FF79F, 0xA0F8A0, 0xA0F8A0,
};
constexpr int kBlockDepth = 20;  // the picture's extent across the shading

constexpr TColor ProfileColor(std::uint32_t rgb) {
    return RGB(std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb));
}

}  // namespace

TBitmap ProgressBlockBitmap(TProgressBarOrientation orientation) {
    const int length = int(kBlockProfile.size());
    const bool vertical = orientation == pbVertical;
    TBitmap picture(vertical ? length : kBlockDepth, vertical ? kBlockDepth : length);
    for (int i = 0; i < length; ++i) {
        for (int j = 0; j < kBlockDepth; ++j) {
            const TColor color = ProfileColor(kBlockProfile[std::size_t(i)]);
            picture.SetPixel(vertical ? i : j, vertical ? j : i, color);
        }
    }
    return picture;
}

TColor LightenColor(TColor color, int percent) {
    const TColor rgb = ColorToRGB(color);
    const int p = std::min(percent, 100);
    auto lighten = [p](int channel) {
        return std::uint8_t(channel + std::lround((255 - channel) * p / 100.0));
    };
    return RGB(lighten(GetRValue(rgb)), lighten(GetGValue(rgb)), lighten(GetBValue(rgb)));
}

TKvtXPProgressBar::TKvtXPProgressBar(TComponent* owner)
    : TWinControl(owner), block_(ProgressBlockBitmap(pbHorizontal)) {
    SetBounds(Left(), Top(), 149, 16);
    SetColor(clWhite);
}

void TKvtXPProgressBar::SetPosition(int position) {
    const int value = std::max(std::min(position, max_), min_);
    if (value > position_) {
        position_ = value;
        TControlCanvas canvas(*this);
        PaintFill(canvas.Canvas());
    } else if (value < position_) {
        position_ = value;
        Repaint();
    } else {
        return;
    }
    TellAccessible(*this, TAccessibleChange::Value);
}

void TKvtXPProgressBar::SetMax(int max) {
    if (max != max_ && max < position_) {
        position_ = max;
    }
    if (StoreAndInvalidate(max_, max))
        TellAccessible(*this, TAccessibleChange::Value);
}

void TKvtXPProgressBar::SetMin(int min) {
    if (StoreAndInvalidate(min_, min))
        TellAccessible(*this, TAccessibleChange::Value);
}

void TKvtXPProgressBar::SetStep(int step) {
    StoreAndInvalidate(step_, step);
}

void TKvtXPProgressBar::SetSmooth(bool smooth) {
    StoreAndInvalidate(smooth_, smooth);
}

void TKvtXPProgressBar::SetBorderColor(TColor color) {
    StoreAndInvalidate(borderColor_, color);
}

void TKvtXPProgressBar::SetOrientation(TProgressBarOrientation orientation) {
    if (orientation == orientation_) {
        return;
    }
    orientation_ = orientation;
    block_ = ProgressBlockBitmap(orientation);
    if (!Loading()) {
        SetBounds(Left(), Top(), Height(), Width());
    }
    Invalidate();
}

// Frame, fill, then the corner pixels that round the frame off.
void TKvtXPProgressBar::Paint(TCanvas& canvas) {
    const int l = 0, t = 0, r = Width(), b = Height(), w = Width();
    const TColor border = borderColor_;
    const TColor light = LightenColor(border, 70);
    const TColor parent = Parent() != nullptr ? Parent()->Color() : Color();
    canvas.Pen = {light, 1, pmCopy};
    canvas.MoveTo(l + 1, t + 1);
    canvas.LineTo(r + 1, t + 1);
    canvas.MoveTo(l + 1, t + 1);
    canvas.LineTo(l + 1, b + 1);
    canvas.Pen.Color = border;
    canvas.MoveTo(l, t);
    canvas.LineTo(l, b - 1);
    canvas.LineTo(r - 1, b - 1);
    canvas.MoveTo(l, t);
    canvas.LineTo(r - 1, t);
    canvas.LineTo(r - 1, b - 1);
    PaintFill(canvas);
    for (TPoint p : {Point(l, t), Point(l + w - 1, t), Point(l, b - 1), Point(l + w - 1, b - 1)}) {
        canvas.SetPixel(p.X, p.Y, parent);
    }
    for (TPoint p : {Point(l + 1, t + 1), Point(l + w - 2, t + 1), Point(l + 1, b - 2),
                     Point(l + w - 2, b - 2)}) {
        canvas.SetPixel(p.X, p.Y, border);
    }
    for (TPoint p :
         {Point(l + 1, t), Point(l + w - 2, t), Point(l + 1, b - 1), Point(l + w - 2, b - 1),
          Point(l, t + 1), Point(l + w - 1, t + 1), Point(l, b - 2), Point(l + w - 1, b - 2)}) {
        canvas.SetPixel(p.X, p.Y, light);
    }
}

void TKvtXPProgressBar::PaintFill(TCanvas& canvas) {
    if (smooth_) {
        PaintSmooth(canvas);
    } else {
        PaintBlocks(canvas);
    }
}

std::int64_t TKvtXPProgressBar::Reached(std::int64_t whole, bool blocks) const {
    const std::int64_t range = std::int64_t(max_) - min_;
    const std::int64_t done = std::int64_t(position_) - min_;
    if (range < 0 || whole <= 0) {
        return 0;
    }
    if (range == 0) {
        return position_ >= max_ ? whole : 0;
    }
    if (done <= 0) {
        return 0;
    }
    if (!blocks) {
        return whole * done / range;
    }
    // In extended precision; the addend makes Position = Max give every block.
    const long double perBlock = static_cast<long double>(range) / whole;
    const auto lit = static_cast<std::int64_t>(done / perBlock + 0.00000001L);
    return std::min(lit, whole);
}

void TKvtXPProgressBar::PaintBlocks(TCanvas& canvas) {
    const int pitch = blockSize_ + 1;
    const bool vertical = orientation_ == pbVertical;
    const int client = vertical ? Height() : Width();
    const std::int64_t blocks = Reached((client - 3) / pitch, true);
    const int r = Width(), b = Height();
    for (int i = 0; i < blocks; ++i) {
        const int shift = i * pitch;
        const TRect block = vertical ? Rect(3, b - blockSize_ - 2 - shift, r - 2, b - 3 - shift)
                                     : Rect(4 + shift, 2, 3 + blockSize_ + shift, b - 2);
        canvas.StretchDraw(block, block_);
    }
}

void TKvtXPProgressBar::PaintSmooth(TCanvas& canvas) {
    const int r = Width(), b = Height();
    if (orientation_ == pbHorizontal) {
        const int length = int(Reached(Width() - 4, false));
        canvas.StretchDraw(Rect(2, 2, 2 + length, b - 2), block_);
    } else {
        const int length = int(Reached(Height() - 4, false));
        canvas.StretchDraw(Rect(2, b - 2 - length, r - 2, b - 2), block_);
    }
}
