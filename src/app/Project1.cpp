// kadrimarkexif: start-up. Creates the application, names it, creates the
// main window and runs the message loop until that window closes.
#include <QApplication>
#include <QIcon>

#include "app/Unit1.h"
#include "framework/Application.h"
#include "shell/ShellEnv.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TShellEnvScope shellEnv;
    Application->Title = "KadrimarkExif";
    TForm1 form;
    QApplication::setWindowIcon(form.windowIcon());
    form.show();
    return QApplication::exec();
}
