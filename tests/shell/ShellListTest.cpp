#include "shell/ShellList.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QHeaderView>
#include <QListView>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>
#include <algorithm>
#include <ctime>
#include <filesystem>
#include <set>

#include "../support/MessageOf.h"
#include "ShellListTestSupport.h"
#include "framework/Bitmap.h"
#include "framework/Exception.h"
#include "platform/DeviceChanges.h"
#include "shell/DeviceChangeHandler.h"
#include "shell/FolderRefresh.h"
#include "shell/ShellListDetails.h"
#include "shell/ShellPaths.h"

namespace {

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

    // The file replaced under its name keeps its place; the new names come
    // at the end.
    std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[0], "b.txt");
    EXPECT_EQ(names[1], "r.txt");
    EXPECT_EQ(std::set<std::string>(names.begin() + 2, names.end()),
              (std::set<std::string>{"d.txt", "e.txt"}));
    EXPECT_EQ(list_.SelectedIndexes(), std::vector<int>{0});
    EXPECT_EQ(fills_, 1);
    EXPECT_FALSE(list_.Window().HasTimer(TRzShellList::kRefreshTimer));
}

// Files replaced under their names (as an editor or the stamp command
// replaces them: a new copy renamed over the old) keep their rows: the list
// keeps its order, the selection made with the mouse and its scroll place,
// and the rows show the new size.
TEST_F(ShellListTest, Refresh_FilesReplacedUnderTheirNames_KeepRowsSelectionAndScroll) {
    for (int i = 10; i < 70; ++i)
        Make("photo" + std::to_string(i) + ".jpg");
    list_.SetViewStyle(vsReport);
    list_.SetMultiSelect(true);
    Show(folder_);
    const std::vector<std::string> before = Names();
    QTreeView* view = list_.ReportView();
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
    const int scrolled = view->verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);
    const QModelIndex top = view->indexAt(QPoint(5, 5));
    const QModelIndex next = top.sibling(top.row() + 2, 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(top).center());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      view->visualRect(next).center());
    ASSERT_EQ(list_.SelectedIndexes(), (std::vector<int>{top.row(), next.row()}));

    for (int row : {0, top.row(), next.row(), list_.ItemCount() - 1}) {
        const std::string path = folder_ + "/" + before[row];
        WriteFileBytes(path + ".new", std::string(5000, 'x'));
        ASSERT_EQ(rename((path + ".new").c_str(), path.c_str()), 0);
    }
    RefreshAfterChange();

    EXPECT_EQ(Names(), before);
    EXPECT_EQ(list_.SelectedIndexes(), (std::vector<int>{top.row(), next.row()}));
    EXPECT_EQ(view->verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(Cell(top.row(), 1), "5 KB");
    EXPECT_EQ(Cell(top.row() + 1, 1), "1 KB");
    EXPECT_EQ(Cell(list_.ItemCount() - 1, 1), "5 KB");
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
        EXPECT_EQ(list_.ActiveView()->selectionModel(), list_.SelectionModelForTest());
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

TEST_F(ShellListTest, Report_ColumnsWidthsAndTexts) {
    Make("small", std::string(1, 'x'));
    Make("large", std::string(3000, 'x'));
    Make("mid", std::string(1500, 'x'));
    ForgetSavedColumnWidthsForTest();
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

    // A descending column past the last one goes back to the first at the
    // next rebuild, as an ascending one does.
    list_.SetSortColumn(-5);
    Show(TestHome());
    EXPECT_EQ(list_.SortColumn(), 1);
}

// Every column sorts on a click on its header section: ascending first,
// descending on the next click, and the arrow is drawn in that section, its
// direction following.
TEST_F(ShellListTest, HeaderClick_EveryColumnSortsUpThenDown_TheArrowFollows) {
    const struct {
        const char* name;
        int bytes;
        std::time_t modified;
    } kFiles[] = {{"a.txt", 1, 3000000}, {"b.jpg", 3000, 2000000}, {"c.png", 1500, 1000000}};
    for (const auto& file : kFiles) {
        Make(file.name, std::string(file.bytes, 'x'));
        const timespec when[2] = {{file.modified, 0}, {file.modified, 0}};
        utimensat(AT_FDCWD, (folder_ + "/" + file.name).c_str(), when, 0);
    }
    list_.SetViewStyle(vsReport);
    Show(folder_);
    QHeaderView* header = list_.ReportView()->header();
    auto section = [header](int column) {
        return header
            ->grab(QRect(header->sectionViewportPosition(column), 0, header->sectionSize(column),
                         header->height()))
            .toImage();
    };
    auto byType = [this] {
        std::vector<std::pair<QString, std::string>> rows;
        for (int i = 0; i < list_.ItemCount(); ++i)
            rows.emplace_back(QString::fromStdString(Cell(i, 2)).toCaseFolded(), Names()[i]);
        std::sort(rows.begin(), rows.end());
        std::vector<std::string> names;
        for (const auto& row : rows)
            names.push_back(row.second);
        return names;
    };
    const std::vector<std::string> kBySize{"a.txt", "c.png", "b.jpg"};
    const std::vector<std::string> kByTime{"c.png", "b.jpg", "a.txt"};
    const std::vector<std::string> kByName{"a.txt", "b.jpg", "c.png"};
    for (int column : {1, 2, 3, 0}) {
        const QImage unsorted = section(column);
        const QPoint centre(
            header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
        const std::vector<std::string> up = column == 1   ? kBySize
                                            : column == 2 ? byType()
                                            : column == 3 ? kByTime
                                                          : kByName;
        EXPECT_EQ(Names(), up) << column;
        EXPECT_EQ(list_.SortColumn(), column + 1);
        EXPECT_EQ(list_.HeaderSortColumn(), column);
        EXPECT_TRUE(list_.HeaderSortAscending());
        const QImage ascending = section(column);
        EXPECT_NE(ascending, unsorted) << column;

        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
        EXPECT_EQ(Names(), std::vector<std::string>(up.rbegin(), up.rend())) << column;
        EXPECT_EQ(list_.SortColumn(), -(column + 1));
        EXPECT_FALSE(list_.HeaderSortAscending());
        EXPECT_NE(section(column), ascending) << column;
    }
}

// Names sort in natural order, and a click on the Name header reverses it.
TEST_F(ShellListTest, NameSort_NaturalOrderAndItsReverse) {
    for (const char* name : {"file_10", "file_2", "File_3", "file_1"})
        Make(name);
    list_.SetViewStyle(vsReport);
    Show(folder_);
    const std::vector<std::string> kNatural{"file_1", "file_2", "File_3", "file_10"};
    EXPECT_EQ(Names(), kNatural);
    QHeaderView* header = list_.ReportView()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionSize(0) / 2, header->height() / 2));
    EXPECT_EQ(Names(), std::vector<std::string>(kNatural.rbegin(), kNatural.rend()));
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
    list_.RecreateWndForTest();
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
    EXPECT_TRUE(list_.RefreshPendingForTest());
    EXPECT_EQ(list_.ItemCount(), 2);
    list_.EndOutgoingDrag(false);
    EXPECT_EQ(list_.ItemCount(), 3);
    EXPECT_FALSE(list_.RefreshPendingForTest());
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

}  // namespace
