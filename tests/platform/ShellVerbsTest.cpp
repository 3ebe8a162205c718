#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "PlatformTest.h"
#include "framework/Application.h"
#include "framework/ProgramLanguage.h"
#include "platform/DialogPrompts.h"
#include "platform/DroppedPaths.h"
#include "platform/FileDropBlock.h"
#include "platform/FileOperations.h"
#include "platform/FileWork.h"
#include "platform/FolderDropTarget.h"
#include "platform/ItemContextMenu.h"
#include "platform/LauncherDropTarget.h"
#include "platform/MimeTransport.h"
#include "platform/PromptsInForce.h"
#include "platform/ShellClipboard.h"
#include "platform/ShellQMenu.h"
#include "platform/ShellServices.h"
#include "platform/Trash.h"

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// Answers every question as the test sets it, and remembers what was asked.
class TestPrompts final : public IShellPrompts {
  public:
    bool ConfirmDelete(const Names& paths, bool) override {
        confirmed = paths;
        return allowDelete;
    }
    TClashAnswer AskClash(const std::string& target, bool canReplace) override {
        clashes.push_back(target);
        replaceOffered = canReplace;
        if (onClash)
            onClash();
        return clashAnswer;
    }
    DWORD ChooseDropEffect(DWORD allowed, DWORD) override { return dropMenuChoice & allowed; }
    bool ConfirmOpen(std::size_t) override { return true; }
    bool OpenWithDefault(const std::string& path) override {
        opened.push_back(path);
        return true;
    }
    void StartPrograms(const std::vector<Names>& commands) override {
        started.insert(started.end(), commands.begin(), commands.end());
    }
    bool RunProgram(const Names& argv) override {
        started.push_back(argv);
        return true;
    }
    void ShowProperties(const Names&) override {}
    void ReportError(const std::string& text) override { errors.push_back(text); }

    bool allowDelete = true;
    TClashAnswer clashAnswer = TClashAnswer::Skip;
    std::function<void()> onClash;  // runs while a clash is asked
    bool replaceOffered = false;
    DWORD dropMenuChoice = DROPEFFECT_NONE;
    Names confirmed, clashes, opened, errors;
    std::vector<Names> started;
};

// Names in a folder, sorted; hidden names included.
Names Entries(const std::string& folder) {
    Names names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ShellVerbsTest : public PlatformTest {
  protected:
    void SetUp() override {
        PlatformTest::SetUp();
        ASSERT_EQ(SHGetDesktopFolder(desktop_.Put()), S_OK);
        MakeFolder(A());
        MakeFolder(B());
    }
    void TearDown() override { ClearClipboard(); }

    std::string A() const { return Home() + "/a"; }
    std::string B() const { return Home() + "/b"; }

    // The context menu of items of a folder, by name.
    ComPtr<IContextMenu> MenuOf(const std::string& folder, const Names& names) {
        ComPtr<IShellFolder> parent = Bind(folder);
        std::vector<IdList> items;
        std::vector<LPCITEMIDLIST> raw;
        for (const std::string& name : names) {
            items.emplace_back();
            parent->ParseDisplayName(0, nullptr, name.c_str(), nullptr, items.back().Put(),
                                     nullptr);
            raw.push_back(items.back().Get());
        }
        ComPtr<IContextMenu> menu;
        EXPECT_EQ(parent->GetUIObjectOf(0, static_cast<UINT>(raw.size()), raw.data(),
                                        IID_IContextMenu, nullptr, menu.PutVoid()),
                  S_OK);
        return menu;
    }
    // The drop target of an item of `parent`, by name; null when it has none.
    ComPtr<IDropTarget> ItemDropTarget(IShellFolder* parent, const std::string& name) {
        IdList item;
        parent->ParseDisplayName(0, nullptr, name.c_str(), nullptr, item.Put(), nullptr);
        LPCITEMIDLIST items[] = {item.Get()};
        ComPtr<IDropTarget> target;
        parent->GetUIObjectOf(0, 1, items, IID_IDropTarget, nullptr, target.PutVoid());
        return target;
    }
    ComPtr<IShellFolder> Bind(const std::string& path) {
        IdList list;
        desktop_->ParseDisplayName(0, nullptr, path.c_str(), nullptr, list.Put(), nullptr);
        ComPtr<IShellFolder> folder;
        desktop_->BindToObject(list.Get(), nullptr, IID_IShellFolder, folder.PutVoid());
        return folder;
    }
    HRESULT Invoke(const ComPtr<IContextMenu>& menu, const char* verb) {
        CMINVOKECOMMANDINFO info{36, 0, 0, verb, nullptr, nullptr, SW_SHOWNORMAL, 0, nullptr};
        return menu->InvokeCommand(&info);
    }
    // Pastes into folder `into` through its item's menu in its parent.
    HRESULT PasteInto(const std::string& into) {
        std::string name = ItemNameOf(into);
        return Invoke(MenuOf(into.substr(0, into.size() - name.size() - 1), {name}), "paste");
    }
    // Menu entries as "caption@offset" (offset -1 for entries without a command).
    Names MenuEntries(const TShellMenu& menu) {
        Names entries;
        for (const TShellMenuItem& item : menu.Items)
            if (!item.Separator)
                entries.push_back(item.Caption + "@" +
                                  std::to_string(item.Id == 0 ? -1 : int(item.Id) - 1000));
        return entries;
    }

    TestPrompts prompts_;
    TOperationProgress progress_;  // of operations the tests run directly
    TShellPromptsScope promptsInForce_{prompts_};
    ComPtr<IShellFolder> desktop_;
};

TEST_F(ShellVerbsTest, Menu_OffersTheVerbsItemsAllowAtTheirOffsets) {
    MakeFile(A() + "/f.jpg");
    TShellMenu menu;
    auto fileMenu = MenuOf(A(), {"f.jpg"});
    EXPECT_EQ(fileMenu->QueryContextMenu(&menu, 0, 1000, 32767, CMF_EXPLORE | CMF_CANRENAME),
              MakeCountResult(20));
    EXPECT_EQ(MenuEntries(menu), (Names{"&Open@0", "Se&nd To@-1", "Cu&t@1", "&Copy@2", "&Delete@4",
                                        "Rena&me@18", "P&roperties@19"}));
    EXPECT_EQ(menu.DefaultId(), 1000);
    ASSERT_NE(menu.SendToMenu(), nullptr);
    EXPECT_TRUE(menu.SendToMenu()->Items.front().SendToPlaceholder);
    QMenu shown;
    FillQMenu(shown, menu);
    EXPECT_EQ(CommandOf(shown.defaultAction()), 1000u);
    EXPECT_EQ(shown.actions().size(), 11);  // 7 entries, 4 separators
    QMenu* sendTo = shown.actions()[2]->menu();
    ASSERT_NE(sendTo, nullptr);
    EXPECT_TRUE(sendTo->actions()[0]->property("sendToPlaceholder").toBool());
    EXPECT_EQ(CommandOf(shown.actions()[4]), 1001u);

    TShellMenu withoutRename, folderMenu;
    fileMenu->QueryContextMenu(&withoutRename, 0, 1000, 32767, CMF_EXPLORE);
    Names entries = MenuEntries(withoutRename);
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "Rena&me@18"), 0);
    MenuOf(Home(), {"a"})->QueryContextMenu(&folderMenu, 0, 1000, 32767, CMF_EXPLORE);
    auto paste = std::find_if(folderMenu.Items.begin(), folderMenu.Items.end(),
                              [](const TShellMenuItem& item) { return item.Id == 1003; });
    ASSERT_NE(paste, folderMenu.Items.end());
    EXPECT_FALSE(paste->Enabled) << "nothing on the clipboard to paste";

    char text[260];
    EXPECT_EQ(fileMenu->GetCommandString(18, GCS_VERBA, nullptr, text, sizeof text), S_OK);
    EXPECT_STREQ(text, "rename");
    EXPECT_EQ(fileMenu->GetCommandString(4, GCS_HELPTEXTA, nullptr, text, 8), S_OK);
    EXPECT_STREQ(text, "Moves t");
    EXPECT_EQ(fileMenu->GetCommandString(7, GCS_VERBA, nullptr, text, sizeof text), E_INVALIDARG);
    EXPECT_EQ(Invoke(fileMenu, "paste"), E_INVALIDARG) << "paste is no verb of a file";
    EXPECT_EQ(Invoke(fileMenu, MakeIntVerb(0)), S_OK);
    EXPECT_EQ(prompts_.opened, Names{A() + "/f.jpg"});
}

TEST_F(ShellVerbsTest, CopyThenPaste_DuplicatesInTheSameFolderAndCopiesElsewhere) {
    MakeFile(A() + "/f.jpg", "photo");
    MakeFile(A() + "/sub/inner.txt", "inner");
    ASSERT_EQ(Invoke(MenuOf(A(), {"f.jpg", "sub"}), "copy"), S_OK);
    ASSERT_EQ(PasteInto(A()), S_OK);
    ASSERT_EQ(PasteInto(B()), S_OK);
    EXPECT_EQ(Entries(A()), (Names{"f (2).jpg", "f.jpg", "sub", "sub (2)"}));
    EXPECT_EQ(Entries(B()), (Names{"f.jpg", "sub"}));
    EXPECT_EQ(ReadFileBytes(A() + "/f (2).jpg"), "photo");
    EXPECT_EQ(ReadFileBytes(B() + "/sub/inner.txt"), "inner");
    EXPECT_TRUE(prompts_.clashes.empty()) << "a copy into its own folder asks nothing";
    EXPECT_FALSE(FilesOnClipboard().Paths.empty()) << "copied files stay on the clipboard";
}

TEST_F(ShellVerbsTest, CutThenPaste_MovesAndEmptiesTheClipboard) {
    MakeFile(A() + "/f.jpg", "photo");
    ASSERT_EQ(Invoke(MenuOf(A(), {"f.jpg"}), "cut"), S_OK);
    ASSERT_EQ(PasteInto(B()), S_OK);
    EXPECT_EQ(Entries(A()), Names{});
    EXPECT_EQ(ReadFileBytes(B() + "/f.jpg"), "photo");
    EXPECT_TRUE(FilesOnClipboard().Paths.empty());
}

TEST_F(ShellVerbsTest, Paste_NameClashAsksAndFollowsTheAnswer) {
    const struct {
        TClashAnswer answer;
        Names expected;
        const char* content;  // of b/f.jpg afterwards
    } cases[] = {{TClashAnswer::Skip, {"f.jpg"}, "old"},
                 {TClashAnswer::Replace, {"f.jpg"}, "new"},
                 {TClashAnswer::KeepBoth, {"f (2).jpg", "f.jpg"}, "old"}};
    for (const auto& c : cases) {
        fs::remove_all(B());
        MakeFile(B() + "/f.jpg", "old");
        MakeFile(A() + "/f.jpg", "new");
        prompts_.clashAnswer = c.answer;
        PutFilesOnClipboard({{A() + "/f.jpg"}, false});
        EXPECT_EQ(PasteInto(B()), S_OK);
        EXPECT_EQ(Entries(B()), c.expected);
        EXPECT_EQ(ReadFileBytes(B() + "/f.jpg"), c.content);
        EXPECT_TRUE(prompts_.replaceOffered);
    }
    EXPECT_EQ(prompts_.clashes.size(), 3u);
    prompts_.clashAnswer = TClashAnswer::Cancel;
    EXPECT_EQ(PasteInto(B()), E_ABORT);
    EXPECT_TRUE(prompts_.errors.empty());
}

TEST_F(ShellVerbsTest, Delete_MovesToTheTrashWithItsInfoAfterConfirmation) {
    MakeFile(A() + "/f.jpg", "one");
    MakeFile(B() + "/f.jpg", "two");
    prompts_.allowDelete = false;
    EXPECT_EQ(Invoke(MenuOf(A(), {"f.jpg"}), "delete"), E_ABORT);
    EXPECT_EQ(prompts_.confirmed, Names{A() + "/f.jpg"});
    EXPECT_TRUE(fs::exists(A() + "/f.jpg"));

    prompts_.allowDelete = true;
    ASSERT_EQ(Invoke(MenuOf(A(), {"f.jpg"}), "delete"), S_OK);
    ASSERT_EQ(Invoke(MenuOf(B(), {"f.jpg"}), MakeIntVerb(4)), S_OK);
    std::string trash = DataHome() + "/Trash";
    EXPECT_EQ(Entries(trash + "/files"), (Names{"f (2).jpg", "f.jpg"}));
    EXPECT_EQ(Entries(trash + "/info"), (Names{"f (2).jpg.trashinfo", "f.jpg.trashinfo"}));
    EXPECT_EQ(ReadFileBytes(trash + "/files/f (2).jpg"), "two");
    std::string info = ReadFileBytes(trash + "/info/f (2).jpg.trashinfo");
    EXPECT_TRUE(info.starts_with("[Trash Info]\nPath=" + B() + "/f.jpg\nDeletionDate=")) << info;
    EXPECT_EQ(info.size(),
              std::string("[Trash Info]\nPath=\nDeletionDate=2026-01-01T00:00:00\n").size() +
                  (B() + "/f.jpg").size());

    // Deleting from the Trash deletes for good, the info file with the item.
    ASSERT_EQ(Invoke(MenuOf(trash + "/files", {"f.jpg"}), "delete"), S_OK);
    EXPECT_EQ(Entries(trash + "/files"), Names{"f (2).jpg"});
    EXPECT_EQ(Entries(trash + "/info"), Names{"f (2).jpg.trashinfo"});
}

TEST_F(ShellVerbsTest, Trash_TakesNoPasteAndNoDrops) {
    std::string trash = DataHome() + "/Trash/files";
    MakeFolder(trash + "/old folder");
    TShellMenu menu;
    ComPtr<IContextMenu> trashMenu = MenuOf(trash, {"old folder"});
    trashMenu->QueryContextMenu(&menu, 0, 1000, 32767, CMF_EXPLORE);
    EXPECT_EQ(MenuEntries(menu), (Names{"&Open@0", "&Restore@5", "Se&nd To@-1", "Cu&t@1", "&Copy@2",
                                        "&Delete@4", "P&roperties@19"}));
    char help[64];
    trashMenu->GetCommandString(4, GCS_HELPTEXTA, nullptr, help, sizeof help);
    EXPECT_STREQ(help, "Deletes the selected items.");
    void* target = nullptr;
    EXPECT_EQ(Bind(trash)->CreateViewObject(0, IID_IDropTarget, &target), E_NOTIMPL);
    EXPECT_EQ(Bind(trash + "/old folder")->CreateViewObject(0, IID_IDropTarget, &target),
              E_NOTIMPL);
}

// Restore puts each item back where it was deleted from (its folder made
// again when gone) and drops its record; a place taken meanwhile is never
// overwritten: the item stays in the Trash and the refusal names it.
TEST_F(ShellVerbsTest, Restore_PutsItemsBackWhereTheyCameFrom_NeverOverATakenPlace) {
    MakeFile(A() + "/f.jpg", "one");
    MakeFile(A() + "/gone/g.jpg", "two");
    MakeFile(B() + "/f.jpg", "three");
    ASSERT_EQ(Invoke(MenuOf(A(), {"f.jpg"}), "delete"), S_OK);
    ASSERT_EQ(Invoke(MenuOf(A() + "/gone", {"g.jpg"}), "delete"), S_OK);
    ASSERT_EQ(Invoke(MenuOf(B(), {"f.jpg"}), "delete"), S_OK);
    fs::remove(A() + "/gone");
    const std::string trash = DataHome() + "/Trash";
    ASSERT_EQ(Entries(trash + "/files"), (Names{"f (2).jpg", "f.jpg", "g.jpg"}));

    ASSERT_EQ(Invoke(MenuOf(trash + "/files", {"f.jpg", "g.jpg"}), "restore"), S_OK);
    EXPECT_EQ(ReadFileBytes(A() + "/f.jpg"), "one");
    EXPECT_EQ(ReadFileBytes(A() + "/gone/g.jpg"), "two");
    EXPECT_EQ(Entries(trash + "/info"), Names{"f (2).jpg.trashinfo"});

    MakeFile(B() + "/f.jpg", "new");
    EXPECT_EQ(Invoke(MenuOf(trash + "/files", {"f (2).jpg"}), MakeIntVerb(5)),
              HResultFromErrno(EEXIST));
    EXPECT_EQ(prompts_.errors,
              Names{"Cannot restore \"f (2).jpg\": \"" + B() + "/f.jpg\" is in its place."});
    EXPECT_EQ(ReadFileBytes(B() + "/f.jpg"), "new");
    EXPECT_EQ(ReadFileBytes(trash + "/files/f (2).jpg"), "three");
    EXPECT_EQ(Entries(trash + "/info"), Names{"f (2).jpg.trashinfo"});

    TShellMenu menu;
    MenuOf(A(), {"f.jpg"})->QueryContextMenu(&menu, 0, 1000, 32767, CMF_EXPLORE);
    const Names entries = MenuEntries(menu);
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "&Restore@5"), 0)
        << "only items of the Trash are restored";
}

// The boxes the person answers are the program's: captioned with its title.
// Enter answers a box with its default button, which is No only for what
// cannot be undone, a deletion for good.
TEST(DialogPromptsTest, BoxesCarryTheProgramsTitle_EnterDeletesForGoodOnlyWhenChosen) {
    const std::string title = Application->Title;
    Application->Title = "KadrimarkExif";
    QString caption;
    // Runs `ask`, answering its box with Enter once it shows.
    auto answerWithEnter = [&](const std::function<void()>& ask) {
        caption.clear();
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                caption = box->windowTitle();
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        poll.start(10);
        ask();
    };
    bool deleted = true;
    answerWithEnter([&] { deleted = DialogPrompts().ConfirmDelete({"/x/f.jpg"}, true); });
    EXPECT_FALSE(deleted);
    EXPECT_EQ(caption, "KadrimarkExif");
    answerWithEnter([&] { deleted = DialogPrompts().ConfirmDelete({"/x/f.jpg"}, false); });
    EXPECT_TRUE(deleted) << "to the Trash, which can be undone";
    answerWithEnter([&] { DialogPrompts().ReportError("Cannot open \"f.jpg\"."); });
    EXPECT_EQ(caption, "KadrimarkExif");
    Application->Title = title;
}

// Opening many asks with the count in the locale's digits, No by default;
// programs start off the UI thread and one that cannot start is reported.
TEST_F(ShellVerbsTest, DialogPrompts_OpenManyAsksInTheLocalesNumbers_StartsDoNotWait) {
    const QLocale locale;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QString question;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            question = box->text();
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    poll.start(10);
    EXPECT_FALSE(DialogPrompts().ConfirmOpen(1000));
    EXPECT_EQ(question, "Open 1,000 files?");
    QLocale::setDefault(locale);

    question.clear();
    const std::string started = Home() + "/started";
    DialogPrompts().StartPrograms(
        {{"sh", "-c", "echo yes > \"$0\"", started}, {Home() + "/no-such-program"}});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !question.isEmpty(); }, 10000));
    EXPECT_EQ(question.toStdString(), "Cannot start \"" + Home() + "/no-such-program\".");
    EXPECT_TRUE(QTest::qWaitFor([&] { return ReadFileBytes(started) == "yes\n"; }, 10000));
}

TEST_F(ShellVerbsTest, TrashInfo_EscapesThePathAndWritesLocalTime) {
    EXPECT_EQ(TrashInfoText("/h/My Photos/ф%.jpg", 0),
              "[Trash Info]\nPath=/h/My%20Photos/%D1%84%25.jpg\n"
              "DeletionDate=1970-01-01T00:00:00\n");
}

TEST_F(ShellVerbsTest, Transfer_RefusesFolderIntoItselfAndNamesFromOutsideThatNameNothing) {
    MakeFile(A() + "/sub/f", "x");
    for (TFileOperation operation : {TFileOperation::Copy, TFileOperation::Move}) {
        EXPECT_EQ(TransferItems(operation, {A()}, A() + "/sub", prompts_, progress_).Code,
                  HResultFromErrno(EINVAL));
        EXPECT_EQ(TransferItems(operation, {A()}, A(), prompts_, progress_).Code,
                  HResultFromErrno(EINVAL));
    }
    for (const char* bad : {"relative/f", "/x/..", "/x/.", "/x/"})
        EXPECT_EQ(TransferItems(TFileOperation::Copy, {bad}, B(), prompts_, progress_).Code,
                  E_INVALIDARG)
            << bad;
    EXPECT_EQ(Entries(A()), Names{"sub"});
    EXPECT_EQ(Entries(A() + "/sub"), Names{"f"});
    EXPECT_EQ(Entries(B()), Names{});
}

TEST_F(ShellVerbsTest, Transfer_CopyFailingHalfWayLeavesNothingUnderTheTargetName) {
    MakeFile(A() + "/photos/1.jpg", "one");
    MakeFile(A() + "/photos/2.jpg", "two");
    chmod((A() + "/photos/2.jpg").c_str(), 0);
    chmod(B().c_str(), 0777);
    AsUnprivilegedUser user;
    ASSERT_TRUE(user.Active());
    TFileOperationResult result =
        TransferItems(TFileOperation::Copy, {A() + "/photos"}, B(), prompts_, progress_);
    EXPECT_EQ(result.Code, HResultFromErrno(EACCES));
    EXPECT_TRUE(result.Placed.empty());
    EXPECT_EQ(Entries(B()), Names{}) << "no target and no temporary copy stays";
    EXPECT_EQ(DoneText(progress_), "") << "what was removed is not reported done";
}

TEST_F(ShellVerbsTest, Transfer_LinksKeepBothCopiesKeepLinksPermissionsAndTimes) {
    MakeFile(A() + "/f.jpg", "x");
    symlink("f.jpg", (A() + "/alias").c_str());
    MakeFile(B() + "/f.jpg", "taken");
    auto linked = TransferItems(TFileOperation::Link, {A() + "/f.jpg"}, B(), prompts_, progress_);
    EXPECT_EQ(linked.Placed, Names{"f (2).jpg"});
    EXPECT_EQ(fs::read_symlink(B() + "/f (2).jpg"), A() + "/f.jpg");
    auto copied = TransferItems(TFileOperation::Copy, {A() + "/alias"}, B(), prompts_, progress_);
    EXPECT_EQ(copied.Placed, Names{"alias"});
    EXPECT_EQ(fs::read_symlink(B() + "/alias"), "f.jpg");
    EXPECT_TRUE(prompts_.clashes.empty());

    chmod((A() + "/f.jpg").c_str(), 04750);
    MakeFolder(Home() + "/c");
    ASSERT_EQ(
        TransferItems(TFileOperation::Copy, {A() + "/f.jpg"}, Home() + "/c", prompts_, progress_)
            .Code,
        S_OK);
    struct stat source, copy;
    stat((A() + "/f.jpg").c_str(), &source);
    stat((Home() + "/c/f.jpg").c_str(), &copy);
    EXPECT_EQ(copy.st_mode & 07777, 0750u) << "permissions kept, set-user-id not";
    EXPECT_EQ(copy.st_mtim.tv_sec, source.st_mtim.tv_sec);
}

// File work runs in a worker thread: a clash is still asked on the UI thread,
// over the window and answering input however long it stays open (the
// progress dialog waits for the answer), and the report of work cut short
// says what is left done.
class FileWorkTest : public ShellVerbsTest {};

bool ProgressDialogShown() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](QWidget* window) {
        return qobject_cast<QProgressDialog*>(window) != nullptr && window->isVisible();
    });
}

TEST_F(FileWorkTest, Paste_AClashQuestionLeftOpenStaysOnTopAndAnswersAClick) {
    MakeFile(A() + "/f.jpg", "new");
    MakeFile(B() + "/f.jpg", "old");
    TShellPromptsScope dialogs(DialogPrompts());
    QMessageBox* question = nullptr;
    bool covered = true;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || question != nullptr)
            return;
        question = box;
        QTest::qWait(800);
        covered = ProgressDialogShown() || QApplication::activeModalWidget() != box;
        auto buttons = box->findChildren<QPushButton*>();
        auto replace = std::find_if(buttons.begin(), buttons.end(),
                                    [](QPushButton* b) { return b->text() == "&Replace"; });
        ASSERT_NE(replace, buttons.end());
        QTest::mouseClick(*replace, Qt::LeftButton);
    });
    poll.start(10);
    PutFilesOnClipboard({{A() + "/f.jpg"}, false});
    EXPECT_EQ(PasteInto(B()), S_OK);
    ASSERT_NE(question, nullptr);
    EXPECT_FALSE(covered) << "no progress dialog over the question";
    EXPECT_EQ(ReadFileBytes(B() + "/f.jpg"), "new") << "the click answered";
    EXPECT_FALSE(ProgressDialogShown());
}

TEST_F(FileWorkTest, Paste_CancelledAtAClash_AsksOnTheUiThreadAndSaysWhatWasDone) {
    TProgramLanguage english(TLanguage::English);
    MakeFile(A() + "/a.jpg", "one");
    MakeFile(A() + "/f.jpg", "new");
    MakeFile(B() + "/f.jpg", "old");
    for (int i = 0; i < 20; ++i)
        MakeFile(A() + "/photos/" + std::to_string(i) + ".jpg", "x");
    bool askedOnUiThread = false;
    prompts_.clashAnswer = TClashAnswer::Cancel;
    prompts_.onClash = [&] {
        askedOnUiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    };
    PutFilesOnClipboard({{A() + "/a.jpg", A() + "/f.jpg", A() + "/photos"}, false});
    EXPECT_EQ(PasteInto(B()), E_ABORT);
    EXPECT_TRUE(askedOnUiThread);
    EXPECT_EQ(Entries(B()), (Names{"a.jpg", "f.jpg"}))
        << "neither the item asked about nor the folder after it is begun";
    EXPECT_EQ(prompts_.errors, Names{"Cancelled. 1 file done (1KB)."});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the dialog goes with the work";
}

// The count takes the catalogue's plural forms; the size is the list's.
TEST_F(FileWorkTest, DoneText_CountsInPluralFormsWithTheListsSizes) {
    const QLocale locale;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TProgramLanguage russian(TLanguage::Russian);
    const struct {
        int files;
        std::uint64_t bytes;
        std::string text;
    } cases[] = {
        {0, 0, ""},
        {1, 0, "Готово: 1 файл."},
        {3, 2048, "Готово: 3 файла (2 КБ)."},
        {5, 1, "Готово: 5 файлов (1 КБ)."},
        {21, 0, "Готово: 21 файл."},
    };
    for (const auto& c : cases) {
        TOperationProgress progress;
        for (int i = 0; i < c.files; ++i)
            progress.AddFile();
        progress.AddBytes(c.bytes);
        EXPECT_EQ(DoneText(progress), c.text) << c.files;
    }
    QLocale::setDefault(locale);
}

TEST_F(FileWorkTest, CancelledCopy_OfAFileOrAFolder_LeavesNothingHalfMade) {
    MakeFile(A() + "/photos/big.jpg", std::string(1 << 20, 'x'));
    MakeFile(A() + "/big.jpg", std::string(1 << 20, 'x'));
    for (const std::string& source : {A() + "/big.jpg", A() + "/photos"}) {
        TOperationProgress cancelled;
        cancelled.Cancel();
        TFileOperationResult result =
            TransferItems(TFileOperation::Copy, {source}, B(), prompts_, cancelled);
        EXPECT_EQ(result.Code, E_ABORT) << source;
        EXPECT_TRUE(result.Placed.empty());
        EXPECT_EQ(Entries(B()), Names{}) << "no temporary copy stays";
    }
}

// A data object offering one block in one format.
ComPtr<IDataObject> BlockData(UINT format, std::string bytes) {
    return ComPtr<IDataObject>(
        NewBlockDataObject({{static_cast<CLIPFORMAT>(format), std::move(bytes)}}));
}

TEST_F(ShellVerbsTest, DropTarget_CopiesMovesOrLinksByKeysAndTheRightButtonMenu) {
    constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    const struct {
        DWORD keys;
        DWORD menuChoice;
        DWORD effect;  // reported by Drop
        Names inA, inB;
    } cases[] = {
        {MK_LBUTTON, 0, DROPEFFECT_MOVE, {}, {"f.jpg"}},
        {MK_LBUTTON | MK_CONTROL, 0, DROPEFFECT_COPY, {"f.jpg"}, {"f.jpg"}},
        {MK_LBUTTON | MK_ALT, 0, DROPEFFECT_LINK, {"f.jpg"}, {"f.jpg"}},
        {MK_RBUTTON, DROPEFFECT_COPY, DROPEFFECT_COPY, {"f.jpg"}, {"f.jpg"}},
        {MK_RBUTTON, DROPEFFECT_NONE, DROPEFFECT_NONE, {"f.jpg"}, {}},
    };
    for (const auto& c : cases) {
        fs::remove_all(B());
        MakeFolder(B());
        MakeFile(A() + "/f.jpg", "x");
        prompts_.dropMenuChoice = c.menuChoice;
        ComPtr<IDataObject> data = BlockData(CF_HDROP, WriteFileDropBlock({A() + "/f.jpg"}));
        ComPtr<IDropTarget> target;
        ASSERT_EQ(Bind(Home())->CreateViewObject(0, IID_IDropTarget, target.PutVoid()), S_OK);
        ComPtr<IShellFolder> home = Bind(Home());
        IdList item;
        home->ParseDisplayName(0, nullptr, "b", nullptr, item.Put(), nullptr);
        LPCITEMIDLIST items[] = {item.Get()};
        ASSERT_EQ(home->GetUIObjectOf(0, 1, items, IID_IDropTarget, nullptr, target.PutVoid()),
                  S_OK);
        DWORD effect = kAll;
        target->DragEnter(data.Get(), c.keys, {0, 0}, &effect);
        EXPECT_NE(effect, DROPEFFECT_NONE);
        target->DragLeave();
        effect = kAll;
        EXPECT_EQ(target->Drop(data.Get(), c.keys, {0, 0}, &effect), S_OK);
        EXPECT_EQ(effect, c.effect) << c.keys;
        EXPECT_EQ(Entries(A()), c.inA) << c.keys;
        EXPECT_EQ(Entries(B()), c.inB) << c.keys;
        fs::remove(A() + "/f.jpg");
    }
}

TEST_F(ShellVerbsTest, DropTarget_TakesUriListsAndRefusesDropsThatGoNowhere) {
    MakeFile(A() + "/f.jpg", "x");
    ComPtr<IDataObject> uris = BlockData(UriListFormat(), "file://" + A() + "/f.jpg\r\n");
    EXPECT_EQ(DroppedPaths(uris.Get()), Names{A() + "/f.jpg"});
    constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(DropEffectFor({A()}, A() + "/sub", 0, kAll), DROPEFFECT_NONE);
    EXPECT_EQ(DropEffectFor({A() + "/f.jpg"}, A(), 0, kAll), DROPEFFECT_NONE);
    EXPECT_EQ(DropEffectFor({A() + "/f.jpg"}, A(), MK_CONTROL, kAll), DROPEFFECT_COPY);
    EXPECT_EQ(DropEffectFor({A() + "/f.jpg"}, A(), 0, DROPEFFECT_COPY | DROPEFFECT_LINK),
              DROPEFFECT_COPY)
        << "a move that is not allowed leaves the copy into the same folder";
    EXPECT_EQ(DropEffectFor({A() + "/f.jpg"}, B(), 0, DROPEFFECT_LINK), DROPEFFECT_LINK);
    EXPECT_EQ(DropEffectFor({}, B(), 0, kAll), DROPEFFECT_NONE);

    ComPtr<IShellFolder> folderA = Bind(A());
    IdList file;
    folderA->ParseDisplayName(0, nullptr, "f.jpg", nullptr, file.Put(), nullptr);
    LPCITEMIDLIST items[] = {file.Get()};
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(folderA->GetUIObjectOf(0, 1, items, IID_IDropTarget, nullptr, &object),
              E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    std::string crafted("\x05\0\x03\0\0\0\0", 7);
    items[0] = reinterpret_cast<LPCITEMIDLIST>(crafted.data());
    EXPECT_EQ(folderA->GetUIObjectOf(0, 1, items, IID_IContextMenu, nullptr, &object),
              E_INVALIDARG);
}

// The Trash is reached as the desktop's item and as the "files" folder of its
// own folder; either way a drop deletes, with the restore record.
TEST_F(ShellVerbsTest, TrashDrop_MovesEachItemToTheTrashWithItsRecord_OffersOnlyAMove) {
    constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    const std::string trash = DataHome() + "/Trash";
    MakeFolder(trash + "/files");
    const struct { std::string folder, item; } ways[] = {{Desktop(), "::Trash"}, {trash, "files"}};
    for (const auto& way : ways) {
        MakeFile(A() + "/f.jpg", "x");
        ComPtr<IShellFolder> parent = way.folder == Desktop() ? desktop_ : Bind(way.folder);
        ComPtr<IDropTarget> target = ItemDropTarget(parent.Get(), way.item);
        ASSERT_TRUE(target) << way.item;
        ComPtr<IDataObject> data = BlockData(CF_HDROP, WriteFileDropBlock({A() + "/f.jpg"}));
        DWORD effect = kAll;
        target->DragEnter(data.Get(), MK_LBUTTON | MK_CONTROL, {0, 0}, &effect);
        EXPECT_EQ(effect, DROPEFFECT_MOVE) << way.item << ": keys choose nothing else";
        effect = DROPEFFECT_COPY;
        target->DragOver(MK_LBUTTON, {0, 0}, &effect);
        EXPECT_EQ(effect, DROPEFFECT_NONE) << way.item << ": a copy cannot go to the Trash";
        target->DragLeave();
        effect = kAll;
        EXPECT_EQ(target->Drop(data.Get(), MK_LBUTTON, {0, 0}, &effect), S_OK);
        EXPECT_EQ(effect, DROPEFFECT_MOVE);
        EXPECT_EQ(Entries(A()), Names{});
        EXPECT_EQ(Entries(trash + "/files"), Names{"f.jpg"}) << way.item;
        EXPECT_TRUE(ReadFileBytes(trash + "/info/f.jpg.trashinfo")
                        .starts_with("[Trash Info]\nPath=" + A() + "/f.jpg\n"));

        // What is in the Trash already (however its path is spelt, or its
        // records), or holds it, stays where it is.
        fs::create_directory_symlink(trash + "/files", A() + "/link");
        for (const std::string& refused :
             {trash + "/files/f.jpg", trash + "/./files/f.jpg", DataHome() + "//Trash/files/f.jpg",
              A() + "/link/f.jpg", trash + "/info", DataHome()}) {
            ComPtr<IDataObject> again = BlockData(CF_HDROP, WriteFileDropBlock({refused}));
            effect = kAll;
            EXPECT_EQ(target->Drop(again.Get(), MK_LBUTTON, {0, 0}, &effect), S_OK);
            EXPECT_EQ(effect, DROPEFFECT_NONE) << refused;
        }
        EXPECT_EQ(Entries(trash + "/files"), Names{"f.jpg"});
        EXPECT_EQ(Entries(trash + "/info"), Names{"f.jpg.trashinfo"});
        fs::remove(A() + "/link");
        fs::remove_all(trash + "/files/f.jpg");
        fs::remove_all(trash + "/info/f.jpg.trashinfo");
    }
}

// A dropped item that is gone is named in the report, not the target.
TEST_F(ShellVerbsTest, Drops_ReportAMissingItemByItsOwnPath) {
    const std::string gone = A() + "/gone.jpg";
    ComPtr<IShellFolder> home = Bind(Home());
    for (const char* name : {"b", "::Trash"}) {
        ComPtr<IDropTarget> target =
            ItemDropTarget(name[0] == ':' ? desktop_.Get() : home.Get(), name);
        ASSERT_TRUE(target) << name;
        prompts_.errors.clear();
        ComPtr<IDataObject> data = BlockData(CF_HDROP, WriteFileDropBlock({gone}));
        DWORD effect = DROPEFFECT_MOVE;
        EXPECT_EQ(target->Drop(data.Get(), MK_LBUTTON | MK_SHIFT, {0, 0}, &effect),
                  HResultFromErrno(ENOENT));
        EXPECT_EQ(effect, DROPEFFECT_NONE) << name;
        EXPECT_EQ(prompts_.errors, Names{"Cannot find " + gone + ": No such file or directory"})
            << name;
    }
}

TEST_F(ShellVerbsTest, DropTarget_OffersNothingOverAFolderItCannotWrite) {
    MakeFile(A() + "/f.jpg", "x");
    chmod(B().c_str(), 0555);
    ComPtr<IDropTarget> target;
    ASSERT_EQ(Bind(B())->CreateViewObject(0, IID_IDropTarget, target.PutVoid()), S_OK);
    AsUnprivilegedUser nobody;
    if (!nobody.Active())
        GTEST_SKIP() << "cannot drop file-system rights";
    ComPtr<IDataObject> data = BlockData(CF_HDROP, WriteFileDropBlock({A() + "/f.jpg"}));
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    target->DragEnter(data.Get(), MK_LBUTTON, {0, 0}, &effect);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    target->DragLeave();
}

}  // namespace

TEST(LauncherCommandTest, ExpandsFieldCodesWithoutAShell) {
    Names files = {"/p/a b.jpg", "/p/$(rm -rf ~).jpg"};
    const struct {
        const char* exec;
        Names expected;
    } cases[] = {
        {"gimp %U", {"gimp", "file:///p/a%20b.jpg", "file:///p/%24%28rm%20-rf%20~%29.jpg"}},
        {"viewer --one %f", {"viewer", "--one", "/p/a b.jpg"}},
        {"\"/opt/my app/run\" -x %F",
         {"/opt/my app/run", "-x", "/p/a b.jpg", "/p/$(rm -rf ~).jpg"}},
        {"tool \"100%%\" %i %c %f", {"tool", "100%", "/p/a b.jpg"}},
        {"plain", {"plain", "/p/a b.jpg", "/p/$(rm -rf ~).jpg"}},
    };
    for (const auto& c : cases) {
        std::string text = std::string("[Desktop Entry]\nName=X\nExec=") + c.exec +
                           "\n[Desktop Action Other]\nExec=other\n";
        EXPECT_EQ(LauncherCommand(text, files), c.expected) << c.exec;
    }
    EXPECT_TRUE(LauncherCommand("[Other]\nExec=x\n", files).empty());
}

TEST_F(ShellVerbsTest, SendTo_LaunchersShortcutsAndFolderLinksTakeDrops) {
    std::string sendTo = DataHome() + "/KadrimarkEXIF/SendTo";
    MakeFolder(sendTo);
    MakeFile(sendTo + "/Viewer.desktop", "[Desktop Entry]\nExec=viewer %F\n");
    MakeFile(A() + "/Viewer.desktop", "[Desktop Entry]\nExec=viewer %F\n");
    symlink(B().c_str(), (sendTo + "/B").c_str());
    MakeFile(A() + "/f.jpg", "x");
    ComPtr<IDataObject> data = BlockData(CF_HDROP, WriteFileDropBlock({A() + "/f.jpg"}));

    auto dropOn = [&](const std::string& folder, const char* name, HRESULT& hr) {
        ComPtr<IShellFolder> parent = Bind(folder);
        IdList item;
        parent->ParseDisplayName(0, nullptr, name, nullptr, item.Put(), nullptr);
        LPCITEMIDLIST items[] = {item.Get()};
        ComPtr<IDropTarget> target;
        hr = parent->GetUIObjectOf(0, 1, items, IID_IDropTarget, nullptr, target.PutVoid());
        DWORD effect = DROPEFFECT_COPY;
        if (SUCCEEDED(hr))
            target->Drop(data.Get(), MK_CONTROL, {0, 0}, &effect);
        return effect;
    };
    HRESULT hr;
    EXPECT_EQ(dropOn(sendTo, "Viewer.desktop", hr), DROPEFFECT_COPY);
    EXPECT_EQ(prompts_.started, (std::vector<Names>{{"viewer", A() + "/f.jpg"}}));
    dropOn(A(), "Viewer.desktop", hr);
    EXPECT_EQ(hr, E_NOINTERFACE) << "launchers elsewhere start nothing";
    EXPECT_EQ(dropOn(sendTo, "B", hr), DROPEFFECT_COPY);
    EXPECT_EQ(Entries(B()), Names{"f.jpg"});
}

TEST_F(ShellVerbsTest, Trash_ItemOnAnotherFileSystemGoesToTheTrashAtItsMountTop) {
    struct stat shm, data;
    if (stat("/dev/shm", &shm) != 0 || stat(DataHome().c_str(), &data) != 0 ||
        shm.st_dev == data.st_dev || access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "needs /dev/shm on a file system of its own";
    std::string folder = "/dev/shm/kadrimark-trash-" + std::to_string(getpid());
    MakeFile(folder + "/f.jpg", "x");
    ASSERT_EQ(MoveToTrash(folder + "/f.jpg"), S_OK);
    std::string trash = "/dev/shm/.Trash-" + std::to_string(getuid());
    std::string name = ItemNameOf(folder);
    Names trashed = Entries(trash + "/files");
    auto placed = std::find_if(trashed.begin(), trashed.end(),
                               [](const std::string& entry) { return entry.starts_with("f"); });
    ASSERT_NE(placed, trashed.end());
    std::string info = ReadFileBytes(trash + "/info/" + *placed + ".trashinfo");
    EXPECT_NE(info.find("\nPath=" + name + "/f.jpg\n"), std::string::npos) << info;
    fs::remove(trash + "/files/" + *placed);
    fs::remove(trash + "/info/" + *placed + ".trashinfo");
    fs::remove_all(folder);
    std::error_code keptWhenInUse;  // the folders go only when they are empty
    for (const std::string& made : {trash + "/files", trash + "/info", trash})
        fs::remove(made, keptWhenInUse);
}
