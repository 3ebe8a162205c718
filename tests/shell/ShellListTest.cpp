#include "shell/ShellList.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>

#include "../support/MessageOf.h"
#include "ShellTestSupport.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Exception.h"
#include "platform/DeviceChanges.h"
#include "platform/ShellClipboard.h"
#include "shell/DeviceChangeHandler.h"
#include "shell/FolderRefresh.h"
#include "shell/ListItemModel.h"
#include "shell/QtDropBridge.h"
#include "shell/ShellListDetails.h"
#include "shell/ShellPaths.h"

namespace {

// A folder tree double that records what the list asks of it.
class RecordingTree : public TComponent, public IShellTreeLink {
  public:
    RecordingTree() : TComponent(nullptr) {}
    TComponent* LinkComponent() override { return this; }
    TRzShellLocator* SelectedFolder() override { return &selected; }
    void SelectAncestor(int levels) override { ancestorRequests.push_back(levels); }
    void FlushPending(bool flushLinkedList) override {
        flushes.push_back(flushLinkedList);
        if (onFlush)
            onFlush();
    }

    TRzShellLocator selected;
    // The tree's pending action, carried out by a flush.
    std::function<void()> onFlush;
    std::vector<int> ancestorRequests;
    std::vector<bool> flushes;
};

class ShellListTest : public ShellTest {
  protected:
    ShellListTest() : folder_(MakeHomeFolder("list")) {
        list_.SetBounds(0, 0, 640, 480);
        list_.Widget()->show();
        list_.OnFillComplete = [this](TObject*) { ++fills_; };
        Application->SetPresenter(
            [this](const MessageBoxRequest& box) { boxes_.push_back(box.Text); });
    }
    ~ShellListTest() override {
        Application->SetPresenter({});
        std::filesystem::remove_all(folder_);
    }

    void Make(const std::string& name, const std::string& bytes = "x") {
        WriteFileBytes(folder_ + "/" + name, bytes);
    }
    void Show(const std::string& path) {
        OwnedIdList place(ListOf(path));
        list_.SetFolderIdList(place.Get());
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (int i = 0; i < list_.ItemCount(); ++i)
            names.push_back(list_.ShellListData(i)->FileName());
        return names;
    }
    std::string Cell(int row, int column) {
        return list_.Model()->index(row, column).data().toString().toStdString();
    }
    // Waits for the watcher's message, then runs the refresh timer as if it
    // had expired.
    void RefreshAfterChange() {
        ASSERT_TRUE(
            PumpUntil([this] { return list_.Window().HasTimer(TRzShellList::kRefreshTimer); }));
        list_.Perform(WM_TIMER, TRzShellList::kRefreshTimer);
    }

    std::string folder_;
    TRzShellList list_{nullptr};
    int fills_ = 0;
    std::vector<std::string> boxes_;
};

TEST_F(ShellListTest, Fill_ShellOrder_HiddenDimmed_FirstFocusedNoneSelected) {
    Make("b.jpg");
    Make("A.txt");
    Make(".hidden");
    std::filesystem::create_directory(folder_ + "/sub");
    Show(folder_);

    EXPECT_EQ(Names(), (std::vector<std::string>{"sub", ".hidden", "A.txt", "b.jpg"}));
    for (int i = 0; i < list_.ItemCount(); ++i)
        EXPECT_EQ(list_.Item(i).Cut, Names()[i] == ".hidden") << Names()[i];
    EXPECT_EQ(list_.FocusedIndex(), 0);
    EXPECT_TRUE(list_.SelectedIndexes().empty());
    EXPECT_TRUE(list_.ShellListData(0)->IsFolder());
    EXPECT_FALSE(list_.ShellListData(3)->IsFolder());
    EXPECT_EQ(list_.ShellListData(3)->PathName(), folder_ + "/b.jpg");
    EXPECT_EQ(Cell(3, 0), "b.jpg");
    EXPECT_EQ(fills_, 1);
}

TEST_F(ShellListTest, Computer_DrivesWithEmptyFileNames_RefilledWhenAMountArrives) {
    TestMountTable mounts;
    OwnedIdList computer;
    ASSERT_EQ(GetSpecialFolderLocation(0, CSIDL_DRIVES, computer.Out()), S_OK);
    list_.SetFolderIdList(computer.Get());
    const int before = list_.ItemCount();
    ASSERT_GE(before, 1);
    EXPECT_EQ(list_.FolderPath(), "");

    mounts.Write("30 1 8:2 / " + mounts.Folder() + " rw - ext4 /dev/sdb1 rw\n");
    PostMessage(TRzDeviceChangeHandler::Get()->Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    ASSERT_TRUE(PumpUntil([&] { return list_.ItemCount() == before + 1; }));
    for (int i = 0; i < list_.ItemCount(); ++i) {
        EXPECT_EQ(list_.ShellListData(i)->FileName(), "");
        EXPECT_FALSE(list_.ShellListData(i)->PathName().empty());
    }
}

TEST_F(ShellListTest, Refresh_AfterRealChanges_KeepsPlaceAndSelection_AppendsNewOnes) {
    for (const char* name : {"a.txt", "b.txt", "c.txt", "r.txt"})
        Make(name);
    Show(folder_);
    list_.SetSelected(1, true);  // b.txt
    fills_ = 0;

    Make("d.txt");
    unlink((folder_ + "/a.txt").c_str());
    rename((folder_ + "/c.txt").c_str(), (folder_ + "/e.txt").c_str());
    Make("r.new", "rewritten");  // a rewrite through a temporary file and a rename
    rename((folder_ + "/r.new").c_str(), (folder_ + "/r.txt").c_str());
    RefreshAfterChange();

    std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[0], "b.txt");
    EXPECT_EQ(std::set<std::string>(names.begin() + 1, names.end()),
              (std::set<std::string>{"d.txt", "e.txt", "r.txt"}));
    EXPECT_EQ(list_.SelectedIndexes(), std::vector<int>{0});
    EXPECT_EQ(fills_, 1);
    EXPECT_FALSE(list_.Window().HasTimer(TRzShellList::kRefreshTimer));
}

TEST_F(ShellListTest, Refresh_ABurstOfChangesStartsOneTimer_AndAVanishedFolderEmptiesTheList) {
    Make("keep.txt");
    Show(folder_);
    fills_ = 0;
    for (int i = 0; i < 200; ++i)
        Make("burst" + std::to_string(i));
    ASSERT_TRUE(PumpUntil([this] { return list_.Window().HasTimer(TRzShellList::kRefreshTimer); }));
    EXPECT_EQ(fills_, 0);
    list_.Perform(WM_TIMER, TRzShellList::kRefreshTimer);
    EXPECT_EQ(list_.ItemCount(), 201);
    EXPECT_EQ(fills_, 1);

    std::filesystem::remove_all(folder_);
    list_.RefreshItems();
    EXPECT_EQ(list_.ItemCount(), 0);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ShellListTest, FileFilter_MasksAndFolders) {
    for (const char* name : {"one.jpg", "two.JPG", "three.txt", "four.png"})
        Make(name);
    std::filesystem::create_directory(folder_ + "/dir");
    Show(folder_);
    const struct {
        const char* filter;
        std::vector<std::string> names;
    } cases[] = {
        {"*", {"dir", "four.png", "one.jpg", "three.txt", "two.JPG"}},
        {"*.*", {"dir", "four.png", "one.jpg", "three.txt", "two.JPG"}},
        {"*.jpg;;*.txt", {"dir", "one.jpg", "three.txt", "two.JPG"}},
        {"t*", {"dir", "three.txt", "two.JPG"}},
        {"", {"dir", "four.png", "one.jpg", "three.txt", "two.JPG"}},
    };
    for (const auto& c : cases) {
        list_.SetFileFilter(c.filter);  // refills at once
        EXPECT_EQ(Names(), c.names) << c.filter;
    }
}

TEST_F(ShellListTest, FourViews_ShareOneSelection_AndTheSameStyleChangesNothing) {
    for (int i = 0; i < 40; ++i)
        Make("f" + std::to_string(100 + i));
    Show(folder_);
    list_.SetMultiSelect(true);
    list_.SetSelected(2, true);
    list_.SetSelected(5, true);
    for (TViewStyle style : {vsSmallIcon, vsList, vsReport, vsIcon}) {
        list_.SetViewStyle(style);
        EXPECT_EQ(list_.SelectedIndexes(), (std::vector<int>{2, 5})) << style;
        EXPECT_EQ(list_.ActiveView()->selectionModel(), list_.SelectionModel());
        EXPECT_TRUE(list_.ActiveView()->isVisible());
    }
    list_.SetViewStyle(vsReport);
    QApplication::processEvents();
    list_.ReportView()->verticalScrollBar()->setValue(30);
    list_.SetViewStyle(vsReport);
    EXPECT_EQ(list_.ReportView()->verticalScrollBar()->value(), 30);
}

// A long name without spaces wraps onto two lines under its icon; once the
// focused item is selected, the rest of its name shows below its cell.
TEST_F(ShellListTest, Icons_LongNameWrapsOntoTwoLines_TheFocusedSelectedOneShowsWhole) {
    Make("a_very_long_photo_name_without_any_spaces_in_it_2007.jpg");
    Make("b.jpg");
    list_.SetViewStyle(vsIcon);
    Show(folder_);
    QListView* view = list_.IconView();
    const QRect cell = view->visualRect(list_.Model()->index(0, 0));
    EXPECT_EQ(view->visualRect(list_.Model()->index(1, 0)).size(), cell.size());
    const QColor base = view->palette().color(QPalette::Base);
    // The first and last rows under the icon where something is drawn.
    auto inkRows = [&] {
        const QImage image = view->viewport()->grab().toImage();
        int first = -1, last = -1;
        for (int y = cell.top() + 3 + view->iconSize().height(); y < image.height(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                if (image.pixelColor(x, y) != base) {
                    first = first < 0 ? y : first;
                    last = y;
                    break;
                }
        return std::pair{first, last};
    };
    const int line = view->fontMetrics().lineSpacing();
    auto [first, last] = inkRows();
    EXPECT_GT(last - first, line) << "two lines";
    EXPECT_LE(last, cell.bottom());

    list_.SetSelected(0, true);
    EXPECT_GT(inkRows().second, cell.bottom() + line / 2);
}

TEST_F(ShellListTest, Wheel_ScrollsLinesTimes32InIconView_AndTimes16Otherwise) {
    for (int i = 0; i < 400; ++i)
        Make("w" + std::to_string(1000 + i));
    Show(folder_);
    const int lines = QApplication::wheelScrollLines();
    for (auto [style, step] : {std::pair{vsIcon, 32}, std::pair{vsReport, 16}}) {
        list_.SetViewStyle(style);
        QApplication::processEvents();
        list_.ActiveView()->doItemsLayout();
        QScrollBar* bar = list_.ActiveView()->verticalScrollBar();
        bar->setValue(0);
        list_.WheelNotches(-1);
        EXPECT_EQ(bar->value(), lines * step) << style;
    }
}

TEST_F(ShellListTest, Report_ColumnsWidthsTextsAndHeaderClickToggle) {
    Make("small", std::string(1, 'x'));
    Make("large", std::string(3000, 'x'));
    Make("mid", std::string(1500, 'x'));
    ForgetSavedColumnWidths();
    list_.SetViewStyle(vsReport);
    Show(folder_);

    ASSERT_EQ(list_.ColumnCount(), 4);
    EXPECT_EQ(list_.Column(0).Caption, "Name");
    EXPECT_EQ(list_.Column(1).Alignment, caRight);
    EXPECT_EQ(list_.ColumnWidth(0), 25 * 7);  // the folder's suggestion, 7 px a character
    EXPECT_EQ(list_.ReportView()->header()->sectionSize(0), 25 * 7);
    EXPECT_EQ(Names(), (std::vector<std::string>{"large", "mid", "small"}));
    EXPECT_FALSE(Cell(0, 1).empty());
    EXPECT_EQ(Cell(0, 5), "");

    QHeaderView* header = list_.ReportView()->header();
    emit header->sectionClicked(1);
    EXPECT_EQ(list_.SortColumn(), 2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"small", "mid", "large"}));
    EXPECT_TRUE(list_.HeaderSortAscending());
    emit header->sectionClicked(1);
    EXPECT_EQ(list_.SortColumn(), -2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"large", "mid", "small"}));
    EXPECT_FALSE(list_.HeaderSortAscending());
    emit header->sectionClicked(0);
    EXPECT_EQ(list_.SortColumn(), 1);
    EXPECT_EQ(list_.HeaderSortColumn(), 0);

    // A descending column past the last one goes back to the first at the
    // next rebuild, as an ascending one does.
    list_.SetSortColumn(-5);
    Show(TestHome());
    EXPECT_EQ(list_.SortColumn(), 1);
}

// The Modified text is the locale's short date and time (the ISO form under
// the C locale), and it shows whole in its column in the list's font.
TEST_F(ShellListTest, Report_ModifiedIsTheLocalesShortDateAndTime_AndFitsItsColumn) {
    Make("photo.jpg");
    const timespec when[2] = {{1181910600, 0}, {1181910600, 0}};  // 2007-06-15 12:30 UTC
    utimensat(AT_FDCWD, (folder_ + "/photo.jpg").c_str(), when, 0);
    list_.SetViewStyle(vsReport);
    Show(folder_);
    QTreeView* view = list_.ReportView();
    const int margins =
        2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
    const QLocale before;
    const struct {
        const char* locale;
        const char* text;
    } cases[] = {{"C", "2007-06-15 12:30"},
                 {"ru_RU", "15.06.2007 12:30"},
                 {"de_DE", "15.06.07 12:30"},
                 {"en_GB", "15/06/2007 12:30"}};
    for (const auto& c : cases) {
        QLocale::setDefault(QLocale(c.locale));
        list_.FillList();
        EXPECT_EQ(Cell(0, 3), c.text) << c.locale;
        EXPECT_LE(view->fontMetrics().horizontalAdvance(QString::fromStdString(Cell(0, 3))),
                  list_.ColumnWidth(3) - margins)
            << c.locale;
    }
    QLocale::setDefault(before);
}

TEST_F(ShellListTest, Report_ResizedWidthsCarryToAnotherFolderOfTheSameShape) {
    std::string other = MakeHomeFolder("other");
    list_.SetViewStyle(vsReport);
    Show(folder_);
    list_.SetColumnWidth(0, 260);
    Show(other);
    EXPECT_EQ(list_.ColumnWidth(0), 260);
    EXPECT_EQ(list_.ReportView()->header()->sectionSize(0), 260);
    std::filesystem::remove_all(other);
}

TEST_F(ShellListTest, Report_HeaderDrawsTheArrowOnlyOnTheSortColumnAndNotInModeNone) {
    list_.SetViewStyle(vsReport);
    Show(folder_);
    QHeaderView* header = list_.ReportView()->header();
    auto shadowPixels = [&](int section) {
        QImage image = header->grab().toImage();
        const QColor shadow = ToQColor(clBtnShadow);
        int count = 0;
        const int left = header->sectionViewportPosition(section);
        for (int x = left + 4; x < left + header->sectionSize(section) - 4; ++x)
            for (int y = 3; y < image.height() - 3; ++y)
                count += image.pixelColor(x, y) == shadow;
        return count;
    };
    EXPECT_GT(shadowPixels(0), 10);
    EXPECT_EQ(shadowPixels(2), 0);
    list_.SetHeaderSortDisplayMode(hsdmNone);
    EXPECT_LT(shadowPixels(0), 10);
}

TEST_F(ShellListTest, Tree_ListNavigationWritesTheTreesSelection_AndTheTreeDrivesTheList) {
    std::filesystem::create_directory(folder_ + "/sub");
    Make("sub/inner.txt");
    RecordingTree tree;
    list_.SetLinkedTree(&tree);
    Show(folder_);
    // Places, not bytes: an id list holds its folders' times, and other tests
    // change the temporary folder's meanwhile.
    EXPECT_EQ(tree.selected.PathName(), folder_);

    list_.OpenItem(0);  // "sub": the tree is moved, the list waits for it
    EXPECT_EQ(tree.selected.PathName(), folder_ + "/sub");
    list_.SetFolderIdList(tree.selected.IdList());  // the tree's answer
    EXPECT_EQ(Names(), std::vector<std::string>{"inner.txt"});

    Make("sub/more.txt");
    RefreshAfterChange();
    // Opening flushed the tree's delay first, then the refresh did (a change
    // seen while the files were made may add one more), never the list's own.
    EXPECT_GE(tree.flushes.size(), 2u);
    EXPECT_EQ(std::count(tree.flushes.begin(), tree.flushes.end(), true), 0);
    EXPECT_EQ(list_.ItemCount(), 2);
}

TEST_F(ShellListTest, BadInput_NonUtf8NamesKeepTheirBytes_AndAMissingFolderFailsQuietly) {
    const std::string odd = "\xff\xfe-photo.jpg";
    Make(odd);
    Show(folder_);
    ASSERT_EQ(list_.ItemCount(), 1);
    EXPECT_EQ(list_.ShellListData(0)->FileName(), odd);
    EXPECT_FALSE(list_.Model()->index(0, 0).data().toString().isEmpty());

    std::string gone = MakeHomeFolder("gone");
    OwnedIdList place(ListOf(gone));
    std::filesystem::remove_all(gone);
    // The folder cannot be read: a silent abort passes to the caller, and the
    // deferred fill swallows it without a box.
    EXPECT_THROW(list_.SetFolderIdList(place.Get()), EAbort);
    EXPECT_EQ(list_.ItemCount(), 0);
    list_.Perform(TRzShellList::kDeferredFillMessage);
    EXPECT_EQ(list_.ItemCount(), 0);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ShellListTest, RecreatedWindow_StartsEmptyAndRefillsFromTheDeferredMessage) {
    Make("x.txt");
    Show(folder_);
    list_.RecreateWnd();
    EXPECT_EQ(list_.ItemCount(), 0);
    list_.Perform(TRzShellList::kDeferredFillMessage);
    EXPECT_EQ(list_.ItemCount(), 1);
}

TEST_F(ShellListTest, Options_LinksMarked_ShowHiddenOffRefreshes_DeferredWhileDragging) {
    Make("plain.txt");
    Make(".secret");
    symlink((folder_ + "/plain.txt").c_str(), (folder_ + "/shortcut").c_str());
    Show(folder_);
    ASSERT_EQ(Names(), (std::vector<std::string>{".secret", "plain.txt", "shortcut"}));
    EXPECT_EQ(list_.Item(2).OverlayIndex, 1);
    EXPECT_EQ(list_.Item(1).OverlayIndex, -1);

    int deleted = 0;
    list_.OnDeleteItem = [&](TObject*, TListItem&, TRzShellListData* record) {
        deleted += record != nullptr;
    };
    list_.SetOptions(kDefaultShellListOptions & ~OptionBit(sloShowHidden));
    EXPECT_EQ(Names(), (std::vector<std::string>{"plain.txt", "shortcut"}));
    EXPECT_EQ(deleted, 1);

    list_.BeginOutgoingDrag();
    Make("dropped.txt");
    list_.RefreshItems();
    EXPECT_TRUE(list_.RefreshPending());
    EXPECT_EQ(list_.ItemCount(), 2);
    list_.EndOutgoingDrag(false);
    EXPECT_EQ(list_.ItemCount(), 3);
    EXPECT_FALSE(list_.RefreshPending());
}

TEST_F(ShellListTest, LabelEdit_RenamesOnDisk_OrKeepsTheCaptionWhenTheRenameFails) {
    Make("old.txt");
    Make("taken.txt");
    Show(folder_);
    QAbstractItemModel* model = list_.Model();
    EXPECT_TRUE(model->setData(model->index(0, 0), "new.txt", Qt::EditRole));
    EXPECT_TRUE(std::filesystem::exists(folder_ + "/new.txt"));
    EXPECT_EQ(list_.ShellListData(0)->FileName(), "new.txt");
    EXPECT_EQ(Cell(0, 0), "new.txt");

    EXPECT_FALSE(model->setData(model->index(0, 0), "taken.txt", Qt::EditRole));
    EXPECT_EQ(Cell(0, 0), "new.txt");
    EXPECT_EQ(boxes_.size(), 1u);
}

// The edit starts from the name as the shell gives it for renaming; an
// untouched name that is not UTF-8 keeps its bytes and renames nothing, an
// edited one keeps the bytes its escapes stand for.
TEST_F(ShellListTest, LabelEdit_StartsFromTheEditingName_AnUntouchedOddNameStays) {
    Make("caf\xE9.txt");
    Show(folder_);
    QAbstractItemModel* model = list_.Model();
    const QModelIndex first = model->index(0, 0);
    EXPECT_EQ(Cell(0, 0), "caf\\xE9.txt");
    EXPECT_EQ(first.data(Qt::EditRole).toString(), QString("caf\\xE9.txt"));
    EXPECT_FALSE(model->setData(first, QString("caf\\xE9.txt"), Qt::EditRole));
    EXPECT_EQ(Names(), std::vector<std::string>{"caf\xE9.txt"});
    // An edit elsewhere keeps the escaped byte; a typed-over one goes.
    EXPECT_TRUE(model->setData(first, QString("caf\\xE9-2.txt"), Qt::EditRole));
    EXPECT_EQ(Names(), std::vector<std::string>{"caf\xE9-2.txt"});
    EXPECT_TRUE(model->setData(first, "cafe.txt", Qt::EditRole));
    EXPECT_EQ(Names(), std::vector<std::string>{"cafe.txt"});
    EXPECT_TRUE(boxes_.empty());
}

// Whether a row may be renamed is asked when an edit starts, not of every
// row each time a view lays its rows out.
TEST_F(ShellListTest, LabelEdit_TheViewOpensAnEditorOnlyOnRowsThatMayBeRenamed) {
    Make("mine.txt");
    const std::string trash = TestHome() + "/.local/share/Trash/files";
    std::filesystem::create_directories(trash);
    WriteFileBytes(trash + "/binned.txt", "x");
    for (const auto& [folder, opens] : {std::pair{folder_, true}, std::pair{trash, false}}) {
        Show(folder);
        ASSERT_EQ(list_.ItemCount(), 1) << folder;
        list_.ActiveView()->edit(list_.Model()->index(0, 0));
        EXPECT_EQ(list_.IsEditing(), opens) << folder;
        if (auto* editor = list_.ActiveView()->findChild<QLineEdit*>())
            QTest::keyClick(editor, Qt::Key_Escape);
    }
    std::filesystem::remove(trash + "/binned.txt");
}

TEST_F(ShellListTest, Frame_OnTheBorderRing_BoldWhenHotTrackedAndFocused) {
    const TColor shadow = ColorToRGB(clBtnShadow), window = ColorToRGB(clWindow);
    auto ring = [this](int inset) { return TBitmap(list_.Grab()).Pixel(inset, 100); };
    list_.SetFrameVisible(true);
    EXPECT_EQ(ring(0), shadow);
    EXPECT_EQ(ring(1), window);
    list_.SetFrameHotTrack(true);
    list_.Widget()->activateWindow();
    list_.SetFocus();
    ASSERT_TRUE(PumpUntil([this] { return list_.Focused(); }));
    EXPECT_EQ(ring(0), shadow);
    EXPECT_EQ(ring(1), shadow);
    list_.SetFrameSides(sdTop);
    EXPECT_EQ(ring(0), window);

    // Background by state: FocusColor while focused, DisabledColor while disabled.
    auto base = [this] { return list_.ActiveView()->palette().color(QPalette::Base); };
    list_.SetFocusColor(clYellow);
    EXPECT_EQ(base(), ToQColor(clYellow));
    list_.SetEnabled(false);
    EXPECT_EQ(base(), ToQColor(clBtnFace));
}

TEST_F(ShellListTest,
       FolderChange_ATreeThatAnswersAtOnceCausesOneFill_AndFlushRunsAPendingRefresh) {
    std::filesystem::create_directory(folder_ + "/sub");
    RecordingTree tree;
    // The real tree answers a SelectedFolder write by writing the list's
    // Folder while the list is still changing folder.
    tree.selected.OnChange = [&] { list_.SetFolderIdList(tree.selected.IdList()); };
    list_.SetLinkedTree(&tree);
    int changed = 0;
    list_.OnFolderChanged = [&](TObject*) { ++changed; };
    Show(folder_);
    EXPECT_EQ(fills_, 1);
    EXPECT_EQ(changed, 1);

    Make("late.txt");
    list_.Window().SetTimer(TRzShellList::kRefreshTimer, kChangeDelayMs);
    list_.FlushPendingAction();
    EXPECT_FALSE(list_.Window().HasTimer(TRzShellList::kRefreshTimer));
    EXPECT_EQ(Names(), (std::vector<std::string>{"sub", "late.txt"}));
    tree.selected.OnChange = nullptr;
}

TEST_F(ShellListTest, RefreshTimer_TreeMovingTheListDuringItsFlush_ShowsTheNewFolder) {
    std::filesystem::create_directory(folder_ + "/sub");
    RecordingTree tree;
    list_.SetLinkedTree(&tree);
    Show(folder_);
    WriteFileBytes(folder_ + "/sub/inner.jpg", "x");
    // A keyboard move in the tree is still pending when the list's refresh
    // timer flushes it.
    tree.onFlush = [&] { Show(folder_ + "/sub"); };
    list_.Window().SetTimer(TRzShellList::kRefreshTimer, kChangeDelayMs);
    list_.Perform(WM_TIMER, TRzShellList::kRefreshTimer);

    EXPECT_EQ(Names(), (std::vector<std::string>{"inner.jpg"}));
    EXPECT_EQ(list_.Folder().PathName(), folder_ + "/sub");
    tree.onFlush = nullptr;
    list_.SetLinkedTree(nullptr);
}

TEST_F(ShellListTest, SingleSelect_KeepsOneRow_AndARowWithoutARecordIsAnInvalidCast) {
    for (const char* name : {"a", "b", "c"})
        Make(name);
    Show(folder_);
    list_.SetMultiSelect(false);
    QAbstractItemView* view = list_.ActiveView();
    view->selectionModel()->select(list_.Model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
    view->setCurrentIndex(list_.Model()->index(2, 0));
    EXPECT_EQ(list_.SelectedIndexes(), std::vector<int>{2});

    list_.AddItem().Caption = "plain";
    EXPECT_EQ(MessageOf<Exception>([&] { list_.ShellListData(3); }), "Invalid class typecast");
    EXPECT_EQ(Cell(3, 0), "plain");
}

TEST_F(ShellListTest, ItemFilter_FoldersHiddenOnlyWhileLinked_MasksIgnoredWithoutAPath) {
    Make("photo.jpg");
    std::filesystem::create_directory(folder_ + "/sub");
    list_.SetOptions(kDefaultShellListOptions | OptionBit(sloHideFoldersWhenLinkedToTree));
    Show(folder_);
    EXPECT_EQ(Names(), (std::vector<std::string>{"sub", "photo.jpg"}));  // no tree yet
    RecordingTree tree;
    list_.SetLinkedTree(&tree);
    EXPECT_TRUE(list_.HidesFolders());
    list_.FillList();
    EXPECT_EQ(Names(), std::vector<std::string>{"photo.jpg"});
    list_.SetLinkedTree(nullptr);

    TestMountTable mounts;
    OwnedIdList computer;
    ASSERT_EQ(GetSpecialFolderLocation(0, CSIDL_DRIVES, computer.Out()), S_OK);
    list_.SetFolderIdList(computer.Get());
    const int drives = list_.ItemCount();
    list_.SetFileFilter("*.jpg");
    EXPECT_EQ(list_.ItemCount(), drives);
    EXPECT_GE(drives, 1);
}

// A shortcut file whose LinkInfo names `target` as its local base path.
std::string ShortcutTo(const std::string& target) {
    auto u32 = [](std::uint32_t v) {
        return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    const std::string header = u32(76) +
                               std::string("\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 16) +
                               u32(2) + std::string(52, '\0');
    const std::uint32_t size = 28 + static_cast<std::uint32_t>(target.size()) + 2;
    return header + u32(size) + u32(28) + u32(1) + u32(0) + u32(28) + u32(0) +
           u32(28 + target.size() + 1) + target + '\0' + '\0';
}

class ShellListCommandTest : public ShellListTest {
  protected:
    ShellListCommandTest() { ClearClipboard(); }
    ~ShellListCommandTest() override { ClearClipboard(); }

    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(list_.ActiveView(), static_cast<Qt::Key>(key), modifiers);
    }
    void SelectOnly(const std::string& name) {
        list_.ClearSelection();
        const std::vector<std::string> names = Names();
        const int index =
            static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
        ASSERT_LT(index, list_.ItemCount()) << name;
        list_.SetSelected(index, true);
        list_.SetFocusedIndex(index);
    }

    RecordingPrompts prompts_;
    TShellPromptsScope scope_{prompts_};
};

TEST_F(ShellListCommandTest, Keys_EnterBackspaceAndTheTable_OtherKeysPassThrough) {
    std::filesystem::create_directory(folder_ + "/sub");
    Make("sub/inner.txt");
    Make("a.txt");
    Make("b.txt");
    list_.SetReadOnly(true);
    Show(folder_);
    SelectOnly("sub");
    Key(Qt::Key_Return);
    EXPECT_EQ(Names(), std::vector<std::string>{"inner.txt"});
    Key(Qt::Key_Backspace);
    EXPECT_EQ(list_.FolderPath(), folder_);

    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list_.SelectedIndexes().size(), 3u);
    const int fillsBefore = fills_;
    Key(Qt::Key_F5);
    EXPECT_EQ(fills_, fillsBefore + 1);
    SelectOnly("a.txt");
    Key(Qt::Key_F2);  // asked for explicitly, so ReadOnly does not keep it
    EXPECT_TRUE(list_.IsEditing());
    QTest::keyClick(list_.ActiveView()->findChild<QLineEdit*>(), Qt::Key_Escape);
    EXPECT_FALSE(list_.IsEditing());

    list_.SetFocusedIndex(0);
    Key(Qt::Key_End);  // not ours: the view moves the focus
    EXPECT_EQ(list_.FocusedIndex(), 2);

    list_.SetOptions(list_.Options() | OptionBit(sloDontChangeFolder));
    SelectOnly("sub");
    Key(Qt::Key_Return);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(list_.FolderPath(), folder_);
    EXPECT_TRUE(prompts_.opened.empty());
}

TEST_F(ShellListCommandTest, Verbs_CopyPasteDuplicates_CutPasteMoves_DeleteGoesToTheTrash) {
    for (const char* folder : {"/src", "/copies", "/moved"})
        std::filesystem::create_directory(folder_ + folder);
    Make("src/f.jpg", "photo");
    Make("src/g.jpg", "other");
    Show(folder_ + "/src");
    SelectOnly("f.jpg");
    Key(Qt::Key_C, Qt::ControlModifier);
    Show(folder_ + "/copies");
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Names(), std::vector<std::string>{"f.jpg"});
    EXPECT_TRUE(std::filesystem::exists(folder_ + "/src/f.jpg"));

    Show(folder_ + "/src");
    SelectOnly("g.jpg");
    Key(Qt::Key_X, Qt::ControlModifier);
    Show(folder_ + "/moved");
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Names(), std::vector<std::string>{"g.jpg"});
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/src/g.jpg"));

    SelectOnly("g.jpg");
    Key(Qt::Key_Delete);
    Show(folder_ + "/copies");
    SelectOnly("f.jpg");
    Key(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(list_.ItemCount(), 0);
    EXPECT_EQ(prompts_.confirmed,
              (std::vector<std::string>{folder_ + "/moved/g.jpg", folder_ + "/copies/f.jpg"}));
    const std::string trash = std::string(getenv("XDG_DATA_HOME")) + "/Trash/files/";
    EXPECT_TRUE(std::filesystem::exists(trash + "g.jpg"));
    EXPECT_TRUE(std::filesystem::exists(trash + "f.jpg"));
    std::filesystem::remove_all(std::string(getenv("XDG_DATA_HOME")) + "/Trash");
}

TEST_F(ShellListCommandTest, Open_FilesGoToTheDesktop_ShortcutsToFoldersNavigate) {
    std::filesystem::create_directory(folder_ + "/sub");
    Make("sub/inner.txt");
    Make("a.txt");
    Make("b.txt");
    Make("to-sub.lnk", ShortcutTo(folder_ + "/sub"));
    Make("to-file.lnk", ShortcutTo(folder_ + "/a.txt"));
    Show(folder_);

    SelectOnly("a.txt");
    list_.OpenSelected();
    list_.SetSelected(2, true);  // a.txt and b.txt: one default command for both
    list_.OpenSelected();
    SelectOnly("to-file.lnk");
    list_.OpenSelected();
    EXPECT_EQ(prompts_.opened,
              (std::vector<std::string>{folder_ + "/a.txt", folder_ + "/a.txt", folder_ + "/b.txt",
                                        folder_ + "/to-file.lnk"}));

    bool handled = true;
    list_.OnDblClickOpen = [&](TObject*, bool& h) { h = handled; };
    SelectOnly("b.txt");
    list_.OpenSelected();
    EXPECT_EQ(prompts_.opened.size(), 4u);

    SelectOnly("to-sub.lnk");
    list_.OpenSelected();
    EXPECT_EQ(Names(), std::vector<std::string>{"inner.txt"});
}

TEST_F(ShellListCommandTest, GoUp_FromADriveToComputer_TheTreeGoesUpWhenLinked) {
    TestMountTable mounts;
    OwnedIdList computer;
    ASSERT_EQ(GetSpecialFolderLocation(0, CSIDL_DRIVES, computer.Out()), S_OK);
    list_.SetFolderIdList(computer.Get());
    list_.OpenItem(0);
    ASSERT_NE(IdListBytes(list_.FolderIdList()), IdListBytes(computer.Get()));
    list_.GoUp();
    EXPECT_EQ(IdListBytes(list_.FolderIdList()), IdListBytes(computer.Get()));
    list_.GoUp();
    EXPECT_EQ(IdListCount(list_.FolderIdList()), 0);  // the desktop
    list_.GoUp();
    EXPECT_EQ(IdListCount(list_.FolderIdList()), 0);

    RecordingTree tree;
    list_.SetLinkedTree(&tree);
    list_.GoUp();
    EXPECT_EQ(tree.ancestorRequests, std::vector<int>{1});
}

TEST_F(ShellListCommandTest, ContextMenu_ShellVerbsWithHints_RenameOnlyWhenNotReadOnly) {
    Make("a.txt");
    Show(folder_);
    SelectOnly("a.txt");
    std::vector<std::string> hints;
    list_.OnPopupHint = [&](TObject*, const std::string& hint) { hints.push_back(hint); };

    // Opens the menu with a right click and picks `caption` from it.
    auto choose = [&](const QString& caption) {
        QStringList captions;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            QAction* chosen = nullptr;
            for (QAction* action : menu->actions()) {
                captions << action->text();
                if (action->text() == caption)
                    chosen = action;
            }
            if (chosen == nullptr) {
                menu->close();
                return;
            }
            menu->setActiveAction(chosen);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QWidget* viewport = list_.ActiveView()->viewport();
        const QPoint at = list_.ActiveView()->visualRect(list_.Model()->index(0, 0)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
        return captions;
    };
    list_.SetReadOnly(true);
    EXPECT_FALSE(choose("&Copy").contains("Rena&me"));
    EXPECT_EQ(FilesOnClipboard().Paths, std::vector<std::string>{folder_ + "/a.txt"});
    ASSERT_FALSE(hints.empty());
    EXPECT_FALSE(hints.front().empty());

    list_.SetReadOnly(false);
    EXPECT_TRUE(choose("Rena&me").contains("Rena&me"));
    EXPECT_TRUE(list_.IsEditing());
}

// ------------------------------------------------------------- drag and drop

QMimeData* UriMime(const std::string& uris) {
    auto* mime = new QMimeData;
    mime->setData("text/uri-list", QByteArray(uris.data(), static_cast<qsizetype>(uris.size())));
    return mime;
}

class ShellListDragTest : public ShellListCommandTest {
  protected:
    struct DragSeen {
        DWORD hover = DROPEFFECT_NONE;
        int highlighted = -1;
        DWORD dropped = DROPEFFECT_NONE;
    };

    // A refresh appends what came, so the order is the fill's no more.
    std::vector<std::string> SortedNames() {
        std::vector<std::string> names = Names();
        std::sort(names.begin(), names.end());
        return names;
    }
    QWidget* Viewport() const { return list_.ActiveView()->viewport(); }
    QPoint ItemPoint(int index) const {
        QAbstractItemView* view = list_.ActiveView();
        return Viewport()->mapTo(list_.Widget(),
                                 view->visualRect(list_.Model()->index(index, 0)).center());
    }
    QPoint EmptySpace() const { return QPoint(list_.Width() - 20, list_.Height() - 20); }

    // A drag over the list to `at` (list coordinates) and its drop, delivered
    // as Qt delivers a drag from anywhere.
    DragSeen DragTo(const QMimeData& mime, QPoint at, Qt::MouseButtons buttons,
                    Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction) {
        const QPoint p = Viewport()->mapFrom(list_.Widget(), at);
        DragSeen seen;
        QDragEnterEvent enter(p, actions, &mime, buttons, {});
        QApplication::sendEvent(Viewport(), &enter);
        QDragMoveEvent move(p, actions, &mime, buttons, {});
        QApplication::sendEvent(Viewport(), &move);
        seen.hover = move.isAccepted() ? EffectsOf(move.dropAction()) : DROPEFFECT_NONE;
        seen.highlighted = list_.DropHighlighted();
        QDropEvent drop(p, actions, &mime, Qt::NoButton, {});
        QApplication::sendEvent(Viewport(), &drop);
        seen.dropped = drop.isAccepted() ? EffectsOf(drop.dropAction()) : DROPEFFECT_NONE;
        return seen;
    }
    void SendMouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        const QPoint p = Viewport()->mapFrom(list_.Widget(), at);
        QMouseEvent event(type, p, Viewport()->mapToGlobal(p), button, held, {});
        QApplication::sendEvent(Viewport(), &event);
    }
    // A press on `at` and a move past the drag distance with the button held;
    // with `menu` the desktop asks for a context menu after the press.
    void MouseDrag(Qt::MouseButton button, QPoint at, bool menu = false) {
        SendMouse(QEvent::MouseButtonPress, at, button, button);
        if (menu) {
            const QPoint p = Viewport()->mapFrom(list_.Widget(), at);
            QContextMenuEvent request(QContextMenuEvent::Mouse, p, Viewport()->mapToGlobal(p));
            QApplication::sendEvent(Viewport(), &request);
        }
        SendMouse(QEvent::MouseMove, at + QPoint(QApplication::startDragDistance() + 4, 0),
                  Qt::NoButton, button);
    }
};

TEST_F(ShellListDragTest, DropsFromAnotherProgram_LandOnTheFolderItemOrTheShownFolder) {
    std::filesystem::create_directory(folder_ + "/sub");
    Make("keep.txt");
    const std::string source = MakeHomeFolder("source");
    WriteFileBytes(source + "/p.jpg", "p");
    WriteFileBytes(source + "/q.jpg", "q");
    Show(folder_);
    ASSERT_TRUE(list_.DropTargetRegistered());
    const int before = fills_;

    std::unique_ptr<QMimeData> onItem(UriMime("file://" + source + "/p.jpg\r\n"));
    const DragSeen item = DragTo(*onItem, ItemPoint(0), Qt::LeftButton, Qt::CopyAction);
    EXPECT_EQ(item.hover, DROPEFFECT_COPY);
    EXPECT_EQ(item.highlighted, 0);
    EXPECT_EQ(item.dropped, DROPEFFECT_COPY);
    EXPECT_EQ(ReadFileBytes(folder_ + "/sub/p.jpg"), "p");

    std::unique_ptr<QMimeData> onSpace(UriMime("file://" + source + "/q.jpg\r\n"));
    const DragSeen space = DragTo(*onSpace, EmptySpace(), Qt::LeftButton);
    EXPECT_EQ(space.highlighted, -1);
    EXPECT_EQ(space.dropped, DROPEFFECT_MOVE) << "a plain drop moves on one file system";
    EXPECT_EQ(ReadFileBytes(folder_ + "/q.jpg"), "q");
    EXPECT_FALSE(std::filesystem::exists(source + "/q.jpg"));
    EXPECT_EQ(SortedNames(), (std::vector<std::string>{"keep.txt", "q.jpg", "sub"}));
    EXPECT_EQ(fills_, before + 2) << "each drop refreshes";
    EXPECT_EQ(list_.DropHighlighted(), -1);

    list_.SetViewStyle(vsList);
    list_.SetViewStyle(vsIcon);
    EXPECT_TRUE(Viewport()->acceptDrops()) << "after the view changed its shape";
    list_.SetOptions(kDefaultShellListOptions & ~OptionBit(sloOleDrop));
    EXPECT_FALSE(list_.DropTargetRegistered());
    EXPECT_FALSE(Viewport()->acceptDrops());
}

TEST_F(ShellListDragTest, OwnDragOntoItsEmptySpace_LeftDoesNothing_RightOffersACopy) {
    Make("a.jpg", "a");
    Show(folder_);
    SelectOnly("a.jpg");
    DragSeen seen;
    list_.SetDragLoop([&](QMimeData* mime, DWORD allowed, int button) {
        std::unique_ptr<QMimeData> owned(mime);
        EXPECT_TRUE(list_.OwnDragRunning());
        seen = DragTo(*mime, EmptySpace(), button == 1 ? Qt::RightButton : Qt::LeftButton,
                      ActionsOf(allowed));
        return seen.dropped;
    });
    list_.StartOutgoingDrag(0);
    EXPECT_EQ(seen.hover, DROPEFFECT_NONE);
    EXPECT_EQ(seen.dropped, DROPEFFECT_NONE);
    EXPECT_TRUE(prompts_.dropMenus.empty());

    list_.StartOutgoingDrag(1);
    EXPECT_EQ(seen.hover, DROPEFFECT_COPY);
    EXPECT_EQ(seen.dropped, DROPEFFECT_COPY);
    using Menu = std::pair<DWORD, DWORD>;
    EXPECT_EQ(prompts_.dropMenus,
              (std::vector<Menu>{{DROPEFFECT_COPY | DROPEFFECT_LINK, DROPEFFECT_COPY}}))
        << "the menu offers no move onto the items' own folder";
    EXPECT_EQ(SortedNames(), (std::vector<std::string>{"a (2).jpg", "a.jpg"}))
        << "refreshed once the drag ended";
    EXPECT_FALSE(list_.OwnDragRunning());
}

TEST_F(ShellListDragTest, MouseDragsCarryTheSelection_RefreshesWaitForTheEnd_NoMenuAfterADrag) {
    Make("a.jpg");
    Make("b c.jpg");
    Show(folder_);
    list_.SetOptions(kDefaultShellListOptions & ~OptionBit(sloContextMenus));
    int menus = 0;
    list_.OnItemContextMenu = [&](TObject*, TListItem*, TPoint&, QMenu*&) { ++menus; };
    list_.SetSelected(0, true);
    list_.SetSelected(1, true);
    list_.SetFocusedIndex(1);
    std::vector<int> buttons;
    DWORD allowed = 0;
    std::unique_ptr<QMimeData> carried;
    list_.SetDragLoop([&](QMimeData* mime, DWORD effects, int button) {
        carried.reset(mime);
        buttons.push_back(button);
        allowed = effects;
        const int shown = list_.ItemCount();
        Make("late.txt");
        list_.RefreshItems();
        EXPECT_EQ(list_.ItemCount(), shown) << "no refresh during the drag";
        return DROPEFFECT_NONE;
    });
    const int before = fills_;
    MouseDrag(Qt::LeftButton, ItemPoint(1));
    ASSERT_EQ(buttons, std::vector<int>{0});
    EXPECT_EQ(allowed, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK);
    for (const char* format : {"Shell IDList Array", "CF_HDROP", "text/uri-list"})
        EXPECT_TRUE(carried->hasFormat(format)) << format;
    EXPECT_EQ(carried->data("text/uri-list").toStdString(),
              "file://" + folder_ + "/a.jpg\r\nfile://" + folder_ + "/b%20c.jpg\r\n");
    EXPECT_EQ(fills_, before + 1) << "the waiting refresh ran once";
    EXPECT_EQ(list_.ItemCount(), 3);

    list_.SetSelected(0, true);
    MouseDrag(Qt::RightButton, ItemPoint(0), true);
    EXPECT_EQ(buttons, (std::vector<int>{0, 1}));
    SendMouse(QEvent::MouseButtonRelease, ItemPoint(0), Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(menus, 0) << "a right-button drag shows no menu";

    SendMouse(QEvent::MouseButtonPress, ItemPoint(0), Qt::RightButton, Qt::RightButton);
    const QPoint p = Viewport()->mapFrom(list_.Widget(), ItemPoint(0));
    QContextMenuEvent request(QContextMenuEvent::Mouse, p, Viewport()->mapToGlobal(p));
    QApplication::sendEvent(Viewport(), &request);
    EXPECT_EQ(menus, 0) << "the menu waits for the release";
    SendMouse(QEvent::MouseButtonRelease, ItemPoint(0), Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(menus, 1);
}

TEST_F(ShellListDragTest, DropOnTheTrashItem_DeletesTheFileAndLeavesTheShownFolderAlone) {
    const std::string source = MakeHomeFolder("source");
    WriteFileBytes(source + "/p.jpg", "p");
    OwnedIdList desktop;
    ASSERT_EQ(GetSpecialFolderLocation(0, CSIDL_DESKTOP, desktop.Out()), S_OK);
    Show(folder_);  // the desktop is where the list starts: leave and come back
    list_.SetFolderIdList(desktop.Get());
    int trashItem = 0;
    while (trashItem < list_.ItemCount() && Cell(trashItem, 0) != "Trash")
        ++trashItem;
    ASSERT_LT(trashItem, list_.ItemCount());

    std::unique_ptr<QMimeData> mime(UriMime("file://" + source + "/p.jpg\r\n"));
    const DragSeen seen = DragTo(*mime, ItemPoint(trashItem), Qt::LeftButton);
    EXPECT_EQ(seen.hover, DROPEFFECT_MOVE);
    EXPECT_EQ(seen.highlighted, trashItem);
    EXPECT_EQ(seen.dropped, DROPEFFECT_MOVE);
    const std::string trash = std::string(getenv("XDG_DATA_HOME")) + "/Trash";
    EXPECT_EQ(ReadFileBytes(trash + "/files/p.jpg"), "p");
    EXPECT_TRUE(std::filesystem::exists(trash + "/info/p.jpg.trashinfo"));
    EXPECT_FALSE(std::filesystem::exists(source + "/p.jpg"));
    EXPECT_FALSE(std::filesystem::exists(TestDesktop() + "/p.jpg"));
    EXPECT_TRUE(prompts_.errors.empty());
    std::filesystem::remove_all(trash);
    std::filesystem::remove_all(source);
}

TEST_F(ShellListDragTest, MalformedDroppedData_PlacesNothing) {
    Make("keep.txt");
    const std::string source = MakeHomeFolder("source");
    WriteFileBytes(source + "/p.jpg", "p");
    Show(folder_);
    const QByteArray goodUris = QByteArray::fromStdString("file://" + source + "/p.jpg\r\n");
    const struct {
        const char* what;
        std::vector<std::pair<const char*, QByteArray>> formats;
    } cases[] = {
        {"forged id list beside good URIs",
         {{"Shell IDList Array", QByteArray("\xFF\xFF\xFF\x7F", 4)}, {"text/uri-list", goodUris}}},
        {"cut file-drop block beside good URIs",
         {{"CF_HDROP", QByteArray("\x14\0\0", 3)}, {"text/uri-list", goodUris}}},
        {"URIs naming no file",
         {{"text/uri-list", QByteArray("file://\r\nhttp://h/x\r\n..\r\n\xFF")}}},
    };
    for (const auto& c : cases) {
        QMimeData mime;
        for (const auto& [name, bytes] : c.formats)
            mime.setData(name, bytes);
        const DragSeen seen = DragTo(mime, EmptySpace(), Qt::LeftButton);
        EXPECT_EQ(seen.hover, DROPEFFECT_NONE) << c.what << ": no promise the drop breaks";
        EXPECT_EQ(seen.dropped, DROPEFFECT_NONE) << c.what;
        EXPECT_EQ(Names(), std::vector<std::string>{"keep.txt"}) << c.what;
    }
}

}  // namespace
