#include "app/Windows.h"

#include "app/Splash.h"
#include "sgeditor/FindUnit.h"
#include "sgeditor/SGEditor.h"
#include "uieditor/UIEditor.h"
#include "uieditor/UISearch.h"
#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QIcon>

void SetUpApplication()
{
    // Not setApplicationDisplayName: that would be appended to every caption.
    QApplication::setApplicationName(AppTitle);
    // Qt consults a substitute only when the family itself is missing.
    QFont::insertSubstitution("MS Sans Serif", "Liberation Sans");
    QFont::insertSubstitution("Times New Roman", "Liberation Serif");
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    QApplication::setFont(font);
}

namespace {

// What the main menu does not need for its first paint. The icon is decoded
// here: the window manager takes it whenever it comes, and decoding it costs
// a tenth of the time to that paint. The windows are never destroyed before
// the process ends: each keeps what it shows between openings.
void CompleteStartUp()
{
    QApplication::setWindowIcon(QIcon(":/app/dv2edit.png"));
    frmDV2SGEdit = new TfrmDV2SGEdit;
    frmDV2Edit = new TfrmDV2Edit;
    frmSearch = new TfrmSearch;
    frmFindUnit = new TfrmFindUnit;
}

// Completes the start-up once the main menu has been painted for the first
// time, by a posted call, which the event loop delivers before any input
// that could open another window.
class AfterFirstPaint : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(this, [this] {
                CompleteStartUp();
                deleteLater();
            }, Qt::QueuedConnection);
        }
        return false;
    }
};

}  // namespace

void CreateWindows()
{
    frmSplash = new TfrmSplash;
    CompleteStartUp();
}

void ShowMainMenuFirst()
{
    frmSplash = new TfrmSplash;
    frmSplash->installEventFilter(new AfterFirstPaint(frmSplash));
    frmSplash->show();
}
