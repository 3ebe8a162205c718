#include "app/Unit1.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHelpEvent>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>
#include <QTreeWidget>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

#include "../shell/ShellTestSupport.h"
#include "MovieFiles.h"
#include "PhotoFiles.h"
#include "app/ExifHead.h"
#include "app/FolderItems.h"
#include "app/StampSettings.h"
#include "chrome/ChromeAccessibility.h"
#include "chrome/MarqueeStatus.h"
#include "chrome/PollingStatus.h"
#include "chrome/ProgressBar.h"
#include "chrome/Separator.h"
#include "chrome/Splitter.h"
#include "chrome/StatusBar.h"
#include "chrome/ToolButton.h"
#include "chrome/Toolbar.h"
#include "framework/Application.h"
#include "framework/ImageList.h"
#include "framework/ProgramLanguage.h"
#include "platform/PromptsInForce.h"
#include "shell/ListAccessibility.h"
#include "shell/ShellList.h"
#include "shell/ShellTree.h"
#include "support/Unprivileged.h"

namespace {

bool Bluish(TColor c) {
    return GetBValue(c) > GetRValue(c) + 40;
}

// Brightness as the eye weighs the channels, 0..255.
int Luma(TColor c) {
    return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000;
}

bool Greenish(TColor c) {
    return GetGValue(c) > GetRValue(c) + 40 && GetGValue(c) > GetBValue(c) + 40;
}

// The window over the test home, its boxes recorded instead of shown, its
// controls read by assistive tools as the program has them read.
class Form1Test : public ShellTest {
  protected:
    Form1Test() {
        InstallChromeAccessibility();  // before the window shows
        InstallListAccessibility();
        UseClassicColorScheme();
        Application->Title = "KadrimarkExif";
        Application->SetPresenterForTest(
            [this](const MessageBoxRequest& box) { boxes.push_back(box); });
        KeepStampOptions({});  // the options as a new user has them
        form.Show();
    }
    ~Form1Test() override { Application->SetPresenterForTest({}); }

    // A left click in the middle of a tool button, as the mouse gives it.
    void Click(TRzToolButton* button) {
        TRect r = button->BoundsRect();
        QTest::mouseClick(form.RzToolbar1->Widget(), Qt::LeftButton, {},
                          QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    }
    // Answers the next question box with a click on `answer`, or with Enter
    // (its default button) when `answer` is NoButton; records its text.
    void AnswerNextQuestion(QMessageBox::StandardButton answer, int tries = 500) {
        QTimer::singleShot(tries == 500 ? 0 : 10, form.Widget(), [this, answer, tries] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr && tries > 0)
                return AnswerNextQuestion(answer, tries - 1);  // not asked yet
            ASSERT_NE(box, nullptr);
            questions.push_back({box->windowTitle().toStdString(), box->text().toStdString()});
            if (answer == QMessageBox::NoButton)
                QTest::keyClick(box, Qt::Key_Return);
            else
                QTest::mouseClick(box->button(answer), Qt::LeftButton);
        });
    }
    // Opens "Параметры" with a click, ticks (or unticks) the named check
    // boxes with clicks and closes the dialog with `button`; returns the
    // boxes as the dialog showed them on opening.
    std::vector<std::pair<QString, bool>> ChangeOptions(const std::vector<QString>& toggled,
                                                        QDialogButtonBox::StandardButton button) {
        std::vector<std::pair<QString, bool>> shown;
        QTimer::singleShot(0, form.Widget(), [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            for (QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
                shown.emplace_back(box->text(), box->isChecked());
                if (std::find(toggled.begin(), toggled.end(), box->text()) != toggled.end())
                    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
            }
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            QTest::mouseClick(buttons->button(button), Qt::LeftButton);
        });
        Click(form.RzToolButton7);
        return shown;
    }
    // Selects the named items of the list with clicks, Ctrl held after the
    // first.
    void SelectByMouse(const std::vector<std::string>& names) {
        QAbstractItemView* view = form.TeFileListBox1->ActiveView();
        const std::vector<std::string> listed = Listed();
        for (std::size_t i = 0; i < names.size(); ++i) {
            const int row = static_cast<int>(std::find(listed.begin(), listed.end(), names[i]) -
                                             listed.begin());
            QTest::mouseClick(view->viewport(), Qt::LeftButton,
                              i == 0 ? Qt::NoModifier : Qt::ControlModifier,
                              view->visualRect(view->model()->index(row, 0)).center());
        }
    }
    // Opens the list's menu over its first selected item with the mouse's
    // request and picks `caption` with the keyboard (or closes it when the
    // menu has no such entry); returns the menu's entries.
    QStringList ListMenu(const QString& caption) {
        QStringList captions;
        QTimer::singleShot(0, form.Widget(), [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            QAction* chosen = nullptr;
            for (QAction* action : menu->actions()) {
                captions << action->text();
                if (!action->isSeparator() && action->text() == caption)
                    chosen = action;
            }
            if (chosen == nullptr) {
                menu->close();
                return;
            }
            menu->setActiveAction(chosen);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QAbstractItemView* view = form.TeFileListBox1->ActiveView();
        const int row = form.TeFileListBox1->SelectedIndexes().front();
        const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view->viewport(), &request);
        return captions;
    }
    // Runs `action` in each pump step of the next stamp run.
    void InEveryPumpStep(std::function<void()> action) {
        pumpStep = std::move(action);
        ArmPumpStep();
    }
    void ArmPumpStep() {
        QTimer::singleShot(0, form.Widget(), [this] {
            if (!pumpStep)
                return;
            pumpStep();
            ArmPumpStep();
        });
    }
    // A folder of the test home holding the given photos, shown in the list.
    std::string ShowFolderOf(const std::vector<std::string>& photos) {
        std::string folder = MakeHomeFolder("photos");
        for (const std::string& name : photos)
            WriteFileBytes(folder + "/" + name, PlainJpeg());
        EXPECT_TRUE(form.OpenFolder(folder));
        return folder;
    }
    std::vector<std::string> Listed() {
        std::vector<std::string> names;
        for (int i = 0; i < form.TeFileListBox1->ItemCount(); ++i)
            names.push_back(form.TeFileListBox1->ShellListData(i)->FileName());
        return names;
    }
    static std::vector<std::string> Sorted(std::vector<std::string> names) {
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string Stamped(const std::string& date) { return StampedJpeg(PlainJpeg(), date); }
    TBitmap Picture(TWinControl* control) { return TBitmap(control->Grab()); }

    std::vector<MessageBoxRequest> boxes;
    std::vector<std::pair<std::string, std::string>> questions;  // caption, text
    std::function<void()> pumpStep;
    TForm1 form;
};

}  // namespace

TEST_F(Form1Test, StartUp_WindowAndControlsInTheirPlacesOnTheDesktop) {
    EXPECT_EQ(Form1, &form);
    EXPECT_EQ(form.Caption(), "KadrimarkEXIF");
    EXPECT_EQ(form.Widget()->windowTitle().toStdString(), "KadrimarkEXIF");
    EXPECT_EQ(form.Widget()->pos(), QPoint(208, 211));
    EXPECT_EQ(form.Widget()->size(), QSize(940, 606));
    EXPECT_FALSE(form.Widget()->windowIcon().isNull());
    const std::vector<std::pair<TControl*, TRect>> places = {
        {form.RzToolbar1, Rect(0, 0, 940, 33)},      {form.TeFolderListbox1, Rect(0, 33, 185, 587)},
        {form.RxSplitter1, Rect(185, 33, 186, 587)}, {form.TeFileListBox1, Rect(186, 33, 940, 587)},
        {form.RzStatusBar1, Rect(0, 587, 940, 606)},
    };
    for (const auto& [control, place] : places)
        EXPECT_EQ(control->BoundsRect(), place) << control->Name();
    EXPECT_EQ(form.RxSplitter1->Cursor(), crHSplit);
    EXPECT_EQ(form.RzMarqueeStatus1->Caption(), "KadrimarkEXIF");
    EXPECT_TRUE(form.RzClockStatus1->Visible());
    EXPECT_FALSE(form.KvtXPProgressBar1->Visible());
    EXPECT_EQ(form.ImageList1->Count(), 10);
    EXPECT_EQ(form.Hex2.Presentation().BytesPerRow(), 16);
    EXPECT_EQ(form.TeFolderListbox1->SelectedFolder()->PathName(), TestDesktop());
    ASSERT_TRUE(PumpUntil([&] { return form.TeFileListBox1->ItemCount() >= 3; }));  // Home, ...
    EXPECT_EQ(form.TeFileListBox1->FolderPath(), TestDesktop());
}

TEST_F(Form1Test, ViewButtons_SetTheListsStyleOnce) {
    ShowFolderOf({"15-06-07_1230.jpg"});
    Click(form.RzToolButton5);
    EXPECT_EQ(form.TeFileListBox1->ViewStyle(), vsList);
    Click(form.RzToolButton5);
    EXPECT_EQ(form.TeFileListBox1->ViewStyle(), vsList);
    Click(form.RzToolButton6);
    EXPECT_EQ(form.TeFileListBox1->ViewStyle(), vsReport);
    EXPECT_EQ(form.TeFileListBox1->ColumnCount(), 5);  // the folder's four and the date taken
    Click(form.RzToolButton4);
    EXPECT_EQ(form.TeFileListBox1->ViewStyle(), vsIcon);
}

TEST_F(Form1Test, Author_ShowsAPlainBoxAndChangesNothing) {
    Click(form.RzToolButton2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Автор: the KadrimarkEXIF team");
    EXPECT_EQ(boxes[0].Caption, "KadrimarkExif");
    EXPECT_EQ(boxes[0].Icon, MessageBoxIcon::None);
    EXPECT_TRUE(form.Widget()->isVisible());
}

TEST_F(Form1Test, Exit_ClosesTheWindow) {
    Click(form.RzToolButton3);
    EXPECT_FALSE(form.Widget()->isVisible());
}

// The toolbar's square-box gradient runs to blue in its middle; the status
// bar's separators are blue-highlighted gradients.
TEST_F(Form1Test, Pixels_ToolbarGradientAndStatusSeparators) {
    TBitmap toolbar = Picture(form.RzToolbar1);
    EXPECT_TRUE(Bluish(toolbar.Pixel(700, 16)));
    EXPECT_NE(toolbar.Pixel(700, 16), toolbar.Pixel(939, 32));
    TBitmap status = Picture(form.RzStatusBar1);
    for (int x : {form.RzSeparator1->Left(), form.RzSeparator2->Left()}) {
        int blue = 0;
        for (int y = 1; y < 19; ++y)
            blue += Bluish(status.Pixel(x, y)) || Bluish(status.Pixel(x + 1, y));
        EXPECT_GT(blue, 4) << x;
    }
    EXPECT_FALSE(Bluish(status.Pixel(400, 10)));
    // The panes keep the window colour of their own, not the form's face.
    for (TWinControl* pane : {static_cast<TWinControl*>(form.TeFolderListbox1),
                              static_cast<TWinControl*>(form.TeFileListBox1)})
        EXPECT_EQ(TBitmap(pane->Grab()).Pixel(pane->Width() - 30, pane->Height() - 30),
                  ColorToRGB(clWindow))
            << pane->Name();
}

// Each caption's letters stand clearly apart from the gradient under them,
// wherever the window's width puts its blue middle: the letters are the
// pixels that change when the caption shows.
TEST_F(Form1Test, Pixels_ToolbarCaptionsReadOnTheGradient) {
    for (int width : {940, form.Widget()->minimumWidth(), 1280}) {
        form.Widget()->resize(width, 606);
        const TBitmap shown = Picture(form.RzToolbar1);
        for (TRzToolButton* button :
             {form.RzToolButton1, form.RzToolButton2, form.RzToolButton3, form.RzToolButton7}) {
            button->SetShowCaption(false);
            const TBitmap bare = Picture(form.RzToolbar1);
            button->SetShowCaption(true);
            const TRect caption = OffsetRect(button->CaptionRect(), button->Left(), button->Top());
            int letters = 0, faint = 0;
            for (int y = caption.Top; y < caption.Bottom; ++y) {
                for (int x = caption.Left; x < caption.Right; ++x) {
                    if (shown.Pixel(x, y) == bare.Pixel(x, y))
                        continue;
                    ++letters;
                    faint += std::abs(Luma(shown.Pixel(x, y)) - Luma(bare.Pixel(x, y))) < 100;
                }
            }
            EXPECT_GT(letters, 40) << button->Name() << " at " << width;
            EXPECT_EQ(faint, 0) << button->Name() << " at " << width;
        }
    }
}

TEST_F(Form1Test, Stamp_ThroughTheTree_StampsTheShownFolder) {
    std::string folder = ShowFolderOf({"15-06-07_1230.jpg", "01-02-08_0915.jpg", "holiday.jpg"});
    WriteFileBytes(folder + "/02-02-08_1000.jpg", JpegWithExifAfterApp0());
    ASSERT_TRUE(PumpUntil([&] { return form.TeFileListBox1->ItemCount() == 4; }));
    std::vector<int> positions;
    int greenBlocks = 0;
    InEveryPumpStep([&] {
        ASSERT_TRUE(form.KvtXPProgressBar1->Visible());
        positions.push_back(form.KvtXPProgressBar1->Position());
        TBitmap status = Picture(form.RzStatusBar1);
        for (int x = form.KvtXPProgressBar1->Left(); x < form.RzSeparator2->Left(); ++x)
            greenBlocks += Greenish(status.Pixel(x, 9));
    });
    Click(form.RzToolButton1);
    pumpStep = nullptr;

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "EXIF Info добавлено в: 2 файлов");
    EXPECT_EQ(positions.size(), 2u);
    EXPECT_GT(greenBlocks, 0);
    EXPECT_FALSE(form.KvtXPProgressBar1->Visible());
    EXPECT_EQ(form.KvtXPProgressBar1->Position(), 0);
    EXPECT_EQ(ReadFileBytes(folder + "/15-06-07_1230.jpg"), Stamped("2007:06:15 12:30:00"));
    EXPECT_EQ(ReadFileBytes(folder + "/01-02-08_0915.jpg"), Stamped("2008:02:01 09:15:00"));
    EXPECT_EQ(ReadFileBytes(folder + "/holiday.jpg"), PlainJpeg());
    EXPECT_EQ(ReadFileBytes(folder + "/02-02-08_1000.jpg"), JpegWithExifAfterApp0());
    EXPECT_EQ(Sorted(Listed()), Sorted(ListFolderItems(folder)));
}

// A run rewrites each photo by renaming a new copy over it: the list keeps
// its rows in their order, the selection made with the mouse and its scroll
// place; the stamped rows show their new size.
TEST_F(Form1Test, Stamp_KeepsTheListsOrderSelectionAndScroll_RowsShowTheNewSize) {
    std::vector<std::string> photos;
    for (int month = 1; month <= 2; ++month)
        for (int day = 10; day < 30; ++day)
            photos.push_back(std::to_string(day) + "-0" + std::to_string(month) + "-08_1200.jpg");
    // Photos of 900 bytes and more, so that the stamp moves them to 2 KB.
    std::string folder = MakeHomeFolder("photos");
    const std::string photo = PlainJpeg();
    for (const std::string& name : photos)
        WriteFileBytes(folder + "/" + name,
                       photo.substr(0, photo.size() - 2) + std::string(900, '\x11') + "\xFF\xD9");
    ASSERT_TRUE(form.OpenFolder(folder));
    ASSERT_TRUE(PumpUntil([&] { return form.TeFileListBox1->ItemCount() == 40; }));
    Click(form.RzToolButton6);
    TRzShellList& list = *form.TeFileListBox1;
    QTreeView* view = list.ReportView();
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    const int scrolled = view->verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);
    const QModelIndex row = view->indexAt(QPoint(5, view->viewport()->height() / 2));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(row).center());
    const std::vector<std::string> before = Listed();
    const std::string sizeBefore = row.siblingAtColumn(1).data().toString().toStdString();

    Click(form.RzToolButton1);

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "EXIF Info добавлено в: 40 файлов");
    EXPECT_EQ(Listed(), before);
    EXPECT_EQ(list.SelectedIndexes(), std::vector<int>{row.row()});
    EXPECT_EQ(view->verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(sizeBefore, "1 KB");
    EXPECT_EQ(row.siblingAtColumn(1).data().toString().toStdString(), "2 KB");
}

// A refresh that falls due during a run waits for its end: the list keeps
// its items in place while the run walks them, then shows every file once.
TEST_F(Form1Test, Stamp_RefreshDueDuringTheRun_WaitsAndRunsOnceAfterIt) {
    std::vector<std::string> photos;
    for (int day = 10; day < 22; ++day)
        photos.push_back(std::to_string(day) + "-03-08_1200.jpg");
    std::string folder = ShowFolderOf(photos);
    ASSERT_TRUE(PumpUntil([&] { return form.TeFileListBox1->ItemCount() == 12; }));
    WriteFileBytes(folder + "/notes.txt", "x");  // the watcher sees it and arms the refresh
    ASSERT_TRUE(PumpUntil(
        [&] { return form.TeFileListBox1->Window().HasTimer(TRzShellList::kRefreshTimer); }));
    std::vector<std::string> atStart = Listed();
    bool listKept = true;
    InEveryPumpStep([&] {
        form.TeFileListBox1->Perform(WM_TIMER, TRzShellList::kRefreshTimer);
        listKept = listKept && Listed() == atStart;
    });
    Click(form.RzToolButton1);
    pumpStep = nullptr;

    EXPECT_TRUE(listKept);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "EXIF Info добавлено в: 12 файлов");
    for (const std::string& name : photos)
        EXPECT_EQ(ReadFileBytes(folder + "/" + name).size(), PlainJpeg().size() + 284) << name;
    EXPECT_EQ(Sorted(Listed()), Sorted(ListFolderItems(folder)));
}

// While a run is in its pump step, the commands that would touch the byte
// document or the list do nothing.
TEST_F(Form1Test, Stamp_StampAndViewClickedDuringARunDoNothing) {
    ShowFolderOf({"01-01-07_0000.jpg", "02-01-07_0000.jpg"});
    InEveryPumpStep([this] {
        Click(form.RzToolButton1);
        Click(form.RzToolButton6);
    });
    Click(form.RzToolButton1);
    pumpStep = nullptr;
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "EXIF Info добавлено в: 2 файлов");
    EXPECT_EQ(form.TeFileListBox1->ViewStyle(), vsIcon);
}

// Closing during a run asks first. No goes on; Yes ends the run after the
// photo it is on, says how many it stamped and closes the window.
TEST_F(Form1Test, Stamp_ClosingDuringARunAsks_StopFinishesThePhotoCountsAndCloses) {
    std::string folder =
        ShowFolderOf({"01-01-07_0000.jpg", "02-01-07_0000.jpg", "03-01-07_0000.jpg"});
    int step = 0;
    InEveryPumpStep([&] {
        if (++step > 2)
            return;
        AnswerNextQuestion(step == 1 ? QMessageBox::NoButton : QMessageBox::Yes);
        Click(form.RzToolButton3);
    });
    Click(form.RzToolButton1);
    pumpStep = nullptr;
    EXPECT_TRUE(form.Widget()->isVisible());  // not closed under the running command
    QApplication::processEvents();
    EXPECT_FALSE(form.Widget()->isVisible());
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0].first, "KadrimarkExif");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "EXIF Info добавлено в: 2 файлов");
    EXPECT_EQ(ReadFileBytes(folder + "/01-01-07_0000.jpg").size(), PlainJpeg().size() + 284);
    EXPECT_EQ(ReadFileBytes(folder + "/02-01-07_0000.jpg").size(), PlainJpeg().size() + 284);
    EXPECT_EQ(ReadFileBytes(folder + "/03-01-07_0000.jpg"), PlainJpeg());
}

TEST_F(Form1Test, Stamp_ErrorEndsTheRunInTheStopBox) {
    std::string folder = ShowFolderOf({"15-06-07_1230.jpg"});
    ASSERT_EQ(chmod((folder + "/15-06-07_1230.jpg").c_str(), 0444), 0);
    Click(form.RzToolButton1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Cannot save readonly file " + folder +
                                 "/15-06-07_1230.jpg.\n\nPhotos stamped before the error: 0.");
    EXPECT_EQ(boxes[0].Icon, MessageBoxIcon::Stop);
    EXPECT_FALSE(form.KvtXPProgressBar1->Visible());

    TStampOptions options;
    options.videos = true;
    KeepStampOptions(options);
    Click(form.RzToolButton1);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[1].Text.find("\n\nFiles stamped before the error: 0."), std::string::npos);
}

// A run that fails - on an unreadable subfolder, or on the shown folder
// itself - ends in one stop box with the failure and how many photos were
// stamped before it; the status bar is left as after any run.
TEST_F(Form1Test, Stamp_UnreadableFolderEndsTheRunInOneBoxWithTheCountSoFar) {
    std::string folder = MakeHomeFolder("locked");
    for (const char* sub : {"/nope", "/zz"})
        std::filesystem::create_directory(folder + sub);
    for (const char* photo :
         {"/01-01-07_0000.jpg", "/nope/02-01-07_0000.jpg", "/zz/03-01-07_0000.jpg"})
        WriteFileBytes(folder + photo, PlainJpeg());
    for (const char* owned : {"", "/01-01-07_0000.jpg", "/nope", "/zz", "/zz/03-01-07_0000.jpg"})
        ASSERT_EQ(chown((folder + owned).c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(chmod(TestHome().c_str(), 0755), 0);
    ASSERT_EQ(chmod((folder + "/nope").c_str(), 0), 0);
    TStampOptions options;
    options.recursive = true;
    KeepStampOptions(options);
    const struct {
        std::string shown, failed, done;
    } cases[] = {{folder, folder + "/nope", "1"}, {folder + "/nope", folder + "/nope", "0"}};
    RecordingPrompts prompts;  // the list's own boxes
    TShellPromptsScope promptsScope(prompts);
    for (const auto& c : cases) {
        AsUnprivilegedUser nobody;
        ASSERT_TRUE(nobody.Active());
        ASSERT_TRUE(form.OpenFolder(c.shown));
        PumpUntil([&] { return !prompts.errors.empty(); }, 300);  // an unreadable list's
        prompts.errors.clear();
        boxes.clear();
        Click(form.RzToolButton1);
        PumpUntil([&] { return !prompts.errors.empty(); }, 300);
        EXPECT_TRUE(prompts.errors.empty()) << prompts.errors.front();
        ASSERT_EQ(boxes.size(), 1u) << c.shown;
        EXPECT_EQ(boxes[0].Text, "Cannot open " + c.failed +
                                     ".\r\n(Permission denied.)\n\nPhotos stamped before the "
                                     "error: " +
                                     c.done + ".");
        EXPECT_EQ(boxes[0].Icon, MessageBoxIcon::Stop);
        EXPECT_FALSE(form.KvtXPProgressBar1->Visible());
        EXPECT_EQ(form.KvtXPProgressBar1->Position(), 0);
    }
    EXPECT_EQ(ReadFileBytes(folder + "/01-01-07_0000.jpg").size(), PlainJpeg().size() + 284);
    EXPECT_EQ(ReadFileBytes(folder + "/zz/03-01-07_0000.jpg"), PlainJpeg());
}

TEST_F(Form1Test, OpenFolder_RefusesWhatTheTreeCannotReach) {
    EXPECT_FALSE(form.OpenFolder(TestHome() + "/no such folder"));
    EXPECT_EQ(form.TeFolderListbox1->SelectedFolder()->PathName(), TestDesktop());
}

// A folder in the home is reached through the Home node and scrolled to the
// middle of the tree; sideways only as far as its label needs, so that its
// own and its parent's expanders stay in sight.
TEST_F(Form1Test, OpenFolder_InTheHome_ThroughHome_ScrolledToTheMiddle_ExpandersInSight) {
    const std::string base = MakeHomeFolder("many");
    for (int i = 0; i < 60; ++i)
        std::filesystem::create_directories(base + "/dir_" + std::to_string(i));
    const std::string shallow = base + "/dir_30";
    const std::string deep = shallow + "/one/two/three/a folder with a rather long name";
    std::filesystem::create_directories(deep);
    QTreeWidget* view = form.TeFolderListbox1->View();
    const int indent = view->indentation();
    for (const std::string& path : {shallow, deep}) {
        ASSERT_TRUE(form.OpenFolder(path)) << path;
        TTreeNode* node = form.TeFolderListbox1->Selected();
        const TTreeNode* top = node;
        while (top->Parent() != nullptr && top->Parent()->Parent() != nullptr)
            top = top->Parent();
        EXPECT_EQ(top->text(0).toStdString(), "Home") << path;
        const QRect row = view->visualItemRect(node);
        const int height = view->viewport()->height();
        EXPECT_GT(row.top(), height / 4) << path;
        EXPECT_LT(row.bottom(), height * 3 / 4) << path;
        EXPECT_GE(row.left(), 2 * indent) << path;  // its own and its parent's expander
        if (path == shallow)
            EXPECT_EQ(view->horizontalScrollBar()->value(), 0);
        else
            EXPECT_GT(view->horizontalScrollBar()->value(), 0);
    }
}

// The shown folder stays visibly selected in the tree when the list has the
// focus and when another window is active.
TEST_F(Form1Test, Tree_ShowsItsSelectionWithoutTheFocusAndInAnInactiveWindow) {
    ShowFolderOf({"15-06-07_1230.jpg"});
    QTreeWidget* view = form.TeFolderListbox1->View();
    TTreeNode* node = form.TeFolderListbox1->Selected();
    auto selectionShows = [&] {
        const QRect row = view->visualItemRect(node);
        const QImage picture = view->viewport()->grab().toImage();
        int marked = 0;
        for (int x = row.left() + 24; x < row.left() + 60; ++x) {  // the highlight's hue
            const QColor c = picture.pixelColor(x, row.center().y());
            marked += Bluish(RGB(c.red(), c.green(), c.blue()));
        }
        return marked > 20;
    };
    form.Widget()->activateWindow();
    form.TeFolderListbox1->SetFocus();
    QTest::keyClick(view, Qt::Key_Tab);
    ASSERT_TRUE(PumpUntil([&] { return form.TeFileListBox1->Focused(); }));
    EXPECT_TRUE(selectionShows());
    QAbstractItemView* list = form.TeFileListBox1->ActiveView();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(400, 400));
    ASSERT_TRUE(PumpUntil([&] { return form.TeFileListBox1->Focused(); }));
    EXPECT_TRUE(selectionShows());

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(PumpUntil([&] { return !form.Widget()->isActiveWindow(); }));
    EXPECT_TRUE(selectionShows());
}

// Going to another folder during a run changes neither the folder nor the
// items the run works on; the list shows the new folder after the run.
TEST_F(Form1Test, Stamp_NavigatingDuringARunKeepsTheRunOnItsFolder) {
    std::vector<std::string> photos = {"01-01-07_0000.jpg", "02-01-07_0000.jpg"};
    std::string other = MakeHomeFolder("elsewhere");
    for (const std::string& name : photos)
        WriteFileBytes(other + "/" + name, PlainJpeg());
    std::string folder = ShowFolderOf(photos);
    InEveryPumpStep([&] { form.OpenFolder(other); });
    Click(form.RzToolButton1);
    pumpStep = nullptr;

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "EXIF Info добавлено в: 2 файлов");
    for (const std::string& name : photos) {
        EXPECT_EQ(ReadFileBytes(folder + "/" + name).size(), PlainJpeg().size() + 284) << name;
        EXPECT_EQ(ReadFileBytes(other + "/" + name), PlainJpeg()) << name;
    }
    EXPECT_EQ(form.TeFolderListbox1->SelectedFolder()->PathName(), other);
    EXPECT_EQ(form.TeFileListBox1->FolderPath(), other);
    EXPECT_EQ(Sorted(Listed()), Sorted(ListFolderItems(other)));
}

// The options' dialog opens from "Параметры"; what is ticked there and
// confirmed is kept in the user's configuration and used by the next run,
// which without them stamps what it always stamped.
TEST_F(Form1Test, Options_TickedInTheDialog_KeptInTheUsersConfigurationAndUsedByARun) {
    std::string folder = MakeHomeFolder("phones");
    WriteFileBytes(folder + "/IMG_20190723_184512.jpg", PlainJpeg());
    std::filesystem::create_directories(folder + "/sub");
    WriteFileBytes(folder + "/sub/15-06-07_1230.jpg", PlainJpeg());
    const std::string movie = MakeMovie({}).bytes;
    WriteFileBytes(folder + "/VID_20190723_184512.mp4", movie);
    ASSERT_TRUE(form.OpenFolder(folder));
    ASSERT_TRUE(PumpUntil([&] { return form.TeFileListBox1->ItemCount() == 3; }));
    Click(form.RzToolButton1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, kNothingFoundMessage);

    const std::vector<QString> captions = {"All name schemes", "Subfolders",
                                           "File time = shot time", "Видео тоже"};
    EXPECT_EQ(ChangeOptions(captions, QDialogButtonBox::Ok),
              (std::vector<std::pair<QString, bool>>{{captions[0], false},
                                                     {captions[1], false},
                                                     {captions[2], false},
                                                     {captions[3], false}}));
    EXPECT_TRUE(std::filesystem::exists(TestHome() + "/.config/KadrimarkEXIF/kadrimarkexif.conf"));
    Click(form.RzToolButton1);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].Text, "EXIF Info добавлено в: 3 файлов");
    EXPECT_EQ(ReadFileBytes(folder + "/IMG_20190723_184512.jpg"), Stamped("2019:07:23 18:45:12"));
    EXPECT_EQ(ReadFileBytes(folder + "/sub/15-06-07_1230.jpg"), Stamped("2007:06:15 12:30:00"));
    struct stat facts {};
    ASSERT_EQ(stat((folder + "/IMG_20190723_184512.jpg").c_str(), &facts), 0);
    EXPECT_EQ(facts.st_mtime, 1563907512);  // the tests' time zone is UTC
    const std::string dated = ReadFileBytes(folder + "/VID_20190723_184512.mp4");
    EXPECT_EQ(dated.size(), movie.size());
    EXPECT_NE(dated, movie);

    // Reopened, the dialog shows them; unticked and cancelled, they stay.
    EXPECT_EQ(
        ChangeOptions({captions[1]}, QDialogButtonBox::Cancel),
        (std::vector<std::pair<QString, bool>>{
            {captions[0], true}, {captions[1], true}, {captions[2], true}, {captions[3], true}}));
    EXPECT_TRUE(StampOptionsInForce().recursive);
}

// A folder whose camera-phone names are dates only month first is read so,
// and the count message says so; in a folder of both kinds the names that are
// dates both ways are passed over and named. A day-first folder's message is
// as it always was.
TEST_F(Form1Test, Stamp_CountMessageSaysHowTheFoldersNamesWereRead) {
    struct Case {
        std::vector<std::string> photos;
        std::string notes;  // after the count; <folder> for the folder's path
    };
    const Case cases[] = {
        {{"21-08-07_1547.jpg", "03-04-07_1200.jpg"}, ""},
        {{"08-21-07_1547.jpg", "03-04-07_1200.jpg"}, "\n\nNames read month first in <folder>"},
        {{"21-08-07_1547.jpg", "08-21-07_1548.jpg", "03-04-07_1200.jpg"},
         "\n\nNames read day first and month first in <folder>"
         "\n\nPassed over, day and month cannot be told apart:\n03-04-07_1200.jpg"},
    };
    for (const Case& c : cases) {
        std::string folder = MakeHomeFolder("order");
        for (const std::string& name : c.photos)
            WriteFileBytes(folder + "/" + name, PlainJpeg());
        ASSERT_TRUE(form.OpenFolder(folder));
        boxes.clear();
        Click(form.RzToolButton1);
        std::string notes = c.notes;
        if (std::size_t at = notes.find("<folder>"); at != std::string::npos)
            notes.replace(at, 8, folder);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].Text, "EXIF Info добавлено в: 2 файлов" + notes);
    }
}

// A run over subfolders names, after its count, the folders it left out for
// lying too deep.
TEST_F(Form1Test, Stamp_CountMessageNamesTheFoldersTooDeep) {
    std::string folder = MakeHomeFolder("deep");
    std::string below;
    for (int depth = 1; depth <= kDeepestFolder + 1; ++depth) {
        below += "d/";
        std::filesystem::create_directory(folder + "/" + below);
        WriteFileBytes(folder + "/" + below + "01-01-07_0000.jpg", PlainJpeg());
    }
    TStampOptions options;
    options.recursive = true;
    KeepStampOptions(options);
    ASSERT_TRUE(form.OpenFolder(folder));
    Click(form.RzToolButton1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text,
              "EXIF Info добавлено в: 64 файлов\n\nLeft out, more than 64 folders down:\n" +
                  below.substr(0, below.size() - 1));
}

// "Убрать EXIF…" on selected photos and folders asks first (No is the
// default), then gives back the selected photos and those in the selected
// folders - their subfolders' only with the subfolders option - and says
// how many; the list keeps its items and selection. A selection of other
// files is not offered it.
TEST_F(Form1Test, GiveBack_FromTheListsMenu_AsksThenGivesBackTheSelection) {
    std::string folder = MakeHomeFolder("given");
    std::filesystem::create_directories(folder + "/trip/deeper");
    const std::vector<std::string> stamped = {"15-06-07_1230.jpg", "16-06-07_1230.jpg",
                                              "trip/17-06-07_1230.jpg",
                                              "trip/deeper/18-06-07_1230.jpg"};
    for (const std::string& name : stamped)
        WriteFileBytes(folder + "/" + name, Stamped("2007:06:15 12:30:00"));
    WriteFileBytes(folder + "/notes.txt", "x");
    ASSERT_TRUE(form.OpenFolder(folder));
    ASSERT_TRUE(PumpUntil([&] { return form.TeFileListBox1->ItemCount() == 4; }));
    auto plain = [&] {
        std::vector<bool> given;
        for (const std::string& name : stamped)
            given.push_back(ReadFileBytes(folder + "/" + name) == PlainJpeg());
        return given;
    };

    SelectByMouse({"notes.txt"});
    EXPECT_FALSE(ListMenu("").contains("Убрать EXIF…"));

    SelectByMouse({"trip", "15-06-07_1230.jpg"});
    const std::vector<std::string> listed = Listed();
    const std::vector<int> selected = form.TeFileListBox1->SelectedIndexes();
    AnswerNextQuestion(QMessageBox::NoButton);
    EXPECT_TRUE(ListMenu("Убрать EXIF…").contains("Убрать EXIF…"));
    EXPECT_EQ(plain(), (std::vector<bool>{false, false, false, false}));
    EXPECT_TRUE(boxes.empty());

    AnswerNextQuestion(QMessageBox::Yes);
    ListMenu("Убрать EXIF…");
    EXPECT_EQ(plain(), (std::vector<bool>{true, false, true, false}));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Photos given back as they were before the stamp: 2");
    EXPECT_EQ(boxes[0].Caption, "KadrimarkExif");
    EXPECT_EQ(Listed(), listed);
    EXPECT_EQ(form.TeFileListBox1->SelectedIndexes(), selected);

    TStampOptions options;
    options.recursive = true;
    KeepStampOptions(options);
    AnswerNextQuestion(QMessageBox::Yes);
    ListMenu("Убрать EXIF…");
    EXPECT_EQ(plain(), (std::vector<bool>{true, false, true, true}));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].Text, "Photos given back as they were before the stamp: 1");
    ASSERT_EQ(questions.size(), 3u);
    EXPECT_EQ(questions[0].first, "KadrimarkExif");
    EXPECT_NE(questions[2].second.find("subfolders"), std::string::npos);

    options.videos = true;  // then the words are of files, photos and videos
    KeepStampOptions(options);
    SelectByMouse({"16-06-07_1230.jpg"});
    AnswerNextQuestion(QMessageBox::Yes);
    ListMenu("Убрать EXIF…");
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[2].Text, "Files given back as they were before the stamp: 1");
    ASSERT_EQ(questions.size(), 4u);
    EXPECT_EQ(questions[3].second,
              "Take what this program wrote out of the selected files (a photo's EXIF header, a "
              "video's times), giving them back as they were before the stamp?");
}

namespace {

// The window as a screen reader and a keyboard user meet it.
class Form1AccessTest : public Form1Test {
  protected:
    static QAccessibleInterface* Of(TWinControl* control) {
        return QAccessible::queryAccessibleInterface(control->Widget());
    }
    static std::vector<std::pair<QAccessible::Role, QString>> Read(QAccessibleInterface* parent) {
        std::vector<std::pair<QAccessible::Role, QString>> children;
        for (int i = 0; i < parent->childCount(); ++i)
            children.emplace_back(parent->child(i)->role(),
                                  parent->child(i)->text(QAccessible::Name));
        return children;
    }
    // The named text and the buttons of the modal box on the screen, which
    // is closed by pressing its first button the way a tool presses it.
    static bool ReadAndCloseBox(std::vector<QString>& texts) {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr)
            return false;
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(box);
        texts.push_back(window->text(QAccessible::Name));
        QAccessibleInterface* button = nullptr;
        for (int i = 0; i < window->childCount(); ++i) {
            QAccessibleInterface* child = window->child(i);
            if (child->role() == QAccessible::StaticText &&
                !child->text(QAccessible::Name).isEmpty())
                texts.push_back(child->text(QAccessible::Name));
            for (int j = 0; j < child->childCount() && button == nullptr; ++j)
                if (child->child(j)->role() == QAccessible::Button)
                    button = child->child(j);
        }
        if (button != nullptr)
            button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        return true;
    }
    // The control whose window (or a view inside it) has the keyboard focus,
    // and on the toolbar the button it marks.
    std::string Focus() const {
        for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget())
            if (TWinControl* control = TWinControl::FromWidget(w))
                return control == form.RzToolbar1 ? form.RzToolbar1->FocusedButton()->Name()
                                                  : control->Name();
        return "";
    }
};

}  // namespace

TEST_F(Form1AccessTest, Accessible_TheWindowReadsAsBarsTreeAndListWithNamedButtons) {
    using A = QAccessible;
    const std::vector<std::pair<A::Role, QString>> window = {
        {A::ToolBar, ""}, {A::Client, ""}, {A::Splitter, ""}, {A::Client, ""}, {A::StatusBar, ""}};
    EXPECT_EQ(Read(Of(&form)), window);
    EXPECT_EQ(Of(&form)->role(), A::Window);
    EXPECT_EQ(Of(&form)->text(A::Name), "KadrimarkEXIF");
    const std::vector<std::pair<A::Role, QString>> toolbar = {
        {A::Separator, ""},      {A::Button, "Добавить EXIF"}, {A::Button, "Автор"},
        {A::Button, "Выход"},    {A::Separator, ""},           {A::Button, "Large icons"},
        {A::Button, "List"},     {A::Button, "Details"},       {A::Separator, ""},
        {A::Button, "Параметры"}};
    EXPECT_EQ(Read(Of(form.RzToolbar1)), toolbar);
    const std::vector<std::pair<A::Role, QString>> status = {
        {A::StaticText, "KadrimarkEXIF"},
        {A::Separator, ""},
        {A::ProgressBar, ""},
        {A::Separator, ""},
        {A::StaticText, QString::fromStdString(form.RzClockStatus1->Caption())}};
    EXPECT_EQ(Read(Of(form.RzStatusBar1)), status);
    EXPECT_TRUE(Of(form.KvtXPProgressBar1)->state().invisible);
}

// Pressed through its accessible action, "Добавить EXIF" stamps the shown
// folder; during the run the progress bar shows and reads its position, and
// the box at the end reads its text.
TEST_F(Form1AccessTest, Accessible_PressingAddExifStampsAndTheBoxReadsTheCount) {
    std::string folder = ShowFolderOf({"15-06-07_1230.jpg", "01-02-08_0915.jpg", "notes.jpg"});
    ASSERT_TRUE(PumpUntil([&] { return form.TeFileListBox1->ItemCount() == 3; }));
    Application->SetPresenterForTest({});
    QAccessibleInterface* progress = Of(form.KvtXPProgressBar1);
    std::vector<std::pair<int, int>> values;  // position, maximum
    InEveryPumpStep([&] {
        if (!progress->state().invisible)
            values.emplace_back(progress->valueInterface()->currentValue().toInt(),
                                progress->valueInterface()->maximumValue().toInt());
    });
    std::vector<QString> box;
    QTimer boxWatch;
    QObject::connect(&boxWatch, &QTimer::timeout, [&] {
        if (box.empty())
            ReadAndCloseBox(box);
    });
    boxWatch.start(10);
    QAccessibleInterface* stamp = Of(form.RzToolbar1)->child(1);
    ASSERT_EQ(stamp->text(QAccessible::Name), "Добавить EXIF");
    stamp->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_TRUE(
        PumpUntil([&] { return !box.empty() && QApplication::activeModalWidget() == nullptr; }));
    pumpStep = nullptr;

    EXPECT_EQ(box, (std::vector<QString>{"KadrimarkExif", "EXIF Info добавлено в: 2 файлов"}));
    EXPECT_EQ(values, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}}));
    EXPECT_TRUE(progress->state().invisible);
    EXPECT_EQ(ReadFileBytes(folder + "/15-06-07_1230.jpg"), Stamped("2007:06:15 12:30:00"));
}

// Tab goes from the tree to the list, then through the seven buttons, and
// back to the tree.
TEST_F(Form1AccessTest, Keyboard_TabGoesTreeListThenEveryToolbarButton) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.Widget()));
    form.TeFolderListbox1->SetFocus();
    std::vector<std::string> route = {Focus()};
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        route.push_back(Focus());
    }
    EXPECT_EQ(route, (std::vector<std::string>{"TeFolderListbox1", "TeFileListBox1",
                                               "RzToolButton1", "RzToolButton2", "RzToolButton3",
                                               "RzToolButton4", "RzToolButton5", "RzToolButton6",
                                               "RzToolButton7", "TeFolderListbox1"}));
}

// Why `*` stopped scrolls in the marquee of the status bar.
TEST_F(Form1Test, ExpandAllCap_TheStatusBarSaysWhyItStopped) {
    std::string folder = MakeHomeFolder("deep");
    for (const char* path : {"/a/x", "/b/x", "/c/x"})
        std::filesystem::create_directories(folder + path);
    ASSERT_TRUE(form.OpenFolder(folder));
    form.TeFolderListbox1->SetExpandAllCapForTest(2);
    QTest::keyClick(form.TeFolderListbox1->View(), Qt::Key_Asterisk);
    EXPECT_TRUE(PumpUntil([&] { return !form.TeFolderListbox1->ExpandingAll(); }));
    EXPECT_EQ(form.RzMarqueeStatus1->Caption(),
              "Stopped after opening 2 folders; press * on a folder to open more below it.");
}

// Enter presses the marked button; Ctrl+E stamps from wherever the focus is.
TEST_F(Form1AccessTest, Keyboard_EnterPressesTheMarkedButtonAndCtrlEStamps) {
    ShowFolderOf({"15-06-07_1230.jpg"});
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.Widget()));
    form.TeFileListBox1->SetFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(Focus(), "RzToolButton2");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    form.TeFileListBox1->SetFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].Text, AuthorMessage());
    EXPECT_EQ(boxes[1].Text, "EXIF Info добавлено в: 1 файлов");
}

TEST_F(Form1AccessTest, Tips_TheImageOnlyButtonsNameTheirCommands) {
    const std::pair<TRzToolButton*, const char*> tips[] = {
        {form.RzToolButton4, "Large icons"},
        {form.RzToolButton5, "List"},
        {form.RzToolButton6, "Details"},
        {form.RzToolButton7, "Run options: name schemes, subfolders, file time, videos"}};
    for (auto [button, tip] : tips) {
        const QPoint centre(button->Left() + button->Width() / 2, 16);
        QHelpEvent hover(QEvent::ToolTip, centre, form.RzToolbar1->Widget()->mapToGlobal(centre));
        QApplication::sendEvent(form.RzToolbar1->Widget(), &hover);
        EXPECT_EQ(QToolTip::text().toStdString(), tip);
    }
}

// The tree's hidden header reads as a column's name; the list reads the view
// that shows, in icon style one item a row named by its display name,
// selected and focused as a click and the arrow keys leave it.
TEST_F(Form1AccessTest, Accessible_TreeAndListReadTheirRows) {
    ShowFolderOf({"15-06-07_1230.jpg", "notes.txt", "01-02-08_0915.jpg"});
    ASSERT_TRUE(PumpUntil([&] { return form.TeFileListBox1->ItemCount() == 3; }));
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.Widget()));
    QAccessibleInterface* tree = Of(form.TeFolderListbox1)->child(0);
    EXPECT_EQ(tree->role(), QAccessible::Tree);
    EXPECT_EQ(tree->child(0)->role(), QAccessible::ColumnHeader);
    EXPECT_EQ(tree->child(0)->text(QAccessible::Name), "Name");

    ASSERT_EQ(Of(form.TeFileListBox1)->childCount(), 1);  // the report view is hidden
    QAccessibleInterface* list = Of(form.TeFileListBox1)->child(0);
    EXPECT_EQ(list->role(), QAccessible::List);
    auto rows = [&] {
        std::vector<std::string> read;
        for (int i = 0; i < list->childCount(); ++i) {
            const QAccessible::State state = list->child(i)->state();
            read.push_back(list->child(i)->text(QAccessible::Name).toStdString() +
                           (state.selected ? " selected" : "") + (state.focused ? " focused" : ""));
        }
        return read;
    };
    const std::vector<std::string> names = Listed();
    EXPECT_EQ(rows(), names);
    QListView* icons = form.TeFileListBox1->IconView();
    QTest::mouseClick(icons->viewport(), Qt::LeftButton, {},
                      icons->visualRect(icons->model()->index(1, 0)).center());
    QTest::keyClick(icons, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(rows(), (std::vector<std::string>{names[0], names[1] + " selected",
                                                names[2] + " selected focused"}));
    EXPECT_EQ(list->focusChild(), list->child(2));
    EXPECT_EQ(list->indexOfChild(list->child(2)), 2);

    Click(form.RzToolButton6);
    ASSERT_EQ(Of(form.TeFileListBox1)->childCount(), 1);
    EXPECT_EQ(Of(form.TeFileListBox1)->child(0)->role(), QAccessible::Tree);
}

// The window as a person with a Russian, an English or a C locale sees it:
// one language throughout, the window's first texts as written under C.
using Form1LanguageTest = ShellTest;

TEST_F(Form1LanguageTest, Languages_TheWindowSpeaksTheLocalesLanguage) {
    struct Case {
        const char* locale;
        std::vector<std::string> captions;
        const char* nameHeader;
        const char* openEntry;
        const char* yesButton;
        const char* countMessage;
    };
    const Case cases[] = {
        {"ru_RU.UTF-8",
         {"Добавить EXIF", "Автор", "Выход"},
         "Имя",
         "&Открыть",
         "&Да",
         "EXIF Info добавлено в: 1 файлов"},
        {"en_US.UTF-8",
         {"Add EXIF", "Author", "Exit"},
         "Name",
         "&Open",
         "&Yes",
         "EXIF info added to: 1 file"},
        {"C.UTF-8",
         {"Добавить EXIF", "Автор", "Выход"},
         "Name",
         "&Open",
         "&Yes",
         "EXIF Info добавлено в: 1 файлов"},
    };
    std::vector<MessageBoxRequest> boxes;
    Application->SetPresenterForTest([&](const MessageBoxRequest& box) { boxes.push_back(box); });
    for (const Case& c : cases) {
        setenv("LC_ALL", c.locale, 1);
        TProgramLanguage language(LanguageOfLocale(MessagesLocaleName()));
        TForm1 form;
        form.Show();
        std::string folder = MakeHomeFolder("photos");
        WriteFileBytes(folder + "/15-06-07_1230.jpg", PlainJpeg());
        ASSERT_TRUE(form.OpenFolder(folder));
        TRzShellList& list = *form.TeFileListBox1;
        ASSERT_TRUE(PumpUntil([&] { return list.ItemCount() == 1; }));
        EXPECT_EQ(
            (std::vector<std::string>{form.RzToolButton1->Caption(), form.RzToolButton2->Caption(),
                                      form.RzToolButton3->Caption()}),
            c.captions)
            << c.locale;
        EXPECT_EQ(list.ActiveView()->model()->headerData(0, Qt::Horizontal).toString(),
                  c.nameHeader);
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), c.yesButton);

        list.ActiveView()->setCurrentIndex(list.ActiveView()->model()->index(0, 0));
        QString openEntry;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu != nullptr && menu->defaultAction() != nullptr)
                openEntry = menu->defaultAction()->text();
            if (menu != nullptr)
                menu->close();
        });
        QTest::keyClick(list.ActiveView(), Qt::Key_Menu);
        EXPECT_EQ(openEntry, c.openEntry) << c.locale;

        boxes.clear();
        TRect r = form.RzToolButton1->BoundsRect();
        QTest::mouseClick(form.RzToolbar1->Widget(), Qt::LeftButton, {},
                          QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].Text, c.countMessage);
    }
    setenv("LC_ALL", "C.UTF-8", 1);
    Application->SetPresenterForTest({});
}
