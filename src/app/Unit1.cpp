#include "app/Unit1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QObject>
#include <QShortcut>
#include <QTimer>
#include <QWidget>
#include <exception>
#include <vector>

#include "app/ProgramIcon.h"
#include "app/ProgramImages.h"
#include "app/StampSettings.h"
#include "app/TakenDateSource.h"
#include "chrome/ProgramChrome.h"
#include "chrome/ProgressBar.h"
#include "chrome/Splitter.h"
#include "framework/Application.h"
#include "framework/ImageList.h"
#include "shell/IdLists.h"
#include "shell/ShellList.h"
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

}  // namespace

// What the stamp command reads and drives, bound to this window. The shown
// folder's path and its items' names are taken once when a run begins, so a
// refresh or a navigation during the run's pump steps cannot change which
// files it walks.
class TForm1::StampHost : public IStampFolder,
                          public IStampItems,
                          public IStampProgress,
                          public IStampHost {
  public:
    explicit StampHost(TForm1& form) : form_(form) {}

    void Capture(std::string folder, std::vector<std::string> names) {
        folder_ = std::move(folder);
        names_ = std::move(names);
    }

    std::string PathName() const override { return folder_; }
    int Count() const override { return static_cast<int>(names_.size()); }
    std::string FileName(int index) const override { return names_[index]; }
    void SetMax(int max) override { form_.KvtXPProgressBar1->SetMax(max); }
    void SetPosition(int position) override { form_.KvtXPProgressBar1->SetPosition(position); }
    void SetVisible(bool visible) override { form_.KvtXPProgressBar1->SetVisible(visible); }
    void ProcessMessages() override { Application->ProcessMessages(); }
    void ShowMessage(const std::string& text) override { Application->ShowMessage(text); }

  private:
    TForm1& form_;
    std::string folder_;
    std::vector<std::string> names_;
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
    WireButtons();
    AddTipsAndKeys();
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
}

// A click runs its handler; an exception it lets through is shown by the
// application's default exception box, and the program goes on.
void TForm1::WireButtons() {
    using Handler = void (TForm1::*)(TObject*);
    const std::pair<TRzToolButton*, Handler> wiring[] = {
        {RzToolButton1, &TForm1::RzToolButton1Click}, {RzToolButton2, &TForm1::RzToolButton2Click},
        {RzToolButton3, &TForm1::RzToolButton3Click}, {RzToolButton4, &TForm1::RzToolButton4Click},
        {RzToolButton5, &TForm1::RzToolButton5Click}, {RzToolButton6, &TForm1::RzToolButton6Click}};
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
        button->SetHint(QCoreApplication::translate("TForm1", tip).toStdString());
    auto* stampKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), Widget());
    QObject::connect(stampKey, &QShortcut::activated, Widget(), [this] { RzToolButton1->Press(); });
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
    if (Busy())
        return;
    stampHost_->Capture(TeFolderListbox1->SelectedFolder()->PathName(), ListedFileNames());
    struct CloseAfterRun {
        TForm1& form;
        ~CloseAfterRun() {
            if (form.closeAfterRun_)
                QTimer::singleShot(0, form.Widget(), &QWidget::close);
        }
    } closeAfterRun{*this};
    RefreshesWait refreshesWait(*this);
    stamp_.Run(StampOptionsInForce());
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
    stamp_.RequestStop();
    closeAfterRun_ = true;
    return false;
}
