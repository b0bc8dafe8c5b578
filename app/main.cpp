// Duvari 2 Unit Editor: the main menu and its two editors.
#include "app/Windows.h"

#include <QApplication>

int main(int, char** argv)
{
    // The program takes no command line, not even Qt's own options.
    int argCount = 1;
    QApplication app(argCount, argv);
    SetUpApplication();
    SetUpBackups();
    ShowMainMenuFirst();
    return app.exec();
}
