#include "shell/ShellList.h"

#include <sys/stat.h>

#include <QAbstractItemModel>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "ShellListTestSupport.h"
#include "shell/ShellPaths.h"
#include "support/StallGuard.h"
#include "support/Unprivileged.h"

namespace {

// F2, a new name and Enter rename on disk; a refused name is reported,
// naming both names and the reason, and the row keeps its name.
TEST_F(ShellListCommandTest, LabelEdit_RenamesOnDisk_ARefusalSaysWhichNameAndWhy) {
    Make("old.txt");
    Make("taken.txt");
    Show(folder_);
    auto rename = [this](const QString& text) {
        SelectOnly(Names()[0]);
        Key(Qt::Key_F2);
        QLineEdit* editor = nullptr;  // closed ones linger until deleted later
        for (QLineEdit* open : list_.ActiveView()->findChildren<QLineEdit*>())
            if (open->isVisible())
                editor = open;
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);  // the queued commit
    };
    rename("new.txt");
    EXPECT_TRUE(std::filesystem::exists(folder_ + "/new.txt"));
    EXPECT_EQ(list_.ShellListData(0)->FileName(), "new.txt");
    EXPECT_EQ(Cell(0, 0), "new.txt");

    rename("taken.txt");
    rename("a/b");
    EXPECT_EQ(prompts_.errors,
              (std::vector<std::string>{
                  "Cannot rename \"new.txt\" to \"taken.txt\": File exists.",
                  "Cannot rename \"new.txt\" to \"a/b\": a name cannot contain \"/\"."}));
    EXPECT_EQ(Cell(0, 0), "new.txt");
    EXPECT_TRUE(boxes_.empty());
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

// A folder the person may not read says so, in the program's box with the
// system's reason and in the list itself instead of a blank; once readable,
// it lists its items and the text goes.
TEST_F(ShellListCommandTest, UnreadableFolder_SaysWhyInABoxAndInTheView) {
    for (const char* folder : {"/empty", "/locked"})
        std::filesystem::create_directory(folder_ + folder);
    Make("locked/secret.jpg");
    chmod((folder_ + "/locked").c_str(), 0);
    for (const std::string& open : {TestHome(), folder_, folder_ + "/empty"})
        chmod(open.c_str(), 0755);
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(list_.ActiveView());
    {
        AsUnprivilegedUser user;
        ASSERT_TRUE(user.Active());
        Show(folder_ + "/empty");
        const QImage blank = list_.ActiveView()->viewport()->grab().toImage();
        Show(folder_);
        SelectOnly("locked");
        Key(Qt::Key_Return);
        ASSERT_TRUE(PumpUntil([this] { return !prompts_.errors.empty(); }));
        EXPECT_EQ(prompts_.errors, std::vector<std::string>{"Cannot open \"" + folder_ +
                                                            "/locked\": Permission denied."});
        EXPECT_EQ(list_.FolderPath(), folder_ + "/locked");
        EXPECT_EQ(list_.ItemCount(), 0);
        EXPECT_EQ(view->text(QAccessible::Description),
                  "This folder cannot be read: Permission denied.");
        EXPECT_NE(list_.ActiveView()->viewport()->grab().toImage(), blank) << "the text is drawn";
    }
    chmod((folder_ + "/locked").c_str(), 0755);
    Key(Qt::Key_F5);
    EXPECT_EQ(Names(), std::vector<std::string>{"secret.jpg"});
    EXPECT_EQ(view->text(QAccessible::Description), "");
    QCoreApplication::processEvents();
    EXPECT_EQ(prompts_.errors.size(), 1u);
}

// Selecting every row of a big folder, by Ctrl+A or by Shift+End from the
// first, is one range: the window answers within a fraction of a second in
// every view style (one by one, 10,000 rows took seconds).
TEST_F(ShellListCommandTest, BigSelections_CtrlAAndShiftEnd_AnswerQuicklyInEveryStyle) {
    constexpr int kRows = 10000;
    for (int i = 0; i < kRows; ++i)
        Make(std::to_string(i) + ".jpg", "");
    list_.SetMultiSelect(true);
    Show(folder_);
    ASSERT_EQ(list_.ItemCount(), kRows);
    struct Gesture {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    for (TViewStyle style : {vsIcon, vsList, vsReport}) {
        list_.SetViewStyle(style);
        for (Gesture gesture :
             {Gesture{Qt::Key_A, Qt::ControlModifier}, Gesture{Qt::Key_End, Qt::ShiftModifier}}) {
            list_.ClearSelection();
            list_.SetFocusedIndex(0);
            const double stall = LongestStallMs([&] { Key(gesture.key, gesture.modifiers); });
            EXPECT_LT(stall, 1000) << style << " " << gesture.key;
            EXPECT_EQ(list_.SelectedIndexes().size(), std::size_t{kRows}) << style;
        }
    }
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

// Pasting and deleting a big folder run behind the window: it keeps
// answering (copied in one go on the UI thread, 2,000 files froze it for
// seconds), and the list follows the work.
TEST_F(ShellListCommandTest, BigFolder_PasteAndDelete_KeepTheWindowAnswering) {
    constexpr int kFiles = 500;
    for (const char* folder : {"/src", "/src/photos", "/copies"})
        std::filesystem::create_directory(folder_ + folder);
    for (int i = 0; i < kFiles; ++i)
        Make("src/photos/" + std::to_string(i) + ".jpg", std::string(4096, 'x'));
    Show(folder_ + "/src");
    SelectOnly("photos");
    Key(Qt::Key_C, Qt::ControlModifier);
    Show(folder_ + "/copies");
    EXPECT_LT(LongestStallMs([&] { Key(Qt::Key_V, Qt::ControlModifier); }), 250);
    EXPECT_EQ(Names(), std::vector<std::string>{"photos"});
    const auto copied = std::filesystem::directory_iterator(folder_ + "/copies/photos");
    EXPECT_EQ(std::distance(begin(copied), end(copied)), kFiles);

    SelectOnly("photos");
    EXPECT_LT(LongestStallMs([&] { Key(Qt::Key_Delete, Qt::ShiftModifier); }), 250);
    EXPECT_EQ(list_.ItemCount(), 0);
    std::filesystem::remove_all(std::string(getenv("XDG_DATA_HOME")) + "/Trash");
}

// Enter on more than ten files asks first; then each program starts once
// with all its files when its entry takes several (%F), once per file
// otherwise (%f), and files no program is set for go to the desktop.
TEST_F(ShellListCommandTest, OpenMany_AsksFirst_ThenOneLaunchPerProgramThatTakesSeveral) {
    const std::string applications = std::string(getenv("XDG_DATA_HOME")) + "/applications";
    std::filesystem::create_directories(applications);
    std::filesystem::create_directories(getenv("XDG_CONFIG_HOME"));
    WriteFileBytes(applications + "/viewer.desktop",
                   "[Desktop Entry]\nType=Application\nExec=viewer --new %F\n");
    WriteFileBytes(applications + "/editor.desktop", "[Desktop Entry]\nExec=editor \"%f\"\n");
    WriteFileBytes(std::string(getenv("XDG_CONFIG_HOME")) + "/mimeapps.list",
                   "[Default Applications]\nimage/jpeg=viewer.desktop\n"
                   "text/plain=gone.desktop;editor.desktop\n");
    for (int i = 0; i < 11; ++i)
        Make("p" + std::to_string(i) + ".jpg");
    Make("a.txt");
    Make("b.txt");
    Make("c.unknown-kind");
    list_.SetMultiSelect(true);
    Show(folder_);
    Key(Qt::Key_A, Qt::ControlModifier);
    prompts_.openMany = false;
    Key(Qt::Key_Return);
    EXPECT_EQ(prompts_.openCounts, std::vector<std::size_t>{14});
    EXPECT_TRUE(prompts_.ran.empty());
    EXPECT_TRUE(prompts_.opened.empty());

    prompts_.openMany = true;
    Key(Qt::Key_Return);
    std::vector<std::string> viewer{"viewer", "--new"};
    for (const std::string& name : Names())
        if (name.ends_with(".jpg"))
            viewer.push_back(folder_ + "/" + name);
    EXPECT_EQ(prompts_.ran,
              (std::vector<std::vector<std::string>>{
                  {"editor", folder_ + "/a.txt"}, {"editor", folder_ + "/b.txt"}, viewer}));
    EXPECT_EQ(prompts_.opened, std::vector<std::string>{folder_ + "/c.unknown-kind"});
    std::filesystem::remove_all(applications);
    std::filesystem::remove(std::string(getenv("XDG_CONFIG_HOME")) + "/mimeapps.list");
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

// A double click on a folder, and the menu's default entry on one, show it in
// the list; a file the desktop has no program for is reported as such.
TEST_F(ShellListCommandTest, Open_DoubleClickAndOpenShowFolders_AFileWithoutAProgramSaysSo) {
    std::filesystem::create_directories(folder_ + "/sub/deeper");
    Make("a.odd");
    Show(folder_);
    QAbstractItemView* view = list_.ActiveView();
    // A double click as the window system gives it: press, release, a double
    // click press, release.
    const QPoint row = view->visualRect(list_.Model()->index(0, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, row);
    EXPECT_EQ(list_.FolderPath(), folder_ + "/sub");

    SelectOnly("deeper");
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        ASSERT_NE(menu->defaultAction(), nullptr);
        EXPECT_EQ(menu->defaultAction()->text(), "&Open");
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(menu->defaultAction()).center());
    });
    Key(Qt::Key_Menu);
    EXPECT_EQ(list_.FolderPath(), folder_ + "/sub/deeper");
    EXPECT_TRUE(prompts_.opened.empty());

    Show(folder_);
    prompts_.openable = false;
    SelectOnly("a.odd");
    Key(Qt::Key_Return);
    EXPECT_EQ(prompts_.errors,
              std::vector<std::string>{"Cannot open \"a.odd\": no program is set to open it."});
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
    const QStringList captions = choose("&Copy");
    EXPECT_FALSE(captions.contains("Rena&me"));
    EXPECT_FALSE(captions.contains("Se&nd To")) << "the list fills no Send To";
    EXPECT_TRUE(captions.contains("&Delete"));
    EXPECT_EQ(FilesOnClipboard().Paths, std::vector<std::string>{folder_ + "/a.txt"});
    ASSERT_FALSE(hints.empty());
    EXPECT_FALSE(hints.front().empty());

    list_.SetReadOnly(false);
    EXPECT_TRUE(choose("Rena&me").contains("Rena&me"));
    EXPECT_TRUE(list_.IsEditing());
}

}  // namespace
