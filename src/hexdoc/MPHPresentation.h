#pragma once

// How the hex grid would show the byte document: rows, columns and units, the
// character translation, the offset column's format, colours, font, the
// caret's place inside its byte, bookmarks, and the grid counts, which follow
// the document's size after every load and change. Nothing here draws: the
// settings are kept so that they stay in step with the document, and the
// document's undo records copy some of them.
//
// Ownership: the document owns its presentation and tells it of every change
// of size or insert mode. Use on the user-interface thread only.

#include <cstdint>
#include <string>

#include "hexdoc/MPHColors.h"
#include "hexdoc/MPHOffsetFormat.h"
#include "hexdoc/MPHTranslation.h"

class TCustomMPHexEditor;

// A bookmark: a data position (-1: not set) and the column it points into.
struct TMPHBookmark {
    std::int32_t Position = -1;
    bool InCharField = false;
};

class TMPHPresentation {
  public:
    // Shows `document`, which owns it and outlives it.
    explicit TMPHPresentation(TCustomMPHexEditor& document) : document_(document) {}
    TMPHPresentation(const TMPHPresentation&) = delete;
    TMPHPresentation& operator=(const TMPHPresentation&) = delete;

    // ---- Rows, columns and units -------------------------------------------
    int BytesPerRow() const { return bytesPerRow_; }
    // 1 .. 256, even with the Unicode display; else EMPHexEditor "Invalid
    // bytes per line argument".
    void SetBytesPerRow(int value);
    int BytesPerColumn() const { return bytesPerColumn_; }
    // 1 .. BytesPerRow; else "Invalid bytes per column argument".
    void SetBytesPerColumn(int value);
    int BytesPerUnit() const { return bytesPerUnit_; }
    // 1, 2, 4 or 8 ("Invalid bytes per unit value %d, ..."); 2 while the
    // Unicode display is on ("BytesPerUnit must be set to 2 in unicode mode").
    void SetBytesPerUnit(int value);
    int RulerBytesPerUnit() const { return rulerBytesPerUnit_; }
    // -1 (follow BytesPerUnit), 1, 2, 4 or 8; else "Invalid ruler bytes per
    // unit value %d, allowed: -1,1,2,4,8".
    void SetRulerBytesPerUnit(int value);
    bool UnicodeChars() const { return unicodeChars_; }
    // Turning it on needs an even DataSize ("Cannot use unicode mode with
    // odd-sized files"), tkAsIs, BytesPerUnit 2 and an even BytesPerRow.
    void SetUnicodeChars(bool value);
    bool UnicodeBigEndian() const { return unicodeBigEndian_; }
    void SetUnicodeBigEndian(bool value) { unicodeBigEndian_ = value; }

    // ---- Character translation ---------------------------------------------
    TMPHTranslationKind Translation() const { return translation_; }
    // Only tkAsIs with the Unicode display ("Translations cannot be used in
    // unicode mode").
    void SetTranslation(TMPHTranslationKind value);
    // The character shown for a data byte, and the data byte a shown (typed)
    // character stands for, under the current Translation (MPHTranslation.h).
    std::uint8_t TranslateToShown(std::uint8_t dataByte) const;
    std::uint8_t TranslateToData(std::uint8_t shownChar) const;
    // tkCustom's tables; they start as the identity.
    const TMPHTranslationTable& CustomTranslation() const { return customTranslation_; }
    void SetCustomTranslation(const TMPHTranslationTable& tables) { customTranslation_ = tables; }
    // What tkASCII shows for bytes outside 32..127; '.' by default.
    std::uint8_t MaskChar() const { return maskChar_; }
    void SetMaskChar(std::uint8_t value) { maskChar_ = value; }

    // ---- Offset column -----------------------------------------------------
    const std::string& OffsetFormat() const { return offsetFormatText_; }
    // Parses the format (see MPHOffsetFormat.h); "" switches offsets off. On
    // an error the previous format stays.
    void SetOffsetFormat(const std::string& value);
    // A position written in the offset format; "" while offsets are off.
    std::string FormatOffset(std::int64_t position) const;
    bool HexLowerCase() const { return hexLowerCase_; }
    void SetHexLowerCase(bool value) { hexLowerCase_ = value; }
    // -1: the offset column is as wide as its longest text.
    int GutterWidth() const { return gutterWidth_; }
    void SetGutterWidth(int value) { gutterWidth_ = value; }

    // ---- Look --------------------------------------------------------------
    bool FocusFrame() const { return focusFrame_; }
    void SetFocusFrame(bool value) { focusFrame_ = value; }
    bool DrawGridLines() const { return drawGridLines_; }
    void SetDrawGridLines(bool value) { drawGridLines_ = value; }
    const std::string& FontName() const { return fontName_; }
    int FontHeight() const { return fontHeight_; }
    // Height < 0: character height in pixels, as font descriptions give it.
    void SetFont(const std::string& name, int height);
    TMPHColors& Colors() { return colors_; }
    // Where the caret sits inside its byte: on the second hexadecimal digit,
    // or in the character column. Nothing moves the caret while the grid is
    // never shown, so both stay false.
    bool CursorOnLowDigit() const { return false; }
    bool CursorInCharField() const { return false; }

    // ---- Bookmarks ---------------------------------------------------------
    // Ten bookmarks, 0 to 9; other indices raise EMPHexEditor "Invalid
    // bookmark index".
    static constexpr int kBookmarkCount = 10;
    TMPHBookmark Bookmark(int index) const;
    // Runs the document's BookmarkChanged when the bookmark changes.
    void SetBookmark(int index, std::int32_t position, bool inCharField);

    // ---- Grid --------------------------------------------------------------
    static constexpr int FixedCols = 2;
    static constexpr int FixedRows = 2;
    int RowCount() const { return rowCount_; }
    int ColCount() const { return colCount_; }
    // The data position the last row starts at.
    std::int64_t LastRowPosition() const;

  private:
    friend class TCustomMPHexEditor;
    // Recounts rows and columns for the document's size and insert mode, and
    // with an automatic offset width the digits of the last row's offset.
    void Recount();
    int OffsetUnit() const;
    int RulerUnit() const;

    TCustomMPHexEditor& document_;
    int bytesPerRow_ = 16;
    int bytesPerColumn_ = 2;
    int bytesPerUnit_ = 1;
    int rulerBytesPerUnit_ = -1;
    bool unicodeChars_ = false;
    bool unicodeBigEndian_ = false;
    TMPHTranslationKind translation_ = tkAsIs;
    TMPHTranslationTable customTranslation_ = IdentityTranslation();
    std::uint8_t maskChar_ = '.';
    std::string offsetFormatText_;
    TMPHOffsetFormat offsetFormat_;
    bool hexLowerCase_ = false;
    int gutterWidth_ = -1;
    bool focusFrame_ = false;
    bool drawGridLines_ = true;
    std::string fontName_ = "Courier New";
    int fontHeight_ = -15;
    TMPHColors colors_;
    TMPHBookmark bookmarks_[kBookmarkCount];
    int rowCount_ = 3;
    int colCount_ = 51;
};
