#include "app/Windows.h"

#include "app/Splash.h"
#include "sgeditor/FindUnit.h"
#include "sgeditor/SGEditor.h"
#include "uieditor/UIEditor.h"
#include "uieditor/UISearch.h"
#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

void SetUpApplication()
{
    // Not setApplicationDisplayName: that would be appended to every caption.
    QApplication::setApplicationName(AppTitle);
    QApplication::setWindowIcon(QIcon(":/app/dv2edit.png"));
    // Qt consults a substitute only when the family itself is missing.
    QFont::insertSubstitution("MS Sans Serif", "Liberation Sans");
    QFont::insertSubstitution("Times New Roman", "Liberation Serif");
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    QApplication::setFont(font);
}

void CreateWindows()
{
    // The windows are never destroyed before the process ends: each keeps
    // what it shows between openings.
    frmSplash = new TfrmSplash;
    frmDV2SGEdit = new TfrmDV2SGEdit;
    frmDV2Edit = new TfrmDV2Edit;
    frmSearch = new TfrmSearch;
    frmFindUnit = new TfrmFindUnit;
}
