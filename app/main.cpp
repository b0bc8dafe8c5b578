// Duvari 2 Unit Editor: the main menu and its two editors.
#include "app/Splash.h"
#include "app/Windows.h"

#include <QApplication>

int main(int, char** argv)
{
    // The program takes no command line, not even Qt's own options.
    int argCount = 1;
    QApplication app(argCount, argv);
    SetUpApplication();
    CreateWindows();
    frmSplash->show();
    return app.exec();
}
