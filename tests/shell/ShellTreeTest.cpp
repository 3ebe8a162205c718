#include "shell/ShellTree.h"

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <vector>

#include "ShellTestSupport.h"
#include "chrome/FrameController.h"
#include "framework/Application.h"
#include "framework/Canvas.h"
#include "framework/Font.h"
#include "framework/Form.h"
#include "platform/Beep.h"
#include "platform/DeviceChanges.h"
#include "platform/MimeTransport.h"
#include "platform/ShellQMenu.h"
#include "shell/DisplayNames.h"
#include "shell/FolderRefresh.h"
#include "shell/LabelText.h"
#include "shell/QtDropBridge.h"
#include "shell/RzListView.h"
#include "shell/ShellCommands.h"
#include "shell/ShellPaths.h"

namespace {

// The file list as the tree sees it: keeps a Folder and records every real
// change of it, as the list's refill would follow it.
class RecordingList : public TComponent, public IShellListLink {
  public:
    RecordingList() : TComponent(nullptr) {
        folder.OnChange = [this] { shown.push_back(folder.PathName()); };
    }
    TComponent* LinkComponent() override { return this; }
    void SetLinkedTree(IShellTreeLink* linked) override { tree = linked; }
    void AssignFolder(TRzShellLocator* place) override { folder.Assign(place); }
    void SetFolderIdList(LPCITEMIDLIST absolute) override { folder.SetIdList(absolute); }
    void FlushPendingAction() override { ++flushes; }
    bool HidesFolders() const override { return false; }
    bool IsLoading() const override { return false; }

    TRzShellLocator folder;
    IShellTreeLink* tree = nullptr;
    std::vector<std::string> shown;  // "" for places without a path
    int flushes = 0;
};

// A folder on the test desktop, so that it shows right under the root.
class DesktopFolder {
  public:
    DesktopFolder() {
        path_ = TestDesktop() + "/tree-XXXXXX";
        if (mkdtemp(path_.data()) == nullptr)
            ADD_FAILURE() << "cannot make " << path_;
        chmod(path_.c_str(), 0755);
    }
    ~DesktopFolder() { std::filesystem::remove_all(path_); }
    std::string Make(const std::string& relative) const {
        std::filesystem::create_directories(path_ + "/" + relative);
        return path_ + "/" + relative;
    }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

std::vector<std::string> Captions(const TTreeNode* node) {
    std::vector<std::string> captions;
    for (int i = 0; i < node->childCount(); ++i)
        captions.push_back(node->child(i)->text(0).toStdString());
    return captions;
}

TTreeNode* ChildNamed(const TTreeNode* node, const std::string& caption) {
    for (int i = 0; i < node->childCount(); ++i)
        if (node->child(i)->text(0).toStdString() == caption)
            return static_cast<TTreeNode*>(node->child(i));
    return nullptr;
}

TColor PixelAt(const QImage& image, int x, int y) {
    QColor c = image.pixelColor(x, y);
    return RGB(c.red(), c.green(), c.blue());
}

class ShellTreeTest : public ShellTest {
  protected:
    ShellTreeTest() {
        UseClassicColorScheme();
        Application->SetPresenter([this](const MessageBoxRequest& box) { boxes.push_back(box); });
        form = new TCustomForm(nullptr);
        form->SetBounds(0, 0, 420, 600);
        tree = new TRzShellTree(form);
        tree->SetBounds(0, 0, 400, 580);
        tree->SetShellList(&list);
        tree->SetParent(form);
        form->Show();
        QApplication::setActiveWindow(form->Widget());
        DeliverPostedMessages();  // the fill the new window asked for
    }
    ~ShellTreeTest() override {
        delete form;
        Application->SetPresenter(nullptr);
        EXPECT_TRUE(boxes.empty()) << boxes.front().Text;
    }

    TTreeNode* Root() const { return tree->TopNode(0); }
    // Selects a place as the file list does when it navigates.
    TTreeNode* Navigate(const std::string& path) {
        OwnedIdList place(ListOf(path));
        tree->SelectedFolder()->SetIdList(place.Get());
        return tree->Selected();
    }
    void FireDelay() { tree->DelayTimer().Window().Perform(WM_TIMER, TTimer::kTimerId); }
    // Waits for the watcher's message and returns the refresh delay it set.
    int AwaitChange() {
        EXPECT_TRUE(PumpUntil([&] { return tree->PendingAction() == tree->daRefresh; }));
        return tree->DelayTimer().Interval();
    }

    RecordingList list;
    TCustomForm* form;
    TRzShellTree* tree;
    std::vector<MessageBoxRequest> boxes;
};

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
    EXPECT_EQ(tree->PendingAction(), tree->daNone);
    EXPECT_TRUE(tree->Watches().IsWatched(TestDesktop()));
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
    EXPECT_EQ(tree->PendingAction(), tree->daNone);
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
    EXPECT_EQ(tree->PendingAction(), tree->daSelect);
    EXPECT_EQ(tree->DelayTimer().Interval(), TRzCustomShellTree::kSelectDelayMs);
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
    EXPECT_EQ(tree->PendingAction(), tree->daNone);
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
    EXPECT_FALSE(tree->Watches().IsWatched(dir.Path() + "/m"));
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
    EXPECT_EQ(tree->PendingAction(), tree->daRefresh);
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
    EXPECT_EQ(tree->PendingAction(), tree->daNone);
    dir.Make("made");
    tree->RefreshTree();
    EXPECT_EQ(node->childCount(), 0);
    tree->SetBusy(false);
    EXPECT_EQ(Captions(node), (std::vector<std::string>{"made"}));
    tree->SkipNextChange();
    tree->Perform(TRzCustomShellTree::kChangeMessage);
    EXPECT_EQ(tree->PendingAction(), tree->daNone);
    tree->Perform(TRzCustomShellTree::kChangeMessage);
    EXPECT_EQ(tree->PendingAction(), tree->daRefresh);
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

TEST_F(ShellTreeTest, FolderWatches_KeepWithinTheWatcherSlots) {
    DesktopFolder dir;
    std::vector<std::string> folders;
    for (int i = 0; i < 70; ++i)
        folders.push_back(dir.Make("f" + std::to_string(i)));
    TFolderWatches watches(tree->Handle(), TRzCustomShellTree::kChangeMessage);
    watches.Watch(folders, FILE_NOTIFY_CHANGE_DIR_NAME);
    EXPECT_EQ(watches.Count(), TChangeHandlerThread::kSlotCount);
    EXPECT_FALSE(watches.IsWatched(folders.back()));
    folders.erase(folders.begin(), folders.begin() + 60);
    watches.Watch(folders, FILE_NOTIFY_CHANGE_DIR_NAME);
    EXPECT_EQ(watches.Count(), 10);
    EXPECT_TRUE(watches.IsWatched(folders.back()));
}

// The open edit box (closed ones linger until deleted later).
QLineEdit* EditBox(TRzShellTree* tree) {
    for (QLineEdit* editor : tree->View()->findChildren<QLineEdit*>())
        if (editor->isVisible())
            return editor;
    return nullptr;
}

// Edits the node's caption as a person would: F2, the new text, Enter.
void RenameBy(TRzShellTree* tree, TTreeNode* node, const QString& text) {
    tree->SetSelected(node);
    QTest::keyClick(tree->View(), Qt::Key_F2);
    QLineEdit* editor = EditBox(tree);
    ASSERT_NE(editor, nullptr);
    editor->setText(text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);  // the queued commit
}

TEST_F(ShellTreeTest, Rename_MovesTheFolderSortsTheLevelAndTheShownFolderFollows) {
    DesktopFolder dir;
    dir.Make("b");
    dir.Make("m/deep");
    TTreeNode* deep = Navigate(dir.Path() + "/m/deep");
    TTreeNode* m = deep->Parent();
    TTreeNode* top = m->Parent();
    RenameBy(tree, m, "  a-renamed ");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "/a-renamed/deep"));
    EXPECT_EQ(Captions(top), (std::vector<std::string>{"a-renamed", "b"}));
    tree->SetSelected(deep);
    FireDelay();
    EXPECT_EQ(tree->SelectedFolder()->PathName(), dir.Path() + "/a-renamed/deep");
    EXPECT_EQ(list.shown.back(), dir.Path() + "/a-renamed/deep");

    RenameBy(tree, ChildNamed(top, "a-renamed"), "b");  // taken: refused
    EXPECT_EQ(Captions(top), (std::vector<std::string>{"a-renamed", "b"}));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "/a-renamed"));

    tree->SetSelected(Root());
    QTest::keyClick(tree->View(), Qt::Key_F2);  // the root never takes a new name
    EXPECT_FALSE(tree->IsEditing());
}

TEST_F(ShellTreeTest, Keys_CopyPasteIntoAFolder_DeleteToTheTrash_RootAndCtrlAIgnored) {
    RecordingPrompts prompts;
    TShellPromptsScope scope(prompts);
    DesktopFolder dir;
    dir.Make("src/inner");
    dir.Make("dst");
    TTreeNode* src = Navigate(dir.Path() + "/src");
    QTest::keyClick(tree->View(), Qt::Key_C, Qt::ControlModifier);
    tree->SetSelected(ChildNamed(src->Parent(), "dst"));
    QTest::keyClick(tree->View(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "/dst/src/inner"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "/src/inner"));

    tree->SetSelected(ChildNamed(src->Parent(), "src"));
    QTest::keyClick(tree->View(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(prompts.confirmed, std::vector<std::string>{dir.Path() + "/src"});
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/src"));

    tree->SetSelected(Root());
    QTest::keyClick(tree->View(), Qt::Key_Delete);
    QTest::keyClick(tree->View(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(prompts.confirmed.size(), 1u);
    EXPECT_EQ(tree->Selected(), Root());
    std::filesystem::remove_all(std::string(getenv("XDG_DATA_HOME")) + "/Trash");
}

// ------------------------------------------------------------- drag and drop

class ShellTreeDragTest : public ShellTreeTest {
  protected:
    QWidget* Viewport() const { return tree->View()->viewport(); }
    // The node's centre in control coordinates.
    POINTL PointOf(TTreeNode* node) const {
        const QPoint at =
            Viewport()->mapTo(tree->Widget(), tree->View()->visualItemRect(node).center());
        return {at.x(), at.y()};
    }
    void SendMouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, at, Viewport()->mapToGlobal(at), button, held, {});
        QApplication::sendEvent(Viewport(), &event);
    }
    // A press on the node and a move past the drag distance with the button
    // held (the drag loop takes the release).
    void MouseDrag(TTreeNode* node, Qt::MouseButton button) {
        // On the node's picture: a row's centre lies out of sight when a long
        // name elsewhere widens the column.
        const QRect row = tree->View()->visualItemRect(node);
        const QPoint at(row.left() + 8, row.center().y());
        SendMouse(QEvent::MouseButtonPress, at, button, button);
        SendMouse(QEvent::MouseMove, at + QPoint(QApplication::startDragDistance() + 4, 0),
                  Qt::NoButton, button);
    }

    std::uint32_t now_ = 1000;
};

TEST_F(ShellTreeDragTest, DropOnANode_LandsInItsFolder_AndTheTreeShowsIt) {
    DesktopFolder place;
    TTreeNode* node = Navigate(place.Path());
    tree->Expand(node);
    const std::string source = MakeHomeFolder("source");
    std::filesystem::create_directory(source + "/incoming");
    QMimeData mime;
    mime.setData("text/uri-list", QByteArray::fromStdString("file://" + source + "/incoming\r\n"));
    ASSERT_TRUE(tree->DropTargetRegistered());

    const QPoint at = tree->View()->visualItemRect(node).center();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(Viewport(), &enter);
    QDragMoveEvent move(at, actions, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(Viewport(), &move);
    EXPECT_EQ(move.dropAction(), Qt::MoveAction);
    EXPECT_EQ(tree->DropTarget(), node);
    QDropEvent drop(at, actions, &mime, Qt::NoButton, {});
    QApplication::sendEvent(Viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_TRUE(std::filesystem::is_directory(place.Path() + "/incoming"));
    EXPECT_NE(ChildNamed(node, "incoming"), nullptr) << "refreshed after the drop";
    EXPECT_EQ(tree->DropTarget(), nullptr);
}

TEST_F(ShellTreeDragTest, DragOver_OpensARestingNodeAfter400ms_AndScrollsNearTheEdgeEvery100ms) {
    DesktopFolder place;
    for (int i = 10; i < 60; ++i)
        place.Make("d" + std::to_string(i));
    place.Make("d10/inner");
    tree->SetDragClock([this] { return now_; });
    TTreeNode* node = Navigate(place.Path());
    tree->Expand(node);
    tree->View()->doItemsLayout();
    TTreeNode* closed = ChildNamed(node, "d10");
    tree->View()->scrollToItem(closed, QAbstractItemView::PositionAtCenter);
    int noWindowWhileOpening = -1;
    tree->OnExpanding = [&](TObject*, TTreeNode* opened, bool&) {
        if (opened == closed)
            noWindowWhileOpening = tree->NoWindowCount();
    };
    QMimeData mime;
    mime.setData("text/uri-list", "file:///nowhere/x.jpg\r\n");
    ComPtr<IDataObject> data(NewDataObjectFromMimeData(mime));

    DWORD effect = DROPEFFECT_COPY;
    tree->DragEnter(data.Get(), MK_LBUTTON, PointOf(closed), &effect);
    effect = DROPEFFECT_COPY;
    now_ += 399;
    tree->DragOver(MK_LBUTTON, PointOf(closed), &effect);
    EXPECT_TRUE(effect & DROPEFFECT_SCROLL);
    EXPECT_EQ(closed->childCount(), 0);
    now_ += 1;
    tree->DragStepTimer().Window().Perform(WM_TIMER, TTimer::kTimerId);
    EXPECT_EQ(closed->childCount(), 1) << "held still, the step timer opens it";
    EXPECT_EQ(noWindowWhileOpening, 1);
    EXPECT_EQ(tree->NoWindowCount(), 0);

    QScrollBar* bar = tree->View()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 2);
    const POINTL nearBottom = {
        100, Viewport()->mapTo(tree->Widget(), QPoint(0, Viewport()->height() - 5)).y()};
    tree->DragEnter(data.Get(), MK_LBUTTON, nearBottom, &effect);
    std::vector<int> steps;
    const int top = bar->value();
    for (int step = 0; step < 4; ++step) {
        now_ += 50;
        tree->DragOver(MK_LBUTTON, nearBottom, &effect);
        steps.push_back(bar->value() - top);
    }
    EXPECT_EQ(steps, (std::vector<int>{0, 1, 1, 2}));
    tree->DragLeave();
    EXPECT_EQ(tree->DropTarget(), nullptr);
}

TEST_F(ShellTreeDragTest, MouseDragOfANode_CarriesIt_HighlightsIt_AndLeavesTheSelection) {
    DesktopFolder place;
    place.Make("dragged");
    TTreeNode* node = Navigate(place.Path());
    tree->Expand(node);
    TTreeNode* dragged = ChildNamed(node, "dragged");
    std::vector<int> buttons;
    std::string uris;
    TTreeNode* highlighted = nullptr;
    tree->SetDragLoop([&](QMimeData* mime, DWORD, int button) {
        std::unique_ptr<QMimeData> owned(mime);
        buttons.push_back(button);
        uris = mime->data("text/uri-list").toStdString();
        highlighted = tree->DropTarget();
        return DROPEFFECT_NONE;
    });
    MouseDrag(dragged, Qt::LeftButton);
    MouseDrag(dragged, Qt::RightButton);
    EXPECT_EQ(buttons, (std::vector<int>{0, 1}));
    EXPECT_EQ(uris, "file://" + place.Path() + "/dragged\r\n");
    EXPECT_EQ(highlighted, dragged);
    EXPECT_EQ(tree->DropTarget(), nullptr);
    EXPECT_EQ(tree->Selected(), node) << "a drag does not select";

    tree->View()->scrollToItem(Root());
    MouseDrag(Root(), Qt::LeftButton);
    EXPECT_EQ(buttons.size(), 2u) << "the root is not dragged";
    EXPECT_EQ(tree->Selected(), Root()) << "the press takes effect instead";
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

// The edit box holds the name as the shell gives it for renaming; a name
// that is not UTF-8 survives an edit that leaves it alone, and such an edit
// renames nothing (so the next outside change is still answered). OnEdited
// may change the new name; Escape cancels.
TEST_F(ShellTreeTest, LabelEditing_StartsFromTheEditingNameAndReportsItsEnd) {
    DesktopFolder dir;
    const std::string odd = dir.Make("caf\xE9");
    dir.Make("plain");
    TTreeNode* node = Navigate(odd);
    TTreeNode* top = node->Parent();
    std::vector<std::string> edited;
    std::vector<TTreeNode*> cancelled;
    tree->OnEdited = [&](TObject*, TTreeNode*, std::string& text) {
        edited.push_back(text);
        if (text == "new")
            text += "-2";
    };
    tree->OnCancelEdit = [&](TObject*, TTreeNode* at) { cancelled.push_back(at); };
    auto startEdit = [&](TTreeNode* at) {
        tree->SetSelected(at);
        QTest::keyClick(tree->View(), Qt::Key_F2);
        QLineEdit* editor = EditBox(tree);
        return editor != nullptr ? editor->text() : QString("(no editor)");
    };

    EXPECT_EQ(startEdit(node), QString("caf\\xE9"));
    QTest::keyClick(EditBox(tree), Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    EXPECT_TRUE(std::filesystem::is_directory(odd));
    EXPECT_EQ(Captions(top), (std::vector<std::string>{"caf\\xE9", "plain"}));
    tree->Perform(TRzCustomShellTree::kChangeMessage);
    EXPECT_EQ(tree->PendingAction(), tree->daRefresh);

    EXPECT_EQ(startEdit(ChildNamed(top, "plain")), QString("plain"));
    dir.Make("made");
    tree->RefreshTree();  // waits for the edit box to close
    EXPECT_EQ(Captions(top).size(), 2u);
    QTest::keyClick(EditBox(tree), Qt::Key_Escape);
    EXPECT_EQ(cancelled, std::vector<TTreeNode*>{ChildNamed(top, "plain")});
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(Captions(top), (std::vector<std::string>{"caf\\xE9", "made", "plain"}));

    RenameBy(tree, ChildNamed(top, "plain"), "new");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "/new-2"));
    EXPECT_EQ(Captions(top), (std::vector<std::string>{"caf\\xE9", "made", "new-2"}));
    EXPECT_EQ(edited, (std::vector<std::string>{"caf\xE9", "new"}));
    EXPECT_EQ(cancelled.size(), 1u);
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

// The Send To entries: files and links of the Send To folder, not folders,
// not hidden files; a choice drops the node on the entry.
TEST_F(ShellTreeTest, SendTo_ListsTheFolderFilesAndDropsTheNodeOnTheChoice) {
    RecordingPrompts prompts;
    TShellPromptsScope scope(prompts);
    DesktopFolder dir;
    const std::string photos = dir.Make("photos");
    const std::string backup = dir.Make("backup");
    const std::string sendTo = std::string(getenv("XDG_DATA_HOME")) + "/KadrimarkEXIF/SendTo";
    std::filesystem::create_directories(sendTo + "/folder");
    ASSERT_EQ(SpecialFolderPath(0, CSIDL_SENDTO), sendTo);
    WriteFileBytes(sendTo + "/Viewer.desktop", "[Desktop Entry]\nExec=viewer %F\n");
    WriteFileBytes(sendTo + "/.hidden.desktop", "[Desktop Entry]\nExec=hidden %F\n");
    std::filesystem::create_directory_symlink(backup, sendTo + "/Backup");
    Navigate(photos);

    // Opens the node's menu from the keyboard and picks `entry` from Send To.
    auto sendVia = [&](const QString& entry) {
        QStringList shown;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (QAction* action : menu->actions()) {
                QMenu* sub = action->menu();
                if (sub == nullptr || sub->actions().isEmpty() ||
                    CommandOf(sub->actions().front()) >= kFirstMenuCommand)
                    continue;
                menu->setActiveAction(action);
                QAction* chosen = nullptr;
                for (QAction* item : sub->actions()) {
                    shown << item->text();
                    if (item->text() == entry)
                        chosen = item;
                }
                sub->setActiveAction(chosen);
                QTest::keyClick(sub, Qt::Key_Return);
                return;
            }
            menu->close();
        });
        QTest::keyClick(tree->View(), Qt::Key_F10, Qt::ShiftModifier);
        return shown;
    };
    EXPECT_EQ(sendVia("Viewer.desktop"), (QStringList{"Backup", "Viewer.desktop"}));
    EXPECT_EQ(prompts.ran, (std::vector<std::vector<std::string>>{{"viewer", photos}}));
    sendVia("Backup");
    EXPECT_TRUE(std::filesystem::is_directory(backup + "/photos"));
    std::filesystem::remove_all(sendTo);
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
