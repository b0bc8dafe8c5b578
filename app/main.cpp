// Duvari 2 Unit Editor: the main menu and its two editors.
#include "app/Windows.h"
#include "data/Backups.h"

#include <QApplication>

int main(int, char** argv)
{
    // The program takes no command line, not even Qt's own options.
    int argCount = 1;
    QApplication app(argCount, argv);
    SetUpApplication();
    // Called by the program only, so that no test keeps copies in the user's data directory.
    SetUpBackups();
    ShowMainMenuFirst();
    return app.exec();
}
