#include "hexdoc/MPHPresentation.h"

#include <gtest/gtest.h>

#include "hexdoc/HexdocTestUtil.h"
#include "hexdoc/MPHDocument.h"
#include "hexdoc/MPHexEditorError.h"
#include "support/MessageOf.h"

TEST(Bookmarks, TenIndicesAndAChangeNotice) {
    TCustomMPHexEditor doc;
    TMPHPresentation& view = doc.Presentation();
    int notices = 0;
    doc.OnBookmarkChanged = [&](TObject*) { ++notices; };
    EXPECT_EQ(view.Bookmark(9).Position, -1);
    view.SetBookmark(9, 40, true);
    view.SetBookmark(9, 40, true);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(view.Bookmark(9).Position, 40);
    EXPECT_TRUE(view.Bookmark(9).InCharField);
    EXPECT_EQ(MessageOf<EMPHexEditor>([&] { view.SetBookmark(10, 0, false); }),
              "Invalid bookmark index");
    EXPECT_THROW(view.Bookmark(-1), EMPHexEditor);
}

TEST(Grid, CountsFollowDataAndSettings) {
    TCustomMPHexEditor doc;
    TMPHPresentation& view = doc.Presentation();
    EXPECT_EQ(view.RowCount(), 3);
    EXPECT_EQ(view.ColCount(), 51);
    LoadBytes(doc, Pattern(300));
    EXPECT_EQ(view.RowCount(), 21);
    LoadBytes(doc, Pattern(32));
    EXPECT_EQ(view.RowCount(), 4);
    doc.SetInsertMode(true);
    EXPECT_EQ(view.RowCount(), 5);
    view.SetBytesPerRow(8);
    EXPECT_EQ(view.ColCount(), 27);
    view.SetBytesPerUnit(2);
    EXPECT_EQ(view.RowCount(), 7);
    view.SetBytesPerUnit(2);
    view.SetUnicodeChars(true);
    EXPECT_EQ(view.ColCount(), 2 * 8 + 4 + 3);
    doc.SetInsertMode(false);
    ASSERT_TRUE(doc.OpenZeroGap(0, 8));  // 48 bytes
    EXPECT_EQ(view.RowCount(), 8);
}

TEST(Grid, BytesPerRowAndUnicodeChecks) {
    TCustomMPHexEditor doc;
    TMPHPresentation& view = doc.Presentation();
    for (int bad : {0, -1, 257})
        EXPECT_EQ(MessageOf<EMPHexEditor>([&] { view.SetBytesPerRow(bad); }),
                  "Invalid bytes per line argument");
    view.SetBytesPerRow(256);
    view.SetBytesPerRow(1);
    EXPECT_EQ(MessageOf<EMPHexEditor>([&] { view.SetBytesPerColumn(2); }),
              "Invalid bytes per column argument");
    view.SetBytesPerRow(16);
    EXPECT_EQ(MessageOf<EMPHexEditor>([&] { view.SetUnicodeChars(true); }),
              "BytesPerUnit must be set to 2 in unicode mode");
    EXPECT_EQ(MessageOf<EMPHexEditor>([&] { view.SetBytesPerUnit(3); }),
              "Invalid bytes per unit value 3, allowed: 1,2,4,8");
    EXPECT_EQ(MessageOf<EMPHexEditor>([&] { view.SetRulerBytesPerUnit(0); }),
              "Invalid ruler bytes per unit value 0, allowed: -1,1,2,4,8");
    view.SetBytesPerUnit(2);
    view.SetTranslation(tkMac);
    EXPECT_EQ(MessageOf<EMPHexEditor>([&] { view.SetUnicodeChars(true); }),
              "Translations cannot be used in unicode mode");
    view.SetTranslation(tkAsIs);
    LoadBytes(doc, "odd");
    EXPECT_EQ(MessageOf<EMPHexEditor>([&] { view.SetUnicodeChars(true); }),
              "Cannot use unicode mode with odd-sized files");
    LoadBytes(doc, "even");
    view.SetUnicodeChars(true);
    EXPECT_EQ(MessageOf<EMPHexEditor>([&] { view.SetBytesPerRow(15); }),
              "Invalid bytes per line argument");
    EXPECT_EQ(MessageOf<EMPHexEditor>([&] { view.SetTranslation(tkDos8); }),
              "Translations cannot be used in unicode mode");
}

TEST(Offsets, AutomaticWidthFollowsTheLastRow) {
    TCustomMPHexEditor doc;
    TMPHPresentation& view = doc.Presentation();
    view.SetOffsetFormat("-!10:0x|");
    LoadBytes(doc, Pattern(300));
    EXPECT_EQ(doc.GetOffsetText(0), "0x000");
    EXPECT_EQ(doc.GetOffsetText(288), "0x120");
    LoadBytes(doc, Pattern(16));
    EXPECT_EQ(doc.GetOffsetText(0), "0x0");
    LoadBytes(doc, Pattern(4097));
    EXPECT_EQ(doc.GetOffsetText(0), "0x0000");
}

TEST(Offsets, UnitsCaseAndHandler) {
    TCustomMPHexEditor doc;
    TMPHPresentation& view = doc.Presentation();
    LoadBytes(doc, Pattern(300));
    EXPECT_EQ(doc.GetOffsetText(5), "");
    EXPECT_EQ(doc.GetPositionText(5), "5");
    view.SetOffsetFormat("8!10:|h");
    EXPECT_EQ(doc.GetOffsetText(0x12A), "0000012Ah");
    view.SetHexLowerCase(true);
    EXPECT_EQ(doc.GetOffsetText(0x12A), "0000012ah");
    view.SetOffsetFormat("R%10:|");
    EXPECT_EQ(doc.GetOffsetText(32), "2");
    view.SetBytesPerRow(8);
    EXPECT_EQ(doc.GetOffsetText(32), "4");
    view.SetOffsetFormat("%A:|");
    view.SetRulerBytesPerUnit(4);
    EXPECT_EQ(doc.GetOffsetText(40), "10");
    doc.OnGetOffsetText = [](TCustomMPHexEditor&, std::int64_t position, std::string& text) {
        text.assign(1, '@').append(std::to_string(position));
    };
    EXPECT_EQ(doc.GetOffsetText(7), "@7");
    EXPECT_EQ(doc.GetPositionText(7), "@7");
}

TEST(Offsets, BadFormatKeepsThePreviousOne) {
    TCustomMPHexEditor doc;
    TMPHPresentation& view = doc.Presentation();
    view.SetOffsetFormat("-!10:0x|");
    EXPECT_THROW(view.SetOffsetFormat("11:|"), EMPHexEditor);
    EXPECT_EQ(view.OffsetFormat(), "-!10:0x|");
    EXPECT_EQ(doc.GetOffsetText(0), "0x0");
    view.SetOffsetFormat("");
    EXPECT_EQ(doc.GetOffsetText(0), "");
}

TEST(Colors, ChangedValueNotifiesOnce) {
    TMPHColors colors;
    EXPECT_EQ(colors.Get(TMPHColors::ChangedBackground), TColor{11075583});
    int notified = 0;
    colors.OnChange = [&] { ++notified; };
    colors.Set(TMPHColors::Grid, clBtnFace);
    EXPECT_EQ(notified, 0);
    colors.Set(TMPHColors::Grid, clRed);
    TMPHColors other;
    colors.Assign(other);
    EXPECT_EQ(notified, 2);
    EXPECT_EQ(colors.Get(TMPHColors::Grid), clBtnFace);
}
