#pragma once

#include <QPainter>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Bitmap.h"
#include "framework/Color.h"
#include "framework/Font.h"
#include "framework/Geometry.h"

// The drawing surface controls paint with, in the classic device-context
// manner: a current pen, brush and font, a pen position, integer pixel
// coordinates with exclusive right and bottom edges, and no antialiasing.
// Colours are resolved when drawn; a clNone pen or brush draws nothing.

enum TPenMode {
    pmCopy,  // the pen colour replaces the pixel
    pmXor,   // the pixel is XOR-ed with the pen colour; drawing twice restores it
};

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenMode Mode = pmCopy;
};

enum TBrushStyle {
    bsSolid,      // one colour
    bsClear,      // fills draw nothing; text is drawn without a background
    bsCheckered,  // alternate pixels of Color and CheckerColor (a dither)
};

// In the checkered style a pixel (x, y) of the surface takes CheckerColor when
// x + y is even and Color when it is odd; the pattern is tied to the surface,
// not to the rectangle filled, so neighbouring fills line up.
struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
    TColor CheckerColor = clWhite;
};

// Where text drawn at x is anchored horizontally; the top of the text cell is
// always at y.
enum TTextAlign { taLeft, taRight, taCenter };

// Flags of TCanvas::DrawText. Unless dtNoPrefix is given, an '&' is not drawn
// and underlines the character after it (an accelerator), and "&&" draws one '&'.
enum TTextFormat : unsigned {
    dtLeft = 0,
    dtCenter = 1,
    dtRight = 2,
    dtVCenter = 4,
    dtWordBreak = 0x10,
    dtSingleLine = 0x20,
    dtCalcRect = 0x400,
    dtNoPrefix = 0x800,
};

class TCanvas {
  public:
    // Draws on the bitmap, which must outlive the canvas.
    explicit TCanvas(TBitmap& bitmap);
    // Draws on any paint device (a widget inside its paint event, an image).
    explicit TCanvas(QPaintDevice& device);
    // Draws through a painter the caller has set up (translated and clipped
    // for a windowless control); the painter's state is restored afterwards.
    explicit TCanvas(QPainter& painter);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen Pen;
    TBrush Brush;
    TFont Font;
    TTextAlign TextAlign = taLeft;

    // Lines with the pen from the pen position; the end point itself is not
    // drawn and becomes the new pen position.
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    TPoint PenPos() const { return penPos_; }

    // Fills the rectangle with the brush (the pen is not used).
    void FillRect(const TRect& rect);
    // A pen outline just inside the rectangle, the inside filled with the brush.
    void Rectangle(const TRect& rect);
    // A filled polygon, outlined with the pen.
    void Polygon(const std::vector<TPoint>& points);

    // The keyboard focus mark: a dotted ring of one pixel just inside the
    // rectangle, every other pixel from the top-left corner inverted, so it
    // shows on any background and drawing it again takes it away.
    void DrawFocusRect(const TRect& rect);

    // The RGB value at (x, y) of a bitmap or image surface; clNone outside it
    // or when the surface cannot be read back (a widget).
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    // Copies the whole bitmap 1:1 with its top-left corner at (x, y).
    void Draw(int x, int y, const TBitmap& bitmap);
    // Scales the whole bitmap into the rectangle, nearest neighbour: the
    // target pixel d takes the source pixel whose span holds d's centre.
    void StretchDraw(const TRect& rect, const TBitmap& bitmap);
    // Copies sourceRect of the bitmap into dest (scaled as StretchDraw if the
    // sizes differ).
    void CopyRect(const TRect& dest, const TBitmap& source, const TRect& sourceRect);

    // Text in the font's colour anchored at (x, y) by TextAlign; unless the
    // brush is bsClear the text cell is first filled with the brush colour.
    void TextOut(int x, int y, std::string_view text);
    // As TextOut but clipped to the rectangle, which is first filled with the
    // brush unless it is bsClear.
    void TextRect(const TRect& rect, int x, int y, std::string_view text);
    int TextWidth(std::string_view text) const;
    int TextHeight(std::string_view text) const;
    // Formatted text in the rectangle (alignment, word wrapping), drawn
    // without a background in the font colour. With
    // dtCalcRect nothing is drawn and the rectangle's bottom (and, for a
    // single line, right) is set to fit the text. Returns the text's height.
    int DrawText(TRect& rect, std::string_view text, unsigned format);

    // Limits all later drawing to the rectangle (within any clip the canvas
    // started with); ResetClip returns to that starting clip.
    void SetClipRect(const TRect& rect);
    void ResetClip();

  private:
    void Begin(QPaintDevice* device);
    void FillArea(const TRect& rect, TColor color, TPenMode mode);
    void FillWithBrush(const TRect& rect);
    void DrawPenLine(TPoint from, TPoint to);
    void DrawImageAt(int x, int y, const QImage& image);
    void ApplyFont();

    std::unique_ptr<QPainter> ownPainter_;
    QPainter* painter_ = nullptr;
    QImage* image_ = nullptr;
    bool startClipping_ = false;
    QRegion startClip_;
    TPoint penPos_;
};

QColor ToQColor(TColor color);
QRect ToQRect(const TRect& rect);
