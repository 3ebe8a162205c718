#include "hexdoc/MPHexEditor.h"

#include <memory>

#include "framework/Cursor.h"
#include "framework/Font.h"
#include "hexdoc/MPHexEditorError.h"

TMPHexEditor::TMPHexEditor() {
    SetBusyIndicator([] { return std::make_shared<TCursorScope>(crHourGlass); });
}

int TMPHexEditor::OffsetColumnWidth() {
    const TMPHPresentation& presentation = Presentation();
    if (presentation.GutterWidth() != -1)
        return presentation.GutterWidth();
    auto letters = static_cast<int>(GetOffsetText(presentation.LastRowPosition()).size()) + 1;
    TFont font{.Name = presentation.FontName(), .Height = presentation.FontHeight()};
    return letters * TextWidth(font, "w") + 21;
}

void TMPHexEditor::SetBookmarkBitmap(const TBitmap& bitmap) {
    if (bitmap.Width() != kBookmarkBitmapWidth || bitmap.Height() != kBookmarkBitmapHeight)
        throw EMPHexEditor(mphmsg::kInvalidBookmarkBitmap);
    bookmarkBitmap_ = bitmap;
}
