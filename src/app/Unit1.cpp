#include "app/Unit1.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFont>
#include <QHBoxLayout>
#include <QIcon>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>
#include <vector>

#include "app/FolderItems.h"
#include "framework/Application.h"

const char* const kAuthorMessage = "Автор: команда KadrimarkEXIF";

TForm1* Form1 = nullptr;

namespace {

constexpr int kLeft = 208;
constexpr int kTop = 211;
constexpr int kClientWidth = 940;
constexpr int kClientHeight = 606;

std::string AskForFolder(QWidget* parent) {
    return QFileDialog::getExistingDirectory(parent).toStdString();
}

}  // namespace

// What the stamp command reads and drives, bound to this window: the chosen
// folder, its entries, the progress bar and the application.
class TForm1::StampHost : public IStampFolder,
                          public IStampItems,
                          public IStampProgress,
                          public IStampHost {
  public:
    explicit StampHost(QProgressBar* bar) : bar_(bar) {}

    void Show(const std::string& folder) {
        folder_ = folder;
        names_ = ListFolderItems(folder);
    }

    std::string PathName() const override { return folder_; }
    int Count() const override { return static_cast<int>(names_.size()); }
    std::string FileName(int index) const override { return names_[index]; }
    void SetMax(int max) override { bar_->setMaximum(max); }
    void SetPosition(int position) override { bar_->setValue(position); }
    void SetVisible(bool visible) override { bar_->setVisible(visible); }
    void ProcessMessages() override { Application->ProcessMessages(); }
    void ShowMessage(const std::string& text) override { Application->ShowMessage(text); }

  private:
    QProgressBar* bar_;
    std::string folder_;
    std::vector<std::string> names_;
};

TForm1::TForm1(QWidget* parent)
    : QWidget(parent),
      ChooseFolder([this] { return AskForFolder(this); }),
      RzToolButton1(new QPushButton(QStringLiteral("Добавить EXIF"), this)),
      RzToolButton2(new QPushButton(QStringLiteral("Автор"), this)),
      RzToolButton3(new QPushButton(QStringLiteral("Выход"), this)),
      KvtXPProgressBar1(new QProgressBar(this)),
      stampHost_(std::make_unique<StampHost>(KvtXPProgressBar1)),
      stamp_({*stampHost_, *stampHost_, *stampHost_, *stampHost_, Hex2}) {
    Q_INIT_RESOURCE(app);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("KadrimarkEXIF"));
    setWindowIcon(QIcon(QStringLiteral(":/app/MainIcon.png")));
    move(kLeft, kTop);  // the frame's corner; the size is the client area's
    resize(kClientWidth, kClientHeight);
    QFont font(QStringLiteral("MS Sans Serif"));  // 8 points at 96 pixels per inch
    font.setPixelSize(11);
    setFont(font);
    LoadHex2Settings();
    KvtXPProgressBar1->setVisible(false);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {RzToolButton1, RzToolButton2, RzToolButton3})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addStretch();
    layout->addWidget(KvtXPProgressBar1);
    WireButton(RzToolButton1, &TForm1::RzToolButton1Click);
    WireButton(RzToolButton2, &TForm1::RzToolButton2Click);
    WireButton(RzToolButton3, &TForm1::RzToolButton3Click);
    if (Form1 == nullptr)
        Form1 = this;
}

TForm1::~TForm1() {
    if (Form1 == this)
        Form1 = nullptr;
}

// The hidden byte document's values from the form description; it is never
// shown, but keeps its presentation settings in step.
void TForm1::LoadHex2Settings() {
    Hex2.SetBytesPerRow(16);
    Hex2.SetTranslation(tkAsIs);
    Hex2.SetOffsetFormat("-!10:0x|");
    Hex2.SetFocusFrame(true);
    Hex2.SetDrawGridLines(false);
    Hex2.SetFont("Courier New", -15);
    Hex2.Loaded();
}

// A click runs the handler; an exception it lets through is shown by the
// application's default exception box, and the program goes on.
void TForm1::WireButton(QPushButton* button, void (TForm1::*handler)(QObject*)) {
    connect(button, &QPushButton::clicked, this, [this, button, handler] {
        try {
            (this->*handler)(button);
        } catch (const std::exception& error) {
            Application->ShowException(error);
        }
    });
}

void TForm1::RzToolButton1Click(QObject*) {
    if (stamp_.Running())
        return;
    std::string folder = ChooseFolder();
    if (folder.empty())
        return;
    stampHost_->Show(folder);
    struct CloseAfterRun {
        TForm1& form;
        ~CloseAfterRun() {
            if (form.closeAfterRun_)
                QTimer::singleShot(0, &form, &QWidget::close);
        }
    } closeAfterRun{*this};
    stamp_.Run();
}

void TForm1::RzToolButton2Click(QObject*) {
    Application->ShowMessage(kAuthorMessage);
}

void TForm1::RzToolButton3Click(QObject*) {
    close();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (stamp_.Running()) {
        stamp_.RequestStop();
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    event->accept();
}
