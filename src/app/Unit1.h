#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/StampCommand.h"
#include "hexdoc/MPHexEditor.h"

class QProgressBar;
class QPushButton;

// The main window: caption "KadrimarkEXIF", client area 940 x 606 at
// (208, 211), the program's icon, and its three own commands. Until the
// folder tree, file list and toolbar are placed, three plain buttons carry
// the commands, the stamp command works on a folder chosen in a folder
// dialog, and a plain progress bar at the bottom shows its progress.
//
// The window owns its components, the hidden byte document Hex2 among them.
class TForm1 : public QWidget {
    Q_OBJECT

  public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // "Добавить EXIF": the stamp command over the chosen folder's entries.
    // Does nothing while a run is in progress (clicked during its pump step).
    void RzToolButton1Click(QObject* sender);
    // "Автор": the author message.
    void RzToolButton2Click(QObject* sender);
    // "Выход": closes the window; during a stamp run the run ends after the
    // current file and the window closes then.
    void RzToolButton3Click(QObject* sender);

    // Asks for the folder the stamp command works on; an empty path cancels.
    // A plain folder dialog unless replaced (tests do).
    std::function<std::string()> ChooseFolder;

    QPushButton* RzToolButton1;
    QPushButton* RzToolButton2;
    QPushButton* RzToolButton3;
    QProgressBar* KvtXPProgressBar1;
    TMPHexEditor Hex2;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    class StampHost;
    void WireButton(QPushButton* button, void (TForm1::*handler)(QObject*));
    void LoadHex2Settings();

    std::unique_ptr<StampHost> stampHost_;
    TStampCommand stamp_;
    bool closeAfterRun_ = false;
};

// The author named in the "Автор" message.
extern const char* const kAuthorMessage;

// The program's main window, while it exists.
extern TForm1* Form1;
