#pragma once

// The byte document as the program's window carries it: a hex grid component
// that is never shown. It adds to the document only what a drawn grid needs,
// and so needs Qt's drawing support: the hourglass cursor over long loads,
// saves and half-byte insertions, the measure of its font, and the bookmark
// pictures. It overrides none of the document's virtual operations.

#include "framework/Bitmap.h"
#include "hexdoc/MPHDocument.h"

class TMPHexEditor : public TCustomMPHexEditor {
  public:
    // A new document whose long operations show the hourglass.
    TMPHexEditor();

    // The offset column in pixels: GutterWidth when set, else (length of the
    // last row's offset text + 1) widths of "w" in the font, plus 21.
    // Measuring needs a QGuiApplication.
    int OffsetColumnWidth();

    // The pictures bookmarks are drawn with: twenty 10 x 10 pictures stacked
    // in one 10 x 200 bitmap. Empty until one is set, as nothing here draws.
    static constexpr int kBookmarkBitmapWidth = 10;
    static constexpr int kBookmarkBitmapHeight = 200;
    const TBitmap& BookmarkBitmap() const { return bookmarkBitmap_; }
    // Keeps a copy; any other size raises EMPHexEditor "Invalid bookmark
    // bitmap (must be 10 x 200 px)" and keeps the previous bitmap.
    void SetBookmarkBitmap(const TBitmap& bitmap);

  private:
    TBitmap bookmarkBitmap_;
};
