#include "chrome/Gradient.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kStripSize = 8;

// A 16.16 fixed-point channel value advanced by a fixed step per line.
struct FixedChannel {
    std::int64_t value;
    std::int64_t step;
    int Current() const { return int((value + 0x8000) >> 16); }
};

FixedChannel Channel(int from, int to, int lines) {
    const std::int64_t span = std::int64_t(to - from) << 16;
    return {std::int64_t(from) << 16, lines > 1 ? span / (lines - 1) : 0};
}

// Fills one line (a row for horizontal runs, a column for vertical ones) of
// a strip per band of equal colour.
void PaintRunLines(TCanvas& canvas, const std::vector<TColor>& colors, int firstLine, int lineStep,
                   bool rows, int thickness) {
    for (std::size_t i = 0; i < colors.size();) {
        std::size_t end = i;
        while (end < colors.size() && colors[end] == colors[i]) {
            ++end;
        }
        const int a = firstLine + int(i) * lineStep;
        const int b = firstLine + int(end - 1) * lineStep;
        const int lo = std::min(a, b), hi = std::max(a, b) + 1;
        canvas.Brush = {colors[i], bsSolid, colors[i]};
        canvas.FillRect(rows ? Rect(0, lo, thickness, hi) : Rect(lo, 0, hi, thickness));
        i = end;
    }
}

// Repeats the first strip across the bitmap by doubling copies.
void RepeatStrip(TCanvas& canvas, const TBitmap& bitmap, bool rows) {
    const int total = rows ? bitmap.Width() : bitmap.Height();
    for (int done = kStripSize; done < total; done *= 2) {
        const TBitmap copy(bitmap.Image().copy());
        const int n = std::min(done, total - done);
        if (rows) {
            canvas.CopyRect(Rect(done, 0, done + n, bitmap.Height()), copy,
                            Rect(0, 0, n, bitmap.Height()));
        } else {
            canvas.CopyRect(Rect(0, done, bitmap.Width(), done + n), copy,
                            Rect(0, 0, bitmap.Width(), n));
        }
    }
}

// End and centre directions. `rows` is true for the horizontal ones, whose
// bands are rows. Each run starts at its stop end.
void PaintLinear(TCanvas& canvas, const TBitmap& bitmap, bool rows, bool centre, TColor start,
                 TColor stop, std::uint8_t steps) {
    const int length = rows ? bitmap.Height() : bitmap.Width();
    const int thickness = std::min(kStripSize, rows ? bitmap.Width() : bitmap.Height());
    if (!centre) {
        PaintRunLines(canvas, GradientRun(length, stop, start, steps), length - 1, -1, rows,
                      thickness);
    } else {
        const int middle = length / 2;
        PaintRunLines(canvas, GradientRun(middle + 1, stop, start, steps), middle, -1, rows,
                      thickness);
        PaintRunLines(canvas, GradientRun(length - middle - 1, start, stop, steps), length - 1, -1,
                      rows, thickness);
    }
    RepeatStrip(canvas, bitmap, rows);
}

// Box directions: nested rectangles anchored at the centre corner of the
// top-left quarter, from the whole quarter in the start colour down to the
// stop box, then the quarter mirrored into the other three.
void PaintBoxes(TCanvas& canvas, int width, int height, int reduceX, int reduceY, TColor start,
                TColor stop, std::uint8_t steps) {
    const int quarterW = (width - 1) / 2 + 1, quarterH = (height - 1) / 2 + 1;
    const int halfW = quarterW - 1 - reduceX, halfH = quarterH - 1 - reduceY;
    const int bands = std::max(halfW, halfH) + 1;
    const std::vector<TColor> colors = GradientRun(bands, stop, start, steps);
    TBitmap quarter(quarterW, quarterH);
    {
        TCanvas q(quarter);
        const std::int64_t stepX = (std::int64_t(halfW) << 16) / bands;
        const std::int64_t stepY = (std::int64_t(halfH) << 16) / bands;
        std::int64_t x = std::int64_t(halfW) << 16, y = std::int64_t(halfH) << 16;
        TColor previous = clNone;
        for (int outer = 0; outer < bands; ++outer, x -= stepX, y -= stepY) {
            const TColor color = colors[bands - 1 - outer];
            if (color != previous) {
                const int reachX = reduceX + int(x >> 16), reachY = reduceY + int(y >> 16);
                q.Brush = {color, bsSolid, color};
                q.FillRect(Rect(quarterW - 1 - reachX, quarterH - 1 - reachY, quarterW, quarterH));
                previous = color;
            }
        }
    }
    const QImage& image = quarter.Image();
    canvas.Draw(0, 0, quarter);
    canvas.Draw(width - quarterW, 0, TBitmap(image.mirrored(true, false)));
    canvas.Draw(0, height - quarterH, TBitmap(image.mirrored(false, true)));
    canvas.Draw(width - quarterW, height - quarterH, TBitmap(image.mirrored(true, true)));
}

// Diagonal bands from the top-left corner to the bottom-right: strips across
// the diagonal, each painted from its own position to beyond the far corner
// so that no pixel is left between them.
void PaintDiagonalDown(TCanvas& canvas, int width, int height, TColor start, TColor stop,
                       std::uint8_t steps) {
    const int count = int(std::sqrt(double(width) * width + double(height) * height)) + 1;
    const std::vector<TColor> colors = GradientRun(count, start, stop, steps);
    const int sweep = width + height;
    canvas.Pen.Mode = pmCopy;
    TColor previous = clNone;
    for (int i = 0; i < count; ++i) {
        if (colors[i] == previous) {
            continue;
        }
        previous = colors[i];
        const int c = int(std::int64_t(i) * sweep / count);  // the strip's x + y
        canvas.Pen.Color = colors[i];
        canvas.Brush = {colors[i], bsSolid, colors[i]};
        canvas.Polygon({Point(c, 0), Point(sweep + 1, 0), Point(sweep + 1, sweep + 1),
                        Point(0, sweep + 1), Point(0, c)});
    }
}

// The upward diagonal is the downward one mirrored top to bottom.
void PaintDiagonalUp(TCanvas& canvas, int width, int height, TColor start, TColor stop,
                     std::uint8_t steps) {
    TBitmap down(width, height);
    {
        TCanvas downCanvas(down);
        PaintDiagonalDown(downCanvas, width, height, start, stop, steps);
    }
    canvas.Draw(0, 0, TBitmap(down.Image().mirrored(false, true)));
}

void PaintDirection(TCanvas& canvas, const TBitmap& bitmap, TGradientDirection direction,
                    TColor start, TColor stop, std::uint8_t steps) {
    const int w = bitmap.Width(), h = bitmap.Height();
    switch (direction) {
        case gdDiagonalUp:
            PaintDiagonalUp(canvas, w, h, start, stop, steps);
            return;
        case gdDiagonalDown:
            PaintDiagonalDown(canvas, w, h, start, stop, steps);
            return;
        case gdHorizontalEnd:
        case gdHorizontalCenter:
            PaintLinear(canvas, bitmap, true, direction == gdHorizontalCenter, start, stop, steps);
            return;
        case gdVerticalEnd:
        case gdVerticalCenter:
            PaintLinear(canvas, bitmap, false, direction == gdVerticalCenter, start, stop, steps);
            return;
        case gdHorizontalBox:
            PaintBoxes(canvas, w, h, w / 4, 0, start, stop, steps);
            return;
        case gdVerticalBox:
            PaintBoxes(canvas, w, h, 0, h / 4, start, stop, steps);
            return;
        case gdSquareBox:
            PaintBoxes(canvas, w, h, 0, 0, start, stop, steps);
            return;
        case gdBigSquareBox:
            PaintBoxes(canvas, w, h, w / 4, h / 4, start, stop, steps);
            return;
    }
}

}  // namespace

std::vector<TColor> GradientRun(int lines, TColor first, TColor last, std::uint8_t colorSteps) {
    std::vector<TColor> colors;
    if (lines <= 0) {
        return colors;
    }
    FixedChannel r = Channel(GetRValue(first), GetRValue(last), lines);
    FixedChannel g = Channel(GetGValue(first), GetGValue(last), lines);
    FixedChannel b = Channel(GetBValue(first), GetBValue(last), lines);
    const int minimumBand = colorSteps > 8 ? 255 / colorSteps + 1 : 1;
    TColor band = RGB(r.Current(), g.Current(), b.Current());
    int bandLines = 0;
    for (int i = 0; i < lines; ++i) {
        const TColor color = RGB(r.Current(), g.Current(), b.Current());
        if (color != band && bandLines >= minimumBand) {
            band = color;
            bandLines = 0;
        }
        colors.push_back(band);
        ++bandLines;
        r.value += r.step;
        g.value += g.step;
        b.value += b.step;
    }
    return colors;
}

void FillGradient(TCanvas& canvas, const TRect& rect, TGradientDirection direction,
                  TColor startColor, TColor stopColor, std::uint8_t colorSteps) {
    if (rect.IsEmpty()) {
        return;
    }
    const TColor start = ColorToRGB(startColor), stop = ColorToRGB(stopColor);
    TBitmap bitmap(rect.Width(), rect.Height(), start);
    {
        TCanvas painter(bitmap);
        PaintDirection(painter, bitmap, direction, start, stop, colorSteps);
    }
    canvas.Draw(rect.Left, rect.Top, bitmap);
}
