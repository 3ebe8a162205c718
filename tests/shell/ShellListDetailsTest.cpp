#include "shell/ShellListDetails.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "ShellTestSupport.h"
#include "StubShellFolder.h"
#include "framework/Bitmap.h"
#include "platform/SizeText.h"
#include "shell/HeaderSortArrow.h"
#include "shell/ShellList.h"

namespace {

// A folder that describes five columns, of which the third is not shown by
// default, and offers IShellFolder2 only when asked to.
class FiveColumnFolder final : public StubShellFolder {
  public:
    explicit FiveColumnFolder(bool offersFolder2) : offersFolder2_(offersFolder2) {}
    HRESULT QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IShellFolder ||
            (iid == IID_IShellFolder2 && offersFolder2_)) {
            *object = static_cast<IShellFolder2*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT GetDefaultColumnState(UINT column, SHCOLSTATEF* state) override {
        if (column >= 5)
            return E_INVALIDARG;
        *state = column == 2 ? SHCOLSTATE_TYPE_STR : SHCOLSTATE_ONBYDEFAULT;
        return S_OK;
    }
    HRESULT GetDetailsOf(LPCITEMIDLIST, UINT column, SHELLDETAILS* details) override {
        if (column >= 5)
            return E_INVALIDARG;
        details->fmt = column == 1 ? LVCFMT_CENTER : 7;  // 7: no defined alignment
        details->cxChar = 10 + static_cast<int>(column);
        details->str.uType = STRRET_CSTR;
        std::snprintf(details->str.cStr, MAX_PATH, "col%u", column);
        return S_OK;
    }

    ULONG references = 1;

  private:
    bool offersFolder2_;
};

TEST(ShellListDetailsTest, Adapter_StopsAtTheFirstColumnNotShownByDefault_NoInterfaceNoDetails) {
    FiveColumnFolder folder(true), plain(false);
    {
        ComPtr<IShellDetails> details = FetchShellDetails(&folder);
        ASSERT_TRUE(details);
        ForgetSavedColumnWidthsForTest();
        TRzShellList list(nullptr);
        EXPECT_FALSE(BuildDetailsColumns(list, details.Get(), ""));
        ASSERT_EQ(list.ColumnCount(), 2);
        EXPECT_EQ(list.Column(1).Caption, "col1");
        EXPECT_EQ(list.Column(1).Alignment, caCenter);
        EXPECT_EQ(list.Column(0).Alignment, caLeft);
        EXPECT_EQ(list.ColumnWidth(1), 11 * 7);
        ComPtr<IShellDetails> same = details.As<IShellDetails>(IID_IShellDetails);
        EXPECT_TRUE(same);
        EXPECT_FALSE(details.As<IShellFolder>(IID_IShellFolder));
        EXPECT_EQ(details->ColumnClick(0), E_NOTIMPL);
    }
    EXPECT_EQ(folder.references, 1u);  // the adapter let the folder go
    EXPECT_FALSE(FetchShellDetails(&plain));
}

TEST(ShellListDetailsTest, SizeText_KilobytesRoundedUpWithGroups) {
    const struct {
        std::uint64_t bytes;
        const char* text;
    } cases[] = {{0, "0KB"}, {1, "1KB"}, {1024, "1KB"}, {1025, "2KB"}, {1536 * 1024, "1,536KB"}};
    for (const auto& c : cases)
        EXPECT_EQ(SizeText(c.bytes), c.text) << c.bytes;
}

TEST(ShellListDetailsTest, SavedWidths_RestoreAsManyAsBothHave) {
    TRzShellList wide(nullptr), narrow(nullptr);
    wide.BeginColumnUpdate();
    wide.ClearColumns();
    for (int width : {11, 22, 33})
        wide.AddColumn("c", width, caLeft);
    wide.EndColumnUpdate();
    ForgetSavedColumnWidthsForTest();
    RestoreColumnWidths(narrow);  // nothing saved: nothing happens
    SaveColumnWidths(wide);
    narrow.BeginColumnUpdate();
    narrow.ClearColumns();
    narrow.AddColumn("a", 5, caLeft);
    narrow.AddColumn("b", 6, caLeft);
    narrow.EndColumnUpdate();
    RestoreColumnWidths(narrow);
    EXPECT_EQ(narrow.ColumnWidth(0), 11);
    EXPECT_EQ(narrow.ColumnWidth(1), 22);
    ForgetSavedColumnWidthsForTest();
}

class BuiltInDetailsTest : public ShellTest {};

TEST_F(BuiltInDetailsTest, BuiltInColumnsAndTexts) {
    std::string folder = MakeHomeFolder("builtin");
    WriteFileBytes(folder + "/one", "x");
    const timespec when[2] = {{1181910600, 0}, {1181910600, 0}};  // 2007-06-15 12:30 UTC
    utimensat(AT_FDCWD, (folder + "/one").c_str(), when, 0);
    std::filesystem::create_directory(folder + "/dir");
    TRzShellList list(nullptr);
    {
        OwnedIdList place(ListOf(folder));
        list.SetFolderIdList(place.Get());
    }
    ForgetSavedColumnWidthsForTest();
    BuildBuiltInColumns(list);
    ASSERT_EQ(list.ColumnCount(), 4);
    const int widths[] = {200, 60, 100, 120};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(list.ColumnWidth(i), widths[i]);
    EXPECT_EQ(list.Column(1).Alignment, caRight);

    ASSERT_EQ(list.ItemCount(), 2);
    TRzShellListData& dir = *list.ShellListData(0);
    TRzShellListData& file = *list.ShellListData(1);
    FillBuiltInDetails(dir, SFGAO_FILESYSTEM | SFGAO_FOLDER);
    FillBuiltInDetails(file, SFGAO_FILESYSTEM);
    EXPECT_EQ(*dir.CachedDetail(1), "");
    EXPECT_EQ(*file.CachedDetail(1), "1KB");
    EXPECT_FALSE(file.CachedDetail(2)->empty());
    EXPECT_EQ(*file.CachedDetail(3), "2007-06-15 12:30");  // as the folder's own column
    list.SetColumnWidth(0, 230);
    SaveColumnWidths(list);
    BuildBuiltInColumns(list);  // same shape: the saved widths come back
    EXPECT_EQ(list.ColumnWidth(0), 230);
    ForgetSavedColumnWidthsForTest();
    std::filesystem::remove_all(folder);
}

// The arrow in each placement: where its box goes and which way it points.
TEST(HeaderSortArrowTest, LayoutAndPixelsInEachPlacement) {
    const TRect text = Rect(4, 0, 116, 24);
    const TRect box = SortArrowBox(text);
    EXPECT_EQ(box, Rect(4, 5, 16, 16));
    const struct {
        THeaderSortDisplayMode mode;
        TColumnAlignment alignment;
        int boxLeft;
        int textLeft, textRight;
    } cases[] = {
        {hsdmLeftAlign, caLeft, 4, 21, 116},
        {hsdmRightOfText, caLeft, 4 + 30 + 5, 4, 116},
        {hsdmRightOfText, caRight, 116 - 5 - 12, 4, 116 - 5 - 12 - 5},
        {hsdmRightOfText, caCenter, 116 - 5 - 12, 4 + 17, 116 - 17},
        {hsdmRightAlign, caLeft, 116 - 5 - 12, 4, 116 - 5 - 12 - 5},
    };
    for (const auto& c : cases) {
        THeaderItemLayout layout =
            LayoutHeaderItem({c.mode, c.alignment, true, 120, text, /*TextWidth*/ 30});
        EXPECT_TRUE(layout.HasArrow) << c.mode;
        EXPECT_EQ(layout.ArrowBox.Left, c.boxLeft) << c.mode << "/" << c.alignment;
        EXPECT_EQ(layout.TextRect.Left, c.textLeft) << c.mode << "/" << c.alignment;
        EXPECT_EQ(layout.TextRect.Right, c.textRight) << c.mode << "/" << c.alignment;
    }
    EXPECT_FALSE(LayoutHeaderItem({hsdmRightAlign, caLeft, false, 120, text, 30}).HasArrow);
    EXPECT_FALSE(LayoutHeaderItem({hsdmNone, caLeft, true, 120, text, 30}).HasArrow);
    EXPECT_FALSE(LayoutHeaderItem({hsdmRightAlign, caLeft, true, 24, text, 30}).HasArrow);

    // 11 px high box: an 8-row triangle 15 px wide standing on the box's bottom.
    for (bool ascending : {true, false}) {
        TBitmap bitmap(40, 30);
        TCanvas canvas(bitmap);
        canvas.Brush.Color = clWhite;
        canvas.FillRect(Rect(0, 0, 40, 30));
        DrawSortArrow(canvas, Rect(10, 5, 21, 16), ascending);
        const int top = 16 - 8, bottom = 15;
        const int wideRow = ascending ? top : bottom, pointRow = ascending ? bottom : top;
        EXPECT_EQ(canvas.Pixel(8, wideRow), ColorToRGB(clBtnShadow)) << ascending;
        EXPECT_EQ(canvas.Pixel(22, wideRow), ColorToRGB(clBtnShadow)) << ascending;
        EXPECT_EQ(canvas.Pixel(7, wideRow), ColorToRGB(clWhite)) << ascending;
        EXPECT_EQ(canvas.Pixel(15, pointRow), ColorToRGB(clBtnShadow)) << ascending;
        EXPECT_EQ(canvas.Pixel(14, pointRow), ColorToRGB(clWhite)) << ascending;
        EXPECT_EQ(canvas.Pixel(15, top - 1), ColorToRGB(clWhite)) << ascending;
    }
}

}  // namespace
