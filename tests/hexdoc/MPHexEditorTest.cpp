#include "hexdoc/MPHexEditor.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/Bitmap.h"
#include "framework/Cursor.h"
#include "framework/Font.h"
#include "hexdoc/HexdocTestUtil.h"
#include "hexdoc/MPHexEditorError.h"
#include "support/MessageOf.h"
#include "support/TempDir.h"

TEST(Hourglass, ShownWhileLoadingAndSavingAndTakenDownAfter) {
    TempDir dir;
    WriteFileBytes(dir.File("big"), Pattern(200000));
    TMPHexEditor doc;
    std::vector<TCursor> seen;
    bool cancelSave = false;
    doc.OnProgress = [&](TCustomMPHexEditor&, TMPHProgressKind kind, const std::string&,
                         std::uint8_t, bool& cancel) {
        seen.push_back(Screen->Cursor());
        cancel = kind == pkSave && cancelSave;
    };
    doc.LoadFromFile(dir.File("big"));
    EXPECT_EQ(Screen->Cursor(), crDefault);
    doc.SaveToFile(dir.File("out"), false);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    cancelSave = true;
    EXPECT_THROW(doc.SaveToFile(dir.File("out"), false), EMPHexEditor);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_EQ(seen, std::vector<TCursor>(9, crHourGlass));
}

TEST(OffsetColumn, WidthCountsLettersW) {
    TMPHexEditor doc;
    doc.Presentation().SetOffsetFormat("-!10:0x|");
    LoadBytes(doc, Pattern(300));
    const int w = TextWidth(TFont{.Name = "Courier New", .Height = -15}, "w");
    ASSERT_GT(w, 0);
    EXPECT_EQ(doc.OffsetColumnWidth(), 6 * w + 21);
    doc.Presentation().SetGutterWidth(40);
    EXPECT_EQ(doc.OffsetColumnWidth(), 40);
}

TEST(BookmarkBitmap, OnlyTenByTwoHundredIsAccepted) {
    TMPHexEditor doc;
    EXPECT_TRUE(doc.BookmarkBitmap().Empty());
    doc.SetBookmarkBitmap(TBitmap(10, 200, clRed));
    EXPECT_EQ(doc.BookmarkBitmap().Pixel(9, 199), clRed);
    for (TBitmap bitmap : {TBitmap(), TBitmap(11, 200), TBitmap(10, 199), TBitmap(200, 10)}) {
        EXPECT_EQ(MessageOf<EMPHexEditor>([&] { doc.SetBookmarkBitmap(bitmap); }),
                  "Invalid bookmark bitmap (must be 10 x 200 px)");
    }
    EXPECT_EQ(doc.BookmarkBitmap().Width(), 10);
    EXPECT_EQ(doc.BookmarkBitmap().Pixel(0, 0), clRed);
}
