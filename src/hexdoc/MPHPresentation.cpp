#include "hexdoc/MPHPresentation.h"

#include <algorithm>

#include "hexdoc/MPHDocument.h"
#include "hexdoc/MPHexEditorError.h"

namespace {

bool IsUnitSize(int value) {
    return value == 1 || value == 2 || value == 4 || value == 8;
}

void CheckBookmarkIndex(int index) {
    if (index < 0 || index >= TMPHPresentation::kBookmarkCount)
        throw EMPHexEditor(mphmsg::kInvalidBookmark);
}

}  // namespace

// ---- Rows, columns and units ------------------------------------------------

void TMPHPresentation::SetBytesPerRow(int value) {
    if (value < 1 || value > 256 || (unicodeChars_ && value % 2 != 0))
        throw EMPHexEditor(mphmsg::kInvalidBytesPerLine);
    bytesPerRow_ = value;
    bytesPerColumn_ = std::min(bytesPerColumn_, value);
    Recount();
}

void TMPHPresentation::SetBytesPerColumn(int value) {
    if (value < 1 || value > bytesPerRow_)
        throw EMPHexEditor(mphmsg::kInvalidBytesPerColumn);
    bytesPerColumn_ = value;
    Recount();
}

void TMPHPresentation::SetBytesPerUnit(int value) {
    if (!IsUnitSize(value))
        throw EMPHexEditor(FormatMPHMessage(mphmsg::kInvalidBytesPerUnit, value));
    if (unicodeChars_ && value != 2)
        throw EMPHexEditor(mphmsg::kUnicodeBytesPerUnit);
    bytesPerUnit_ = value;
    Recount();
}

void TMPHPresentation::SetRulerBytesPerUnit(int value) {
    if (value != -1 && !IsUnitSize(value))
        throw EMPHexEditor(FormatMPHMessage(mphmsg::kInvalidRulerBytesPerUnit, value));
    rulerBytesPerUnit_ = value;
    Recount();
}

void TMPHPresentation::SetUnicodeChars(bool value) {
    if (value && !unicodeChars_) {
        if (document_.DataSize() % 2 != 0)
            throw EMPHexEditor(mphmsg::kUnicodeOddSize);
        if (translation_ != tkAsIs)
            throw EMPHexEditor(mphmsg::kUnicodeTranslation);
        if (bytesPerUnit_ != 2)
            throw EMPHexEditor(mphmsg::kUnicodeBytesPerUnit);
        if (bytesPerRow_ % 2 != 0)
            throw EMPHexEditor(mphmsg::kInvalidBytesPerLine);
    }
    unicodeChars_ = value;
    Recount();
}

// ---- Character translation --------------------------------------------------

void TMPHPresentation::SetTranslation(TMPHTranslationKind value) {
    if (unicodeChars_ && value != tkAsIs)
        throw EMPHexEditor(mphmsg::kUnicodeTranslation);
    translation_ = value;
}

std::uint8_t TMPHPresentation::TranslateToShown(std::uint8_t dataByte) const {
    return ::TranslateToShown(translation_, dataByte, customTranslation_, maskChar_);
}

std::uint8_t TMPHPresentation::TranslateToData(std::uint8_t shownChar) const {
    return ::TranslateToData(translation_, shownChar, customTranslation_);
}

// ---- Offset column ------------------------------------------------------------

void TMPHPresentation::SetOffsetFormat(const std::string& value) {
    if (value == offsetFormatText_)
        return;
    offsetFormat_ = value.empty() ? TMPHOffsetFormat{} : TMPHOffsetFormat::Parse(value);
    offsetFormatText_ = value;
    Recount();
}

std::string TMPHPresentation::FormatOffset(std::int64_t position) const {
    if (offsetFormatText_.empty())
        return "";
    return offsetFormat_.Format(position, OffsetUnit(), hexLowerCase_);
}

int TMPHPresentation::RulerUnit() const {
    return rulerBytesPerUnit_ == -1 ? bytesPerUnit_ : rulerBytesPerUnit_;
}

int TMPHPresentation::OffsetUnit() const {
    if (offsetFormat_.Flags & TMPHOffsetFormat::kUnitBytesPerRow)
        return bytesPerRow_;
    if (offsetFormat_.Flags & TMPHOffsetFormat::kUnitBytesPerColumn)
        return bytesPerColumn_;
    if (offsetFormat_.Flags & TMPHOffsetFormat::kUnitRulerBytesPerUnit)
        return RulerUnit();
    return offsetFormat_.Unit;
}

// ---- Look -----------------------------------------------------------------------

void TMPHPresentation::SetFont(const std::string& name, int height) {
    fontName_ = name;
    fontHeight_ = height;
}

// ---- Bookmarks --------------------------------------------------------------------

TMPHBookmark TMPHPresentation::Bookmark(int index) const {
    CheckBookmarkIndex(index);
    return bookmarks_[index];
}

void TMPHPresentation::SetBookmark(int index, std::int32_t position, bool inCharField) {
    CheckBookmarkIndex(index);
    TMPHBookmark& bookmark = bookmarks_[index];
    if (bookmark.Position == position && bookmark.InCharField == inCharField)
        return;
    bookmark = {position, inCharField};
    document_.BookmarkChanged();
}

// ---- Grid -------------------------------------------------------------------------

void TMPHPresentation::Recount() {
    const std::int64_t size = document_.DataSize();
    std::int64_t dataRows = (size + bytesPerRow_ - 1) / bytesPerRow_;
    if (document_.InsertMode() && size % bytesPerRow_ == 0)
        ++dataRows;
    rowCount_ = static_cast<int>(std::max<std::int64_t>(dataRows, 1)) + FixedRows;
    colCount_ = unicodeChars_ ? 2 * bytesPerRow_ + bytesPerRow_ / 2 + 3 : 3 * bytesPerRow_ + 3;
    if (offsetFormat_.Flags & TMPHOffsetFormat::kAutoWidth)
        offsetFormat_.MinDigits = offsetFormat_.DigitCount(LastRowPosition(), OffsetUnit());
}

std::int64_t TMPHPresentation::LastRowPosition() const {
    return std::int64_t{rowCount_ - FixedRows - 1} * bytesPerRow_;
}
