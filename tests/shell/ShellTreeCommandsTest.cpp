#include "shell/ShellTree.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ShellTreeTestSupport.h"
#include "platform/ShellQMenu.h"
#include "shell/ShellCommands.h"
#include "shell/ShellPaths.h"

namespace {

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

    // A refused name is reported, naming both names and the reason, while
    // the row shows the name it keeps, not the refused one; the folder and
    // its node stay as they were.
    RecordingPrompts prompts;
    std::vector<bool> editBoxShown;
    prompts.onError = [&] { editBoxShown.push_back(EditBox(tree) != nullptr); };
    TShellPromptsScope scope(prompts);
    for (const char* refused : {"b", "x/y"})
        RenameBy(tree, ChildNamed(top, "a-renamed"), refused);
    EXPECT_EQ(editBoxShown, (std::vector<bool>{false, false}));
    EXPECT_EQ(prompts.errors,
              (std::vector<std::string>{
                  "Cannot rename \"a-renamed\" to \"b\": File exists.",
                  "Cannot rename \"a-renamed\" to \"x/y\": a name cannot contain \"/\"."}));
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
    EXPECT_EQ(tree->PendingActionForTest(), tree->daRefresh);

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

// The bold Open entry of a folder's menu shows that folder: it becomes the
// selected node at once and the list follows; nothing is handed to the
// desktop.
TEST_F(ShellTreeTest, OpenInTheMenu_OfAFolderNode_ShowsThatFolder) {
    RecordingPrompts prompts;
    TShellPromptsScope scope(prompts);
    DesktopFolder dir;
    const std::string other = dir.Make("other");
    TTreeNode* node = Navigate(dir.Make("shown"));
    TTreeNode* target = ChildNamed(node->Parent(), "other");
    ASSERT_NE(target, nullptr);
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        ASSERT_NE(menu->defaultAction(), nullptr);
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(menu->defaultAction()).center());
    });
    QWidget* viewport = tree->View()->viewport();
    const QPoint at = tree->View()->visualItemRect(target).center();
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &request);
    EXPECT_EQ(tree->Selected(), target);
    EXPECT_EQ(tree->SelectedFolder()->PathName(), other);
    EXPECT_EQ(list.shown.back(), other);
    EXPECT_TRUE(prompts.opened.empty());
}

// The Send To entries: files and links of the Send To folder, not folders,
// not hidden files, each with its small icon; a choice drops the node on the
// entry. Without entries the menu offers no Send To.
TEST_F(ShellTreeTest, SendTo_ListsTheFolderFilesWithIcons_DropsTheNodeOnTheChoice) {
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
    // The entries shown, and the number of them drawn with an icon.
    auto sendVia = [&](const QString& entry) {
        QStringList shown;
        int withIcons = 0;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (QAction* action : menu->actions()) {
                QMenu* sub = action->menu();
                if (sub == nullptr)
                    continue;
                menu->setActiveAction(action);
                QAction* chosen = nullptr;
                for (QAction* item : sub->actions()) {
                    shown << item->text();
                    withIcons += !item->icon().isNull();
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
        return std::pair{shown, withIcons};
    };
    EXPECT_EQ(sendVia("Viewer.desktop"), std::pair(QStringList{"Backup", "Viewer.desktop"}, 2));
    EXPECT_EQ(prompts.ran, (std::vector<std::vector<std::string>>{{"viewer", photos}}));
    sendVia("Backup");
    EXPECT_TRUE(std::filesystem::is_directory(backup + "/photos"));
    std::filesystem::remove_all(sendTo);
    EXPECT_EQ(sendVia("Backup"), std::pair(QStringList{}, 0)) << "no Send To submenu";
}

}  // namespace
