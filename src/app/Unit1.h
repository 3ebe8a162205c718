#pragma once

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/StampCommand.h"
#include "framework/Form.h"
#include "hexdoc/MPHexEditor.h"
#include "shell/RzListView.h"

class TImageList;
class TKvtXPProgressBar;
class TRxSplitter;
class TRzClockStatus;
class TRzMarqueeStatus;
class TRzSeparator;
class TRzShellList;
class TRzShellTree;
class TRzSpacer;
class TRzStatusBar;
class TRzToolButton;
class TRzToolbar;

// The main window: caption "KadrimarkEXIF", client area 940 x 606 at
// (208, 211), smaller on a screen without room for it; the folder tree at the
// left, a splitter and the file list showing the tree's folder; the toolbar
// with its six commands and "Параметры" (the run options) on top, the
// status bar with marquee, clock and progress bar at the bottom, and the
// hidden byte document Hex2 (the stamp command writes each new copy of a
// photo straight from the photo, so a run does not load photos into it).
//
// The window owns every component it names; they live as long as it does.
class TForm1 : public TCustomForm {
  public:
    explicit TForm1(TComponent* owner = nullptr);
    ~TForm1() override;

    // "Добавить EXIF": the stamp command over the shown folder's items, as
    // they are listed when the run begins, with the run options of the
    // moment (StampSettings.h). Does nothing during a run. The count message
    // also names the folders read month first and the photos passed over
    // because their day and month could not be told apart.
    void RzToolButton1Click(TObject* sender);
    // "Автор": the author message.
    void RzToolButton2Click(TObject* sender);
    // "Выход": closes the window (see Close).
    void RzToolButton3Click(TObject* sender);
    // The three view styles of the file list: icon, list, report.
    void RzToolButton4Click(TObject* sender);
    void RzToolButton5Click(TObject* sender);
    void RzToolButton6Click(TObject* sender);
    // "Параметры": the run options' dialog (OptionsDialog.h).
    void RzToolButton7Click(TObject* sender);

    // "Убрать EXIF…" of the list's menu: after a Yes, gives the selected
    // photos back as they were before the stamp, and those in the selected
    // folders (with the subfolders option, their subfolders' too; with the
    // videos option, videos too), then says how many. The list keeps its
    // items and place.
    void GiveBackSelection();

    // Selects the folder at `path` in the folder tree, so the list shows it:
    // by way of Home when it lies in the home folder, scrolled into sight.
    // False (and the selection left alone) when the tree cannot reach it.
    bool OpenFolder(const std::string& path);

    // Closes the window, which ends the program. During a stamp run it asks
    // first; stopped, the run ends after the file it is working on, says how
    // many it changed, and the window closes then.
    void Close();

    TMPHexEditor Hex2;
    TRzShellTree* TeFolderListbox1 = nullptr;
    TRzShellList* TeFileListBox1 = nullptr;
    TRxSplitter* RxSplitter1 = nullptr;
    TRzToolbar* RzToolbar1 = nullptr;
    TRzSpacer* RzSpacer1 = nullptr;
    TRzToolButton* RzToolButton1 = nullptr;
    TRzToolButton* RzToolButton2 = nullptr;
    TRzToolButton* RzToolButton3 = nullptr;
    TRzSpacer* RzSpacer2 = nullptr;
    TRzToolButton* RzToolButton4 = nullptr;
    TRzToolButton* RzToolButton5 = nullptr;
    TRzToolButton* RzToolButton6 = nullptr;
    TRzSpacer* RzSpacer3 = nullptr;
    TRzToolButton* RzToolButton7 = nullptr;
    TRzStatusBar* RzStatusBar1 = nullptr;
    TRzMarqueeStatus* RzMarqueeStatus1 = nullptr;
    TRzSeparator* RzSeparator1 = nullptr;
    TRzClockStatus* RzClockStatus1 = nullptr;
    TRzSeparator* RzSeparator2 = nullptr;
    TKvtXPProgressBar* KvtXPProgressBar1 = nullptr;
    TImageList* ImageList1 = nullptr;

  private:
    class StampHost;
    class CloseGuard;
    class RefreshesWait;
    void ReadFormDescription();
    void LoadHex2Settings();
    template <typename T>
    T* Place(const char* name, const TRect& bounds, TAlign align);
    void CreateShellControls();
    void CreateChrome();
    void CreateOptionsButton();
    // The smallest client area at which the bars, the tree and the list can
    // still be used: the toolbar's buttons in one row.
    void SetMinimumSize();
    std::vector<std::string> ListedFileNames() const;
    void SetViewStyle(TViewStyle style);
    void WireButtons();
    void AddTipsAndKeys();
    // The list's menu offers "Убрать EXIF…" on a selection of photos or
    // folders.
    void AddListCommands();
    bool SelectionHasPhotoOrFolder() const;
    // One run over `names` of `folder`, the list and tree holding their
    // refreshes meanwhile. The stamp command runs over the tree's folder;
    // the list's menu over the list's (the one its selection belongs to).
    void RunOver(std::string folder, std::vector<std::string> names, const TStampOptions& options);
    void EndFailedRun(const std::exception& error, const TStampOptions& options);
    void ShowStatus(const std::string& text);
    // Whether a command that touches the byte document or the list must wait:
    // a stamp run is in its pump step.
    bool Busy() const { return stamp_.Running(); }
    // The close request of the window system: refused during a run, which,
    // when the person chooses to stop it, stops and closes the window itself.
    bool CanClose();

    std::unique_ptr<StampHost> stampHost_;
    TStampCommand stamp_;
    std::unique_ptr<CloseGuard> closeGuard_;
    bool closeAfterRun_ = false;
    bool runTakesVideos_ = false;  // the run in progress works on videos too
};

// The "Автор" message, naming the author, in the program's language.
std::string AuthorMessage();

// The program's main window, while it exists.
extern TForm1* Form1;
