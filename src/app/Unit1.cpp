#include "app/Unit1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMessageBox>
#include <QObject>
#include <QShortcut>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <exception>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "app/OptionsDialog.h"
#include "app/PhotoName.h"
#include "app/ProgramIcon.h"
#include "app/ProgramImages.h"
#include "app/StampSettings.h"
#include "app/TakenDateSource.h"
#include "chrome/ProgramChrome.h"
#include "chrome/ProgressBar.h"
#include "chrome/Splitter.h"
#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/ImageList.h"
#include "shell/IdLists.h"
#include "shell/ShellList.h"
#include "shell/ShellListData.h"
#include "shell/ShellPaths.h"
#include "shell/ShellTree.h"

std::string AuthorMessage() {
    return (QCoreApplication::translate("TForm1", "Автор: ") +
            QCoreApplication::translate("TForm1", "the KadrimarkEXIF team"))
        .toStdString();
}

TForm1* Form1 = nullptr;

namespace {

constexpr int kLeft = 208;
constexpr int kTop = 211;
constexpr int kClientWidth = 940;
constexpr int kClientHeight = 606;
// The tree, the list and the status bar below the toolbar still show a few
// rows at this height.
constexpr int kLeastPanesHeight = 200;
// How long a stamp run's wait for the disk holds the window before it turns
// the event loop, and how long between turns after that: both well below
// what a person sees as a stall.
constexpr int kQuietWaitMs = 40;
constexpr int kTurnWaitMs = 10;
// A batch smaller than this has little to sync: the window just waits.
constexpr std::size_t kQuietBatch = 64;

QString Tr(const char* text) {
    return QCoreApplication::translate("TForm1", text);
}

// The question before a give-back: what it covers, in photos' words or, with
// videos, in files'.
const char* GiveBackQuestion(bool folders, const TStampOptions& options) {
    const int where = !folders ? 0 : options.recursive ? 2 : 1;
    static constexpr const char* kQuestions[2][3] = {
        {QT_TRANSLATE_NOOP("TForm1",
                           "Take the EXIF header this program wrote out of the selected photos, "
                           "giving them back as they were before the stamp?"),
         QT_TRANSLATE_NOOP("TForm1",
                           "Take the EXIF header this program wrote out of the selected photos "
                           "and those in the selected folders, giving them back as they were "
                           "before the stamp?"),
         QT_TRANSLATE_NOOP("TForm1",
                           "Take the EXIF header this program wrote out of the selected photos "
                           "and those in the selected folders and their subfolders, giving them "
                           "back as they were before the stamp?")},
        {QT_TRANSLATE_NOOP("TForm1",
                           "Take what this program wrote out of the selected files (a photo's "
                           "EXIF header, a video's times), giving them back as they were before "
                           "the stamp?"),
         QT_TRANSLATE_NOOP("TForm1",
                           "Take what this program wrote out of the selected files and those in "
                           "the selected folders (a photo's EXIF header, a video's times), giving "
                           "them back as they were before the stamp?"),
         QT_TRANSLATE_NOOP("TForm1",
                           "Take what this program wrote out of the selected files and those in "
                           "the selected folders and their subfolders (a photo's EXIF header, a "
                           "video's times), giving them back as they were before the stamp?")}};
    return kQuestions[options.videos][where];
}

}  // namespace

// What the stamp command reads and drives, bound to this window. The shown
// folder's path and its items' names are taken once when a run begins, so a
// refresh or a navigation during the run's pump steps cannot change which
// files it walks. The count message is followed by what the person should
// know about the names: the folders read month first (or in both orders),
// the photos passed over because their day and month could not be told apart,
// and the subfolders left out for lying too deep.
class TForm1::StampHost : public IStampFolder,
                          public IStampItems,
                          public IStampProgress,
                          public IStampHost {
  public:
    explicit StampHost(TForm1& form) : form_(form) {}

    void Capture(std::string folder, std::vector<std::string> names) {
        folder_ = std::move(folder);
        names_ = std::move(names);
        orders_.clear();
        undecided_.clear();
        tooDeep_.clear();
    }

    std::string PathName() const override { return folder_; }
    int Count() const override { return static_cast<int>(names_.size()); }
    std::string FileName(int index) const override { return names_[index]; }
    void SetMax(int max) override { form_.KvtXPProgressBar1->SetMax(max); }
    void SetPosition(int position) override { form_.KvtXPProgressBar1->SetPosition(position); }
    void SetVisible(bool visible) override { form_.KvtXPProgressBar1->SetVisible(visible); }
    void ProcessMessages() override { Application->ProcessMessages(); }
    // A few photos, or a quick sync, cost no turn of the event loop, so a
    // short run shows its bar once per photo; a long sync of a large batch
    // turns it every few milliseconds so that the window never looks hung.
    // Input meanwhile is what a pump step may bring: the command ignores a
    // second run.
    void WaitForDisk(std::size_t photos, const std::function<bool(int)>& finished) override {
        if (photos < kQuietBatch)
            return IStampHost::WaitForDisk(photos, finished);
        if (finished(kQuietWaitMs))
            return;
        do
            QCoreApplication::processEvents();
        while (!finished(kTurnWaitMs));
    }
    void ShowMessage(const std::string& text) override {
        Application->ShowMessage(text + OrderNotes());
    }
    void FolderOrder(const std::string& path, TDayOrder order) override {
        if (order != TDayOrder::DayFirst)
            orders_.emplace_back(path, order);
    }
    void NameGivesNoDate(const std::string& path, const std::string& reason) override {
        if (reason == NamePassText(TNamePass::DayOrMonth))
            undecided_.push_back(Below(path));
    }
    void FolderTooDeep(const std::string& path) override { tooDeep_.push_back(Below(path)); }

  private:
    // A path as the person knows it from the list: below the shown folder.
    std::string Below(const std::string& path) const {
        const std::string prefix = folder_ + "/";
        return path.starts_with(prefix) ? path.substr(prefix.size()) : path;
    }
    std::string OrderNotes() const {
        std::string notes;
        for (const auto& [path, order] : orders_)
            notes += "\n\n" + Tr(QT_TRANSLATE_NOOP("TForm1", "Names read %1 in %2"))
                                  .arg(QCoreApplication::translate("StampCli", DayOrderText(order)),
                                       QString::fromStdString(path))
                                  .toStdString();
        if (!undecided_.empty())
            notes +=
                "\n\n" +
                Tr(QT_TRANSLATE_NOOP("TForm1", "Passed over, day and month cannot be told apart:"))
                    .toStdString() +
                NameList(undecided_);
        if (!tooDeep_.empty())
            notes += "\n\n" +
                     Tr(QT_TRANSLATE_NOOP("TForm1", "Left out, more than %1 folders down:"))
                         .arg(kDeepestFolder)
                         .toStdString() +
                     NameList(tooDeep_);
        return notes;
    }
    // The first names, one a line, and how many more there are.
    static std::string NameList(const std::vector<std::string>& names) {
        constexpr std::size_t kShown = 10;
        std::string list;
        for (std::size_t i = 0; i < names.size() && i < kShown; ++i)
            list += "\n" + names[i];
        if (names.size() > kShown)
            list += "\n" + Tr(QT_TRANSLATE_NOOP("TForm1", "and %1 more"))
                               .arg(names.size() - kShown)
                               .toStdString();
        return list;
    }

    TForm1& form_;
    std::string folder_;
    std::vector<std::string> names_;
    std::vector<std::pair<std::string, TDayOrder>> orders_;
    std::vector<std::string> undecided_;
    std::vector<std::string> tooDeep_;
};

// While a stamp run lasts, the file list and the tree hold back their
// refreshes as they do during a drag: a refresh in a pump step would move the
// photos just rewritten to the end of the list under the running index. The
// end of the run refreshes the list once (its photos changed) and lets the
// tree carry out what it held back. A list sent to another folder meanwhile
// (the tree was clicked) still holds the old folder's items: it is filled.
class TForm1::RefreshesWait {
  public:
    explicit RefreshesWait(TForm1& form) : form_(form) {
        form_.TeFolderListbox1->SetBusy(true);
        form_.TeFileListBox1->BeginOutgoingDrag();
    }
    ~RefreshesWait() {
        TRzShellList& list = *form_.TeFileListBox1;
        Application->HandleExceptions([&] {
            list.EndOutgoingDrag(true);
            if (CompareIdListBytes(list.FolderIdList(), list.Folder().IdList()) != 0)
                list.FillList();
            else
                list.RereadTakenDates();  // videos are dated in place, under the same facts
        });
        Application->HandleExceptions([this] { form_.TeFolderListbox1->SetBusy(false); });
    }
    RefreshesWait(const RefreshesWait&) = delete;
    RefreshesWait& operator=(const RefreshesWait&) = delete;

  private:
    TForm1& form_;
};

// Routes the window system's close request (the title bar's button, the
// window manager) through the window's own close rule.
class TForm1::CloseGuard : public QObject {
  public:
    explicit CloseGuard(TForm1& form) : form_(form) { form_.Widget()->installEventFilter(this); }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Close || form_.CanClose())
            return false;
        event->ignore();
        return true;
    }

  private:
    TForm1& form_;
};

TForm1::TForm1(TComponent* owner)
    : TCustomForm(owner),
      stampHost_(std::make_unique<StampHost>(*this)),
      stamp_({*stampHost_, *stampHost_, *stampHost_, *stampHost_}) {
    ReadFormDescription();
    closeGuard_ = std::make_unique<CloseGuard>(*this);
    if (Form1 == nullptr)
        Form1 = this;
}

TForm1::~TForm1() {
    if (Form1 == this)
        Form1 = nullptr;
}

// The form description: the window's own values, then its components in
// creation order with theirs, then every component's loaded step.
void TForm1::ReadFormDescription() {
    SetName("Form1");
    BeginLoading();
    SetBounds(kLeft, kTop, kClientWidth, kClientHeight);
    SetCaption("KadrimarkEXIF");
    TFont font;
    font.Name = "MS Sans Serif";
    font.Height = -11;  // 8 points at 96 pixels per inch
    SetFont(font);
    LoadHex2Settings();
    CreateShellControls();
    CreateChrome();
    EndLoading();
    SetMinimumSize();
    WireButtons();
    AddTipsAndKeys();
    AddListCommands();
    TeFolderListbox1->OnStatusText = [this](TObject*, const std::string& text) {
        ShowStatus(text);
    };
    Widget()->setWindowTitle(QString::fromStdString(Caption()));
    Widget()->setWindowIcon(ProgramIcon());
    Widget()->move(kLeft, kTop);  // the frame's corner; the size is the client area's
}

// The hidden byte document's values from the form description; it is never
// shown, but keeps its presentation settings in step.
void TForm1::LoadHex2Settings() {
    TMPHPresentation& presentation = Hex2.Presentation();
    presentation.SetBytesPerRow(16);
    presentation.SetTranslation(tkAsIs);
    presentation.SetOffsetFormat("-!10:0x|");
    presentation.SetFocusFrame(true);
    presentation.SetDrawGridLines(false);
    presentation.SetFont("Courier New", -15);
    Hex2.Loaded();
}

// A control of the window, named, placed and aligned as the description says.
template <typename T>
T* TForm1::Place(const char* name, const TRect& bounds, TAlign align) {
    auto* control = new T(this);
    control->SetName(name);
    control->SetParent(this);
    control->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    control->SetAlign(align);
    return control;
}

// The folder tree drives the file list; both are framed, the list shows
// grid lines and whole rows, and takes no renames. The tree keeps showing
// its selection without the focus: the stamp command rewrites the folder
// selected there, so it must always be seen.
void TForm1::CreateShellControls() {
    TeFolderListbox1 = Place<TRzShellTree>("TeFolderListbox1", Bounds(0, 33, 185, 554), alLeft);
    TeFolderListbox1->SetFrameVisible(true);
    TeFolderListbox1->SetIndent(19);
    TeFolderListbox1->SetHideSelection(false);
    TeFileListBox1 = Place<TRzShellList>("TeFileListBox1", Bounds(186, 33, 754, 554), alClient);
    TeFileListBox1->SetFrameVisible(true);
    TeFileListBox1->SetGridLines(true);
    TeFileListBox1->SetAutoArrange(true);
    TeFileListBox1->SetMultiSelect(true);
    TeFileListBox1->SetReadOnly(true);
    TeFileListBox1->SetRowSelect(true);
    TeFileListBox1->SetTakenDates(MakeTakenDateSource());
    TeFolderListbox1->SetShellList(TeFileListBox1);
}

void TForm1::CreateChrome() {
    RxSplitter1 = Place<TRxSplitter>("RxSplitter1", Bounds(185, 33, 1, 554), alLeft);
    RxSplitter1->SetControlFirst(TeFolderListbox1);
    // The image list comes last in the description, but the bars hold it
    // by reference, so it exists before them.
    ImageList1 = new TImageList(this);
    ImageList1->SetName("ImageList1");
    AddProgramImages(*ImageList1);
    ProgramToolbar toolbar = BuildProgramToolbar(*this, ImageList1);
    RzToolbar1 = toolbar.Toolbar;
    RzSpacer1 = toolbar.Spacers[0];
    RzSpacer2 = toolbar.Spacers[1];
    RzToolButton1 = toolbar.Buttons[0];
    RzToolButton2 = toolbar.Buttons[1];
    RzToolButton3 = toolbar.Buttons[2];
    RzToolButton4 = toolbar.Buttons[3];
    RzToolButton5 = toolbar.Buttons[4];
    RzToolButton6 = toolbar.Buttons[5];
    ProgramStatusBar status = BuildProgramStatusBar(*this);
    RzStatusBar1 = status.Bar;
    RzMarqueeStatus1 = status.Marquee;
    RzSeparator1 = status.Separator1;
    RzClockStatus1 = status.Clock;
    RzSeparator2 = status.Separator2;
    KvtXPProgressBar1 = status.Progress;
    CreateOptionsButton();
}

// "Параметры" follows the view buttons after a gap, a captioned button like
// the commands'.
void TForm1::CreateOptionsButton() {
    RzSpacer3 = new TRzSpacer(this);
    RzSpacer3->SetName("RzSpacer3");
    RzSpacer3->SetParent(RzToolbar1);
    RzSpacer3->SetBounds(391, 4, 8, 25);
    RzToolButton7 = new TRzToolButton(this);
    RzToolButton7->SetName("RzToolButton7");
    RzToolButton7->SetParent(RzToolbar1);
    RzToolButton7->SetBounds(399, 4, 96, 25);
    RzToolButton7->SetUseToolbarButtonSize(false);
    RzToolButton7->SetUseToolbarShowCaption(false);
    RzToolButton7->SetUseToolbarButtonLayout(false);
    RzToolButton7->SetCaption(Tr(QT_TRANSLATE_NOOP("TForm1", "Параметры")).toStdString());
    RzToolButton7->SetShowCaption(true);
    RzToolButton7->SetCursor(crHandPoint);
}

void TForm1::SetMinimumSize() {
    int toolbarWidth = 0;
    for (const TRzToolbarControl& entry : RzToolbar1->ToolbarControls())
        toolbarWidth = std::max(toolbarWidth, entry.Control->Left() + entry.Control->Width());
    Widget()->setMinimumSize(toolbarWidth + RzToolbar1->Margin(),
                             RzToolbar1->Height() + kLeastPanesHeight + RzStatusBar1->Height());
}

// A click runs its handler; an exception it lets through is shown by the
// application's default exception box, and the program goes on.
void TForm1::WireButtons() {
    using Handler = void (TForm1::*)(TObject*);
    const std::pair<TRzToolButton*, Handler> wiring[] = {
        {RzToolButton1, &TForm1::RzToolButton1Click}, {RzToolButton2, &TForm1::RzToolButton2Click},
        {RzToolButton3, &TForm1::RzToolButton3Click}, {RzToolButton4, &TForm1::RzToolButton4Click},
        {RzToolButton5, &TForm1::RzToolButton5Click}, {RzToolButton6, &TForm1::RzToolButton6Click},
        {RzToolButton7, &TForm1::RzToolButton7Click}};
    for (auto [button, handler] : wiring)
        button->OnClick = [this, handler](TObject* sender) {
            Application->HandleExceptions([&] { (this->*handler)(sender); });
        };
}

// The buttons that show only a picture say their command in a tip (which is
// also their name for screen readers); Ctrl+E runs the stamp command from
// anywhere in the window.
void TForm1::AddTipsAndKeys() {
    const std::pair<TRzToolButton*, const char*> tips[] = {
        {RzToolButton4, QT_TRANSLATE_NOOP("TForm1", "Large icons")},
        {RzToolButton5, QT_TRANSLATE_NOOP("TForm1", "List")},
        {RzToolButton6, QT_TRANSLATE_NOOP("TForm1", "Details")}};
    for (auto [button, tip] : tips)
        button->SetHint(Tr(tip).toStdString());
    RzToolButton7->SetHint(
        Tr(QT_TRANSLATE_NOOP("TForm1", "Run options: name schemes, subfolders, file time, videos"))
            .toStdString());
    auto* stampKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), Widget());
    QObject::connect(stampKey, &QShortcut::activated, Widget(), [this] { RzToolButton1->Press(); });
}

// A status text scrolls in the marquee for a while, then the marquee shows
// the program's name again.
void TForm1::ShowStatus(const std::string& text) {
    constexpr int kStatusShownMs = 15000;
    const std::string caption = RzMarqueeStatus1->Caption();
    RzMarqueeStatus1->SetCaption(text);
    QTimer::singleShot(kStatusShownMs, Widget(), [this, text, caption] {
        if (RzMarqueeStatus1->Caption() == text)
            RzMarqueeStatus1->SetCaption(caption);
    });
}

// The on-disk names of the list's items, in list order ("" for an item
// without a file-system path).
std::vector<std::string> TForm1::ListedFileNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < TeFileListBox1->ItemCount(); ++i)
        names.push_back(TeFileListBox1->ShellListData(i)->FileName());
    return names;
}

void TForm1::RzToolButton1Click(TObject*) {
    if (!Busy())
        RunOver(TeFolderListbox1->SelectedFolder()->PathName(), ListedFileNames(),
                StampOptionsInForce());
}

void TForm1::RunOver(std::string folder, std::vector<std::string> names,
                     const TStampOptions& options) {
    stampHost_->Capture(std::move(folder), std::move(names));
    struct CloseAfterRun {
        TForm1& form;
        ~CloseAfterRun() {
            if (form.closeAfterRun_)
                QTimer::singleShot(0, form.Widget(), &QWidget::close);
        }
    } closeAfterRun{*this};
    RefreshesWait refreshesWait(*this);
    runTakesVideos_ = options.videos;
    int done = 0;
    try {
        done = stamp_.Run(options);
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& error) {
        return EndFailedRun(error, options);
    }
    if (closeAfterRun_)  // stopped: the count so far
        stampHost_->ShowMessage(CountMessage(done, options));
}

// A run that failed leaves the status bar as a finished one does, and its
// stop box says how far it got: the files before the failure are changed.
void TForm1::EndFailedRun(const std::exception& error, const TStampOptions& options) {
    KvtXPProgressBar1->SetVisible(false);
    KvtXPProgressBar1->SetPosition(0);
    static constexpr const char* kDone[2][2] = {
        {QT_TRANSLATE_NOOP("TForm1", "Photos stamped before the error: %1"),
         QT_TRANSLATE_NOOP("TForm1", "Photos given back before the error: %1")},
        {QT_TRANSLATE_NOOP("TForm1", "Files stamped before the error: %1"),
         QT_TRANSLATE_NOOP("TForm1", "Files given back before the error: %1")}};
    const char* done = kDone[options.videos][options.undo];
    const std::string text = ExceptionBoxText(error.what()) + "\n\n" +
                             Tr(done).arg(stamp_.DoneBeforeFailure()).toStdString();
    Application->ShowException(std::runtime_error(text));
}

void TForm1::RzToolButton2Click(TObject*) {
    Application->ShowMessage(AuthorMessage());
}

void TForm1::RzToolButton3Click(TObject*) {
    Close();
}

void TForm1::RzToolButton4Click(TObject*) {
    SetViewStyle(vsIcon);
}

void TForm1::RzToolButton5Click(TObject*) {
    SetViewStyle(vsList);
}

void TForm1::RzToolButton6Click(TObject*) {
    SetViewStyle(vsReport);
}

// The date column foretells with the options: new ones read it again.
void TForm1::RzToolButton7Click(TObject*) {
    if (EditStampSettings(Widget()))
        TeFileListBox1->RereadTakenDates();
}

void TForm1::AddListCommands() {
    TeFileListBox1->OnMenuCommands = [this](TObject*,
                                            std::vector<TRzShellList::TMenuCommand>& commands) {
        if (!Busy() && SelectionHasPhotoOrFolder())
            commands.push_back(
                {Tr(QT_TRANSLATE_NOOP("TForm1", "Убрать EXIF…")).toStdString(),
                 [this] { Application->HandleExceptions([this] { GiveBackSelection(); }); }});
    };
}

bool TForm1::SelectionHasPhotoOrFolder() const {
    const bool videos = StampOptionsInForce().videos;
    for (int index : TeFileListBox1->SelectedIndexes()) {
        TRzShellListData* item = TeFileListBox1->ShellListData(index);
        const std::string name = item->FileName();
        if (!name.empty() &&
            (item->IsFolder() || IsPhotoName(name) || (videos && IsVideoName(name))))
            return true;
    }
    return false;
}

void TForm1::GiveBackSelection() {
    if (Busy())
        return;
    std::vector<std::string> names;
    bool folders = false;
    for (int index : TeFileListBox1->SelectedIndexes()) {
        TRzShellListData* item = TeFileListBox1->ShellListData(index);
        if (item->FileName().empty())
            continue;
        names.push_back(item->FileName());
        folders = folders || item->IsFolder();
    }
    TStampOptions options = StampOptionsInForce();
    options.undo = true;
    options.itemFolders = true;
    if (QMessageBox::question(Widget(), QString::fromStdString(Application->Title),
                              Tr(GiveBackQuestion(folders, options)),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes)
        RunOver(TeFileListBox1->FolderPath(), std::move(names), options);
}

void TForm1::SetViewStyle(TViewStyle style) {
    if (!Busy())
        TeFileListBox1->SetViewStyle(style);
}

bool TForm1::OpenFolder(const std::string& path) {
    LPITEMIDLIST list = nullptr;
    if (FAILED(PathToBrowsedIdList(path, &list)))
        return false;
    std::unique_ptr<ITEMIDLIST, decltype(&FreeIdList)> place(list, FreeIdList);
    TeFolderListbox1->SelectByIdList(place.get());
    return TeFolderListbox1->SelectedFolder()->PathName() == path;
}

void TForm1::Close() {
    Widget()->close();
}

bool TForm1::CanClose() {
    if (!stamp_.Running())
        return true;
    const char* question =
        runTakesVideos_ ? QT_TRANSLATE_NOOP("TForm1",
                                            "A run is changing files. Stop it after the current "
                                            "file and close the window?")
                        : QT_TRANSLATE_NOOP("TForm1",
                                            "A run is changing photos. Stop it after the current "
                                            "photo and close the window?");
    if (!closeAfterRun_ &&
        QMessageBox::question(Widget(), QString::fromStdString(Application->Title), Tr(question),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes) {
        stamp_.RequestStop();
        closeAfterRun_ = true;
    }
    return false;
}
