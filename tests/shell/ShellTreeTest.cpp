#include "shell/ShellTree.h"

#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <vector>

#include "ShellTreeTestSupport.h"
#include "chrome/FrameController.h"
#include "framework/Canvas.h"
#include "framework/Font.h"
#include "platform/Beep.h"
#include "platform/DeviceChanges.h"
#include "shell/DisplayNames.h"
#include "shell/FolderRefresh.h"
#include "shell/LabelText.h"
#include "shell/RzListView.h"
#include "shell/ShellPaths.h"
#include "support/StallGuard.h"

namespace {

TEST_F(ShellTreeTest, NewTree_HasItsDocumentedValuesAndDoesNoShellWork) {
    TRzShellTree fresh(nullptr);
    EXPECT_FALSE(fresh.FrameVisible());
    EXPECT_EQ(fresh.FrameStyle(), fsFlat);
    EXPECT_EQ(fresh.FrameColor(), clBtnShadow);
    EXPECT_FALSE(fresh.FrameHotTrack());
    EXPECT_EQ(fresh.FrameHotStyle(), fsFlatBold);
    EXPECT_EQ(fresh.FrameHotColor(), clBtnShadow);
    EXPECT_EQ(fresh.FrameSides(), sdAllSides);
    EXPECT_EQ(fresh.FramingPreference(), fpXPThemes);
    EXPECT_EQ(fresh.FocusColor(), clWindow);
    EXPECT_EQ(fresh.DisabledColor(), clBtnFace);
    EXPECT_EQ(fresh.Color(), clWindow);
    EXPECT_FALSE(fresh.ParentColor());
    EXPECT_TRUE(fresh.HideSelection());
    EXPECT_FALSE(fresh.ShowRoot());
    EXPECT_EQ(fresh.Options(), 0x3BB);
    EXPECT_EQ(fresh.Width(), 150);
    EXPECT_EQ(fresh.Height(), 150);
    EXPECT_FALSE(fresh.HasNodes());
    EXPECT_EQ(fresh.Watches().Count(), 0);
    fresh.SetColor(clAqua);  // a focus colour equal to the colour follows it
    EXPECT_EQ(fresh.FocusColor(), clAqua);
}

// Read from a form description, the tree fills itself when loading ends,
// not through the message a new window posts.
TEST_F(ShellTreeTest, TreeReadWithItsForm_FillsWhenLoadingEnds) {
    RecordingList other;
    TCustomForm loaded(nullptr);
    loaded.BeginLoading();
    auto* read = new TRzShellTree(&loaded);
    read->SetShellList(&other);
    read->SetParent(&loaded);
    EXPECT_FALSE(read->HasNodes());
    loaded.EndLoading();
    EXPECT_EQ(read->TopCount(), 1);
    EXPECT_EQ(other.folder.PathName(), TestDesktop());
    DeliverPostedMessages();
    EXPECT_EQ(read->TopCount(), 1);
}

TEST_F(ShellTreeTest, FirstFill_ShowsTheDesktopOneLevelDeepAndSelectsIt) {
    ASSERT_EQ(tree->TopCount(), 1);
    EXPECT_TRUE(Root()->isExpanded());
    std::vector<std::string> top = Captions(Root());
    ASSERT_GE(top.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(top.begin(), top.begin() + 3),
              (std::vector<std::string>{"Home", "Computer", "Trash"}));
    EXPECT_EQ(ChildNamed(Root(), "Home")->childCount(), 0);  // levels load on expansion
    EXPECT_TRUE(ChildNamed(Root(), "Home")->HasChildren());
    EXPECT_EQ(tree->Selected(), Root());
    EXPECT_EQ(tree->SelectedFolder()->PathName(), TestDesktop());
    EXPECT_EQ(list.tree, tree);
    EXPECT_EQ(list.folder.PathName(), TestDesktop());
    EXPECT_EQ(tree->PendingActionForTest(), tree->daNone);
    EXPECT_TRUE(tree->Watches().IsWatchedForTest(TestDesktop()));
}

TEST_F(ShellTreeTest, SelectedPathName_IsEmptyForComputerAndThePathForFolders) {
    DesktopFolder dir;
    std::string deep = dir.Make("a/b");
    OwnedIdList computer;
    ASSERT_EQ(GetSpecialFolderLocation(0, CSIDL_DRIVES, computer.Out()), S_OK);
    tree->SelectedFolder()->SetIdList(computer.Get());
    EXPECT_EQ(tree->Selected()->text(0).toStdString(), "Computer");
    EXPECT_EQ(tree->SelectedFolder()->PathName(), "");
    EXPECT_EQ(Navigate("/")->Parent()->text(0).toStdString(), "Computer");
    EXPECT_EQ(tree->SelectedFolder()->PathName(), "/");
    // Missing levels are added on the way; the list follows at once.
    TTreeNode* node = Navigate(deep);
    EXPECT_EQ(node->text(0).toStdString(), "b");
    EXPECT_TRUE(node->Parent()->isExpanded());
    EXPECT_EQ(tree->SelectedFolder()->PathName(), deep);
    EXPECT_EQ(list.shown.back(), deep);
    EXPECT_EQ(tree->PendingActionForTest(), tree->daNone);
    tree->SelectAncestor(1);  // the list's go-up
    EXPECT_EQ(list.shown.back(), dir.Path() + "/a");
}

TEST_F(ShellTreeTest, HiddenAndLinkedFolders_AreGhostedAndMarked_ALinkLoopJustNests) {
    DesktopFolder dir;
    dir.Make(".hidden");
    std::filesystem::create_directory_symlink(".", dir.Path() + "/loop");
    TTreeNode* node = Navigate(dir.Path());
    tree->Expand(node);
    ASSERT_EQ(Captions(node), (std::vector<std::string>{".hidden", "loop"}));
    EXPECT_TRUE(node->Child(0)->Cut);
    EXPECT_EQ(node->Child(0)->OverlayIndex, -1);
    EXPECT_EQ(node->Child(1)->OverlayIndex, 1);
    TTreeNode* deepest = Navigate(dir.Path() + "/loop/loop/loop");
    EXPECT_EQ(deepest->Level(), node->Level() + 3);
    tree->SetOptions(tree->Options() & ~stoShowHidden);
    tree->RefreshTree();
    EXPECT_EQ(Captions(node), (std::vector<std::string>{"loop"}));
    tree->SetOptions(tree->Options() & ~stoDynamicRefresh);
    EXPECT_EQ(tree->Watches().Count(), 0);
}

TEST_F(ShellTreeTest, KeyboardMovesWaitAndOnlyTheLastReachesTheList_AClickIsImmediate) {
    std::size_t before = list.shown.size();
    QTest::keyClick(tree->View(), Qt::Key_Down);  // Home
    QTest::keyClick(tree->View(), Qt::Key_Down);  // Computer
    EXPECT_EQ(tree->PendingActionForTest(), tree->daSelect);
    EXPECT_EQ(tree->DelayTimerForTest().Interval(), TRzCustomShellTree::kSelectDelayMs);
    EXPECT_EQ(tree->SelectedFolder()->PathName(), TestDesktop());
    EXPECT_EQ(list.shown.size(), before);
    FireDelay();
    EXPECT_EQ(tree->Selected()->text(0).toStdString(), "Computer");
    EXPECT_EQ(std::vector<std::string>(list.shown.begin() + before, list.shown.end()),
              (std::vector<std::string>{""}));

    TTreeNode* home = ChildNamed(Root(), "Home");
    QTest::mouseClick(tree->View()->viewport(), Qt::LeftButton, {},
                      tree->View()->visualItemRect(home).center());
    EXPECT_EQ(tree->Selected(), home);
    EXPECT_EQ(tree->PendingActionForTest(), tree->daNone);
    EXPECT_EQ(list.shown.back(), TestHome());
}

// The tree's keys pass the control's OnKeyDown first, as on every windowed
// control, and the form knows the tree as its active control.
TEST_F(ShellTreeTest, KeysReachOnKeyDownFirst_AndTheFocusedTreeIsTheActiveControl) {
    std::vector<int> keys;
    tree->OnKeyDown = [&](TWinControl*, std::uint16_t& key, TShiftState) {
        keys.push_back(key);
        if (key == VK_DOWN)
            key = 0;
    };
    tree->SetFocus();
    EXPECT_EQ(form->ActiveControl(), tree);
    QTest::keyClick(tree->View(), Qt::Key_Down);
    EXPECT_EQ(tree->Selected(), Root());
    QTest::keyClick(tree->View(), Qt::Key_End);  // a key the controls do not map
    EXPECT_EQ(keys, (std::vector<int>{VK_DOWN}));
    EXPECT_NE(tree->Selected(), Root());
}

TEST_F(ShellTreeTest, SelectByIdList_BeepsAndStopsWhereALevelCannotBeAdded) {
    DesktopFolder dir;
    std::string deep = dir.Make("kept/refused/below");
    tree->OnAddItem = [](TObject*, IShellFolder* folder, LPCITEMIDLIST, LPCITEMIDLIST item, ULONG,
                         bool& allow) {
        allow = GetDisplayName(folder, item, nkInFolder) != "refused";
    };
    long beeps = MessageBeepCount();
    TTreeNode* node = Navigate(deep);
    EXPECT_EQ(MessageBeepCount(), beeps + 1);
    EXPECT_EQ(node->text(0).toStdString(), "kept");
    EXPECT_EQ(tree->SelectedFolder()->PathName(), dir.Path() + "/kept");
}

// Changes made by another program reach the tree through the watcher; the
// refresh merges every loaded level and leaves the others alone.
TEST_F(ShellTreeTest, Refresh_MergesOutsideChangesKeepingExpansionAndSelection) {
    DesktopFolder dir;
    dir.Make("b");
    dir.Make("c/deep");
    dir.Make("m");
    TTreeNode* deep = Navigate(dir.Path() + "/c/deep");
    TTreeNode* top = deep->Parent()->Parent();
    tree->Expand(ChildNamed(top, "m"));
    int fills = 0;
    tree->OnFillComplete = [&](TObject*) { ++fills; };

    std::filesystem::remove(dir.Path() + "/c/deep");
    dir.Make("a-new");
    std::filesystem::rename(dir.Path() + "/m", dir.Path() + "/z");
    dir.Make("b/inner");  // under a level never expanded
    form->SetFocus();
    EXPECT_FALSE(tree->Focused());
    EXPECT_EQ(AwaitChange(), kChangeDelayMs);  // not focused
    FireDelay();

    EXPECT_EQ(fills, 1);
    EXPECT_EQ(Captions(top), (std::vector<std::string>{"a-new", "b", "c", "z"}));
    EXPECT_EQ(ChildNamed(top, "b")->childCount(), 0);
    TTreeNode* c = ChildNamed(top, "c");
    EXPECT_TRUE(c->isExpanded());
    EXPECT_EQ(tree->Selected(), c);
    EXPECT_EQ(list.shown.back(), dir.Path() + "/c");
    EXPECT_FALSE(tree->Watches().IsWatchedForTest(dir.Path() + "/m"));
}

// Folders come in natural order, in a level first read and in one merged.
TEST_F(ShellTreeTest, Levels_NamesInNaturalOrder_AlsoAfterARefresh) {
    DesktopFolder dir;
    for (const char* name : {"dir_10", "dir_2", "Dir_3", "dir_1"})
        dir.Make(name);
    TTreeNode* node = Navigate(dir.Path());
    tree->Expand(node);
    EXPECT_EQ(Captions(node), (std::vector<std::string>{"dir_1", "dir_2", "Dir_3", "dir_10"}));
    dir.Make("dir_9");
    tree->RefreshTree();
    EXPECT_EQ(Captions(node),
              (std::vector<std::string>{"dir_1", "dir_2", "Dir_3", "dir_9", "dir_10"}));
}

TEST_F(ShellTreeTest, RefreshOvertakenByAKeyboardMove_StillHappensAfterIt) {
    DesktopFolder dir;
    TTreeNode* node = Navigate(dir.Path());
    tree->Expand(node);
    tree->SetFocus();
    dir.Make("later");
    EXPECT_EQ(AwaitChange(), kChangeDelayFocusedMs);
    QTest::keyClick(tree->View(), Qt::Key_Up);
    FireDelay();  // the selection
    EXPECT_EQ(tree->PendingActionForTest(), tree->daRefresh);
    FireDelay();  // the refresh
    EXPECT_EQ(Captions(node), (std::vector<std::string>{"later"}));
}

// While a menu is open or a label edited, change messages are dropped and a
// refresh waits for the end; the tree's own rename skips one message.
TEST_F(ShellTreeTest, BusyTree_DefersItsRefresh_AndItsOwnRenameSkipsOneChange) {
    DesktopFolder dir;
    TTreeNode* node = Navigate(dir.Path());
    tree->Expand(node);
    tree->SetBusy(true);
    tree->Perform(TRzCustomShellTree::kChangeMessage);
    EXPECT_EQ(tree->PendingActionForTest(), tree->daNone);
    dir.Make("made");
    tree->RefreshTree();
    EXPECT_EQ(node->childCount(), 0);
    tree->SetBusy(false);
    EXPECT_EQ(Captions(node), (std::vector<std::string>{"made"}));
    tree->SkipNextChangeForTest();
    tree->Perform(TRzCustomShellTree::kChangeMessage);
    EXPECT_EQ(tree->PendingActionForTest(), tree->daNone);
    tree->Perform(TRzCustomShellTree::kChangeMessage);
    EXPECT_EQ(tree->PendingActionForTest(), tree->daRefresh);
}

// An unreadable folder shows no box: expanding it adds nothing and keeps the
// button for a retry; a loaded folder that became unreadable loses its nodes.
TEST_F(ShellTreeTest, UnreadableFolders_AreSilentAndLoseTheirChildren) {
    DesktopFolder dir;
    std::string locked = dir.Make("locked/inside");
    chmod(TestHome().c_str(), 0755);
    TTreeNode* inside = Navigate(locked);
    TTreeNode* node = inside->Parent();
    chmod((dir.Path() + "/locked").c_str(), 0);
    setfsuid(65534);
    tree->RefreshTree();
    EXPECT_EQ(node->childCount(), 0);
    EXPECT_EQ(tree->Selected(), node);
    tree->SetExpanded(node, false);
    tree->Expand(node);
    setfsuid(0);
    chmod(TestHome().c_str(), 0700);
    EXPECT_EQ(node->childCount(), 0);
    EXPECT_TRUE(node->HasChildren());
    EXPECT_FALSE(node->isExpanded());
}

TEST_F(ShellTreeTest, NamesThatAreNotUtf8_ReadPlainlyAndKeepTheirBytes) {
    DesktopFolder dir;
    std::string odd = dir.Make("caf\xE9");
    TTreeNode* node = Navigate(odd);
    EXPECT_EQ(node->text(0).toStdString(), "caf\\xE9");
    EXPECT_EQ(tree->SelectedFolder()->PathName(), odd);
    EXPECT_EQ(ReadableText("\xC3\xA9\xFF\xED\xA0\x80"), QString::fromUtf8("é\\xFF\\xED\\xA0\\x80"));
}

TEST_F(ShellTreeTest, UnmountedDrive_DisappearsAfterTheDeviceChange) {
    TestMountTable table;
    std::string mount = table.Folder() + "/stick";
    std::filesystem::create_directories(mount + "/photos");
    table.Write("40 22 8:17 / " + mount + " rw - ext4 /dev/sdb1 rw\n");
    CheckMountTableNow();
    DeliverPostedMessages();
    ASSERT_EQ(Navigate(mount + "/photos")->text(0).toStdString(), "photos");
    TTreeNode* computer = ChildNamed(Root(), "Computer");
    int drives = computer->childCount();
    table.Write("");
    CheckMountTableNow();
    DeliverPostedMessages();
    EXPECT_EQ(computer->childCount(), drives - 1);
    EXPECT_EQ(tree->Selected(), computer);
    EXPECT_EQ(tree->SelectedFolder()->PathName(), "");
}

TEST_F(ShellTreeTest, RemovedList_IsUnlinked) {
    auto* other = new RecordingList();
    tree->SetShellList(other);
    EXPECT_EQ(list.tree, nullptr);
    EXPECT_EQ(other->folder.PathName(), TestDesktop());
    delete other;
    EXPECT_EQ(tree->ShellList(), nullptr);
}

// The border ring: background colour of the state, then the frame.
TEST_F(ShellTreeTest, FrameAndColourStates_ReadBackAsPixels) {
    struct Case {
        bool visible, hotTrack, focused, enabled;
        TFrameStyle style;
        TColor outer, inner;
    } cases[] = {
        {false, false, false, true, fsFlat, clBtnShadow, cl3DDkShadow},
        {true, false, false, true, fsFlat, clRed, clWindow},
        {true, false, true, true, fsFlat, clRed, clYellow},
        {true, true, true, true, fsFlat, clBlue, clBlue},  // hot: fsFlatBold in blue
        {true, false, false, false, fsFlat, clRed, clGray},
        {true, false, false, true, fsLowered, clBtnShadow, cl3DDkShadow},
    };
    QApplication::setActiveWindow(form->Widget());
    tree->SetFocusColor(clYellow);
    tree->SetDisabledColor(clGray);
    tree->SetFrameColor(clRed);
    tree->SetFrameHotColor(clBlue);
    for (const Case& c : cases) {
        tree->SetFrameVisible(c.visible);
        tree->SetFrameHotTrack(c.hotTrack);
        tree->SetFrameStyle(c.style);
        tree->SetEnabled(c.enabled);
        if (c.focused)
            tree->SetFocus();
        else
            form->SetFocus();
        QImage shot = form->Grab();
        EXPECT_EQ(PixelAt(shot, 0, 300), ColorToRGB(c.outer)) << c.visible << c.focused;
        EXPECT_EQ(PixelAt(shot, 1, 300), ColorToRGB(c.inner)) << c.visible << c.focused;
    }
    // The Qt view's pixels are part of the picture: the root's caption is drawn.
    QImage shot = form->Grab();
    QRect caption = tree->View()->visualItemRect(Root()).translated(2, 2);
    int ink = 0;
    for (int x = caption.left(); x <= caption.right(); ++x)
        ink += PixelAt(shot, x, caption.center().y()) != ColorToRGB(clWindow);
    EXPECT_GT(ink, 5);
    tree->SetColor(clAqua);  // the focus colour follows only while it equals the colour
    EXPECT_EQ(tree->FocusColor(), clYellow);
}

// Unfocused with HideSelection off, the selected caption is outlined in the
// button-shadow colour; focused, it is highlighted instead.
TEST_F(ShellTreeTest, UnfocusedSelection_IsOutlinedWhenShown) {
    auto outline = [&] {
        QImage shot = form->Grab();
        QRect row = tree->View()->visualItemRect(Root()).translated(2, 2);
        int count = 0;
        for (int y = row.top(); y <= row.bottom(); ++y)
            for (int x = row.left(); x <= row.right(); ++x)
                count += PixelAt(shot, x, y) == ColorToRGB(clBtnShadow);
        return count;
    };
    form->SetFocus();
    EXPECT_EQ(outline(), 0);  // HideSelection: nothing shows
    tree->SetHideSelection(false);
    EXPECT_GT(outline(), 20);
    tree->SetFocus();
    EXPECT_EQ(outline(), 0);
}

TEST_F(ShellTreeTest, BaseFolder_RootsTheTreeThere_AndANewWindowRefills) {
    DesktopFolder dir;
    dir.Make("x/y");
    OwnedIdList place(ListOf(dir.Path()));
    TRzShellLocator base;
    base.SetIdList(place.Get());
    tree->SetBaseFolder(&base);
    ASSERT_EQ(tree->TopCount(), 1);
    EXPECT_EQ(Captions(Root()), (std::vector<std::string>{"x"}));
    EXPECT_EQ(tree->SelectedFolder()->PathName(), dir.Path());
    EXPECT_EQ(list.shown.back(), dir.Path());
    EXPECT_EQ(Navigate(dir.Path() + "/x/y")->Parent()->Parent(), Root());

    tree->SetParent(nullptr);
    EXPECT_FALSE(tree->HasNodes());
    EXPECT_EQ(tree->Watches().Count(), 0);
    tree->SetParent(form);
    DeliverPostedMessages();
    EXPECT_EQ(tree->TopCount(), 1);
    EXPECT_EQ(tree->SelectedFolder()->PathName(), dir.Path() + "/x/y");
}

TEST_F(ShellTreeTest, FolderWatches_KeepWithinTheWatcherSlots_AFreedSlotGoesToTheLongestWaiting) {
    DesktopFolder dir;
    std::vector<std::string> folders;
    for (int i = 0; i < 70; ++i)
        folders.push_back(dir.Make("f" + std::to_string(i)));
    TFolderWatches watches(tree->Handle(), TRzCustomShellTree::kChangeMessage);
    watches.SetFilter(FILE_NOTIFY_CHANGE_DIR_NAME);
    for (const std::string& folder : folders)
        watches.Hold(folder);
    watches.Hold(folders[0]);  // a second node showing the same folder
    EXPECT_EQ(watches.Count(), TChangeHandlerThread::kSlotCount);
    EXPECT_FALSE(watches.IsWatchedForTest(folders.back()));

    watches.Release(folders[0]);
    EXPECT_TRUE(watches.IsWatchedForTest(folders[0]));  // still held once
    watches.Release(folders[0]);
    watches.Release(folders[1]);
    EXPECT_FALSE(watches.IsWatchedForTest(folders[0]));
    const int firstWaiting = TChangeHandlerThread::kSlotCount;
    EXPECT_TRUE(watches.IsWatchedForTest(folders[firstWaiting]));
    EXPECT_TRUE(watches.IsWatchedForTest(folders[firstWaiting + 1]));
    EXPECT_FALSE(watches.IsWatchedForTest(folders[firstWaiting + 2]));

    watches.SetFilter(0);
    EXPECT_EQ(watches.Count(), 0);
    watches.SetFilter(FILE_NOTIFY_CHANGE_FILE_NAME);
    EXPECT_EQ(watches.Count(), TChangeHandlerThread::kSlotCount);
}

// `*` opens every level below the node while the window keeps answering; a
// link to the root of the disk is left closed (it would never end), and
// Escape stops the work before the next slice.
TEST_F(ShellTreeTest, ExpandAll_OpensEveryLevelInSlices_NotThroughLinks_EscapeStops) {
    DesktopFolder dir;
    for (const char* path : {"a/x/deep", "a/y/deep", "b/x/deep", "c/x/deep"})
        dir.Make(path);
    std::filesystem::create_directory_symlink("/", dir.Path() + "/a/root");
    TTreeNode* c = Navigate(dir.Path() + "/c");
    TTreeNode* top = c->Parent();
    tree->View()->setFocus();
    QTest::keyClick(tree->View(), Qt::Key_Asterisk);
    QTest::keyClick(tree->View(), Qt::Key_Escape);
    EXPECT_FALSE(tree->ExpandingAll());
    QApplication::processEvents();
    EXPECT_FALSE(c->isExpanded());

    tree->SetSelected(top);
    const double stall = LongestStallMs([&] { QTest::keyClick(tree->View(), Qt::Key_Asterisk); },
                                        [&] { return !tree->ExpandingAll(); }, 20000);
    ASSERT_GE(stall, 0);
    EXPECT_LT(stall, 1000);
    for (const char* name : {"a", "b", "c"}) {
        TTreeNode* x = ChildNamed(ChildNamed(top, name), "x");
        ASSERT_NE(x, nullptr) << name;
        EXPECT_TRUE(x->isExpanded()) << name;
    }
    TTreeNode* link = ChildNamed(ChildNamed(top, "a"), "root");
    ASSERT_NE(link, nullptr);
    EXPECT_FALSE(link->isExpanded());
    EXPECT_EQ(link->childCount(), 0);
}

// `*` stays on the node's file system (a folder mounted below stays closed)
// and stops at its cap, saying so for the status line.
TEST_F(ShellTreeTest, ExpandAll_StaysOnItsFileSystem_StopsAtTheCapWithAStatusText) {
    DesktopFolder dir;
    for (const char* path : {"top/a/x", "top/mount", "capped/a/x", "capped/b/x", "capped/c/x"})
        dir.Make(path);
    const std::string mount = dir.Path() + "/top/mount";
    const bool mounted = ::mount("none", mount.c_str(), "tmpfs", 0, nullptr) == 0;
    if (mounted)
        std::filesystem::create_directories(mount + "/inside/deeper");
    std::vector<std::string> status;
    tree->OnStatusText = [&](TObject*, const std::string& text) { status.push_back(text); };
    TTreeNode* top = Navigate(dir.Path() + "/top");
    tree->View()->setFocus();
    QTest::keyClick(tree->View(), Qt::Key_Asterisk);
    EXPECT_TRUE(PumpUntil([&] { return !tree->ExpandingAll(); }));
    EXPECT_TRUE(ChildNamed(ChildNamed(top, "a"), "x") != nullptr);
    if (mounted) {
        EXPECT_FALSE(ChildNamed(top, "mount")->isExpanded()) << "another file system";
        umount(mount.c_str());
    }
    EXPECT_TRUE(status.empty());

    TTreeNode* capped = Navigate(dir.Path() + "/capped");
    tree->SetExpandAllCapForTest(3);
    QTest::keyClick(tree->View(), Qt::Key_Asterisk);
    EXPECT_TRUE(PumpUntil([&] { return !tree->ExpandingAll(); }));
    int expanded = 0;
    for (TTreeNode* node :
         {capped, ChildNamed(capped, "a"), ChildNamed(capped, "b"), ChildNamed(capped, "c")})
        expanded += node->isExpanded();
    EXPECT_EQ(expanded, 3);
    EXPECT_EQ(status, std::vector<std::string>{"Stopped after opening 3 folders; press * on a "
                                               "folder to open more below it."});
}

TEST_F(ShellTreeTest, FrameController_RulesTreeAndList_AndEachSideForgetsTheOther) {
    auto* controller = new TRzFrameController(nullptr);
    auto* listView = new TRzCustomListView(form);
    controller->SetFrameStyle(fsFlat);
    controller->SetFlatColor(clRed);
    controller->SetColor(clAqua);
    tree->SetFrameVisible(true);
    tree->SetFrameController(controller);
    listView->SetFrameController(controller);
    for (TWinControl* control : std::initializer_list<TWinControl*>{tree, listView})
        EXPECT_EQ(control->Color(), clAqua);
    EXPECT_EQ(PixelAt(form->Grab(), 0, 300), ColorToRGB(clRed));
    EXPECT_EQ(listView->FrameColor(), clRed);

    controller->SetFrameStyle(fsGroove);
    controller->SetFlatColor(clBlue);
    controller->SetParentColor(true);
    EXPECT_EQ(tree->FrameStyle(), fsGroove);
    EXPECT_EQ(listView->FrameColor(), clBlue);
    EXPECT_TRUE(tree->ParentColor());
    EXPECT_EQ(tree->Color(), form->Color());

    controller->SetActive(false);
    controller->SetFrameStyle(fsNone);
    EXPECT_EQ(tree->FrameStyle(), fsGroove);
    delete listView;  // the controller must no longer reach it
    controller->SetActive(true);
    EXPECT_EQ(tree->FrameStyle(), fsNone);
    delete controller;
    EXPECT_EQ(tree->FrameController(), nullptr);
}

// Handlers that refuse: the selection (and with it SelectedFolder and the
// list) stays, an expanded node stays open, editing does not start.
TEST_F(ShellTreeTest, RefusingHandlers_KeepSelectionExpansionAndLabel) {
    DesktopFolder dir;
    dir.Make("a/inner");
    dir.Make("b");
    TTreeNode* a = Navigate(dir.Path() + "/a");
    TTreeNode* b = ChildNamed(a->Parent(), "b");
    std::vector<TTreeNode*> asked;
    tree->OnChanging = [&](TObject*, TTreeNode* node, bool& allow) {
        asked.push_back(node);
        allow = false;
    };
    QApplication::processEvents();  // the view settles its scroll bars
    tree->MakeVisible(b);
    QApplication::processEvents();
    const QRect row = tree->View()->visualItemRect(b);
    const QPoint onB(row.left() + 24, row.center().y());  // the caption's start
    ASSERT_EQ(tree->View()->itemAt(onB), b);
    QTest::mouseClick(tree->View()->viewport(), Qt::LeftButton, {}, onB);
    QTest::keyClick(tree->View(), Qt::Key_Down);
    FireDelay();
    EXPECT_EQ(asked, (std::vector<TTreeNode*>{b, b}));
    EXPECT_EQ(tree->Selected(), a);
    EXPECT_FALSE(b->isSelected());
    EXPECT_EQ(tree->SelectedFolder()->PathName(), dir.Path() + "/a");
    EXPECT_EQ(list.shown.back(), dir.Path() + "/a");

    tree->Expand(a);
    int collapsed = 0;
    tree->OnCollapsing = [](TObject*, TTreeNode*, bool& allow) { allow = false; };
    tree->OnCollapsed = [&](TObject*, TTreeNode*) { ++collapsed; };
    QTest::keyClick(tree->View(), Qt::Key_Left);
    tree->SetExpanded(a, false);
    EXPECT_TRUE(a->isExpanded());
    EXPECT_EQ(collapsed, 0);

    tree->OnEditing = [](TObject*, TTreeNode*, bool& allow) { allow = false; };
    QTest::keyClick(tree->View(), Qt::Key_F2);
    EXPECT_FALSE(tree->IsEditing());
}

// OnCustomDrawItem draws a node itself; OnCustomDraw can take over the view.
TEST_F(ShellTreeTest, CustomDraw_DrawsOnTheCanvasAndCanSkipTheDefault) {
    TTreeNode* root = Root();
    auto viewShot = [&] { return tree->View()->viewport()->grab().toImage(); };
    tree->OnCustomDrawItem = [&](TRzCustomTreeView* sender, TTreeNode* node, TCustomDrawState,
                                 bool& defaultDraw) {
        if (node != root)
            return;
        sender->Canvas()->Brush.Color = clRed;
        sender->Canvas()->FillRect(sender->NodeRect(node));
        defaultDraw = false;
    };
    QImage shot = viewShot();
    const TRect row = tree->NodeRect(root);
    int red = 0;
    for (int x = row.Left; x < row.Right; ++x)
        red += PixelAt(shot, x, (row.Top + row.Bottom) / 2) == ColorToRGB(clRed);
    EXPECT_EQ(red, row.Width());  // no caption over it
    const TRect child = tree->NodeRect(root->Child(0));
    EXPECT_NE(PixelAt(shot, child.Left + 1, child.Top + 1), ColorToRGB(clRed));

    tree->OnCustomDraw = [](TRzCustomTreeView* sender, const TRect& rect, bool& defaultDraw) {
        sender->Canvas()->Brush.Color = clLime;
        sender->Canvas()->FillRect(rect);
        defaultDraw = false;
    };
    shot = viewShot();
    int other = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            other += PixelAt(shot, x, y) != ColorToRGB(clLime);
    EXPECT_EQ(other, 0);
    EXPECT_EQ(tree->Canvas(), nullptr);
}

// Deep labels in a narrow tree are kept whole: the view scrolls sideways.
TEST_F(ShellTreeTest, DeepLabels_StayWholeAndTheTreeScrollsSideways) {
    DesktopFolder dir;
    std::string chain;
    for (int level = 0; level < 10; ++level)
        chain += "/level-" + std::to_string(level) + "-photos";
    tree->SetBounds(0, 0, 185, 400);
    TTreeNode* deepest = Navigate(dir.Make(chain.substr(1)));
    ASSERT_EQ(deepest->text(0), QString("level-9-photos"));
    QApplication::processEvents();  // the column fits its labels on the next layout
    const int labelWidth = tree->View()->fontMetrics().horizontalAdvance(deepest->text(0));
    const TRect row = tree->NodeRect(deepest);
    EXPECT_GE(row.Width(), labelWidth + 16);
    EXPECT_GE(row.Left, 0);  // scrolled to the selected label
    EXPECT_LT(row.Left + 16 + labelWidth, tree->View()->viewport()->width());
    EXPECT_EQ(tree->Indent(), 19);
    EXPECT_GT(tree->View()->horizontalScrollBar()->maximum(), 0);
    EXPECT_TRUE(tree->View()->horizontalScrollBar()->isVisible());
    QScrollBar* sideways = tree->View()->horizontalScrollBar();
    sideways->setValue(0);
    sideways->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(sideways->value(), 19) << "a step is one level";
    sideways->setValue(0);
    tree->EditNode(deepest);  // the box opens in sight, the label scrolled to
    auto* box = tree->View()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(box, nullptr);
    EXPECT_GE(box->geometry().left(), 0);
    EXPECT_GE(box->width(), labelWidth);
    QTest::keyClick(box, Qt::Key_Escape);

    TFont big = tree->Font();  // the labels are written in the control's font
    big.Height = -19;
    tree->SetFont(big);
    EXPECT_EQ(tree->View()->fontMetrics().horizontalAdvance(deepest->text(0)),
              QFontMetrics(ToQFont(big)).horizontalAdvance(deepest->text(0)));
}

}  // namespace
