// uieditor_preview GAMEDIR [OUTDIR]: runs the unit attribute editor on a
// game directory without the main menu. With OUTDIR it writes pictures of
// the editor and the search dialog there instead of showing them.
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QTemporaryDir>
#include <cstdio>

#include "data/Settings.h"
#include "uieditor/UIEditor.h"
#include "uieditor/UISearch.h"
#include "widgets/SpinField.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: uieditor_preview GAMEDIR [OUTDIR]\n");
        return 2;
    }
    QFont::insertSubstitution("MS Sans Serif", "Liberation Sans");
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    QApplication::setFont(font);

    // A settings file of its own, pointing at the game directory.
    QTemporaryDir settings;
    SettingsDir = QDir::cleanPath(settings.path()).toStdString();
    SetGameDir(QDir(argv[1]).absolutePath().toStdString() + "/");
    WriteSettings();

    frmDV2Edit = new TfrmDV2Edit;
    frmSearch = new TfrmSearch;
    if (argc < 3)
        return frmDV2Edit->exec();

    const QString out = QString::fromLocal8Bit(argv[2]);
    frmDV2Edit->show();
    frmDV2Edit->btnLoadClick();
    frmDV2Edit->seUnitCode->setValue(7);
    frmDV2Edit->grab().save(out + "/editor.png");
    frmDV2Edit->resize(700, 600);
    frmDV2Edit->grab().save(out + "/editor-large.png");
    frmDV2Edit->resize(frmDV2Edit->minimumSizeHint());
    frmDV2Edit->grab().save(out + "/editor-small.png");

    frmSearch->show();
    frmSearch->rbUnitName->setChecked(true);
    frmSearch->edtSearch->setText("assault pioneers");
    frmSearch->btnFind->click();
    frmSearch->grab().save(out + "/search.png");
    return 0;
}
