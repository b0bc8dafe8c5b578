// dv2screenshots OUTDIR: pictures of the windows for the README, taken
// from the real windows with the demo game loaded in both editors. Run it
// from a directory whose DV2Edit.ini points at the demo (scripts/screenshots.sh).
#include "app/Splash.h"
#include "app/Windows.h"
#include "data/Settings.h"
#include "sgeditor/FindUnit.h"
#include "sgeditor/SGEditor.h"
#include "sgeditor/SaveUnits.h"
#include "tools/makedemo/DemoSaves.h"
#include "uieditor/UIEditor.h"
#include "uieditor/UISearch.h"
#include "uieditor/UnitTable.h"
#include "widgets/BulkEditDialog.h"
#include "widgets/SpinField.h"

#include <QApplication>
#include <QComboBox>
#include <QTableView>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cstdio>

namespace {

void Save(QWidget* window, const QString& path)
{
    window->show();
    QApplication::processEvents();
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "dv2screenshots: cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    std::printf("%s\n", qPrintable(path));
}

// Picks the demo campaign in the save game editor's open dialog.
void PickDemoCampaign()
{
    QTimer::singleShot(50, [] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return PickDemoCampaign();
        // selectFile leaves the name box alone while it has the focus.
        if (QWidget* typing = dialog->focusWidget())
            typing->clearFocus();
        dialog->selectFile(QString::fromStdString(SaveGameDir) + DemoSaves::CampaignFile);
        static_cast<QDialog*>(dialog)->accept();
    });
}

// Draws the save game editor's unit table once it is open, and closes it.
void SaveUnitTable(const QString& path)
{
    QTimer::singleShot(50, [path] {
        auto* table = qobject_cast<TfrmSaveUnits*>(QApplication::activeModalWidget());
        if (table == nullptr)
            return SaveUnitTable(path);
        Save(table, path);
        table->close();
    });
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: dv2screenshots OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]) + "/";
    SetUpApplication();
    CreateWindows();
    Save(frmSplash, out + "main-menu.png");

    frmDV2Edit->show();
    frmDV2Edit->btnLoad->click();
    frmDV2Edit->seUnitCode->setValue(2);
    Save(frmDV2Edit, out + "unit-attribute-editor.png");
    frmSearch->rbUnitName->setChecked(true);
    frmSearch->edtSearch->setText(frmDV2Edit->edtUnitName->text());
    frmSearch->show();
    frmSearch->btnFind->click();
    Save(frmSearch, out + "search.png");
    frmSearch->hide();

    // The table with the tanks selected for a bulk edit of their cost.
    TfrmUnitTable table(frmDV2Edit);
    table.cbFilterType->setCurrentText(QStringLiteral("Tank"));
    table.tvUnits->selectAll();
    Save(&table, out + "unit-table.png");
    BulkEditDialog bulk({{QStringLiteral("Prestige Cost"), 12, 3060, 12},
                         {QStringLiteral("Hard Attack"), 0, 255, 1}},
                        &table);
    bulk.cbBulkOp->setCurrentIndex(BulkEditDialog::MultiplyByPercent);
    bulk.seBulkValue->setValue(110);
    Save(&bulk, out + "bulk-edit.png");
    bulk.hide();
    table.hide();

    frmDV2SGEdit->show();
    PickDemoCampaign();
    frmDV2SGEdit->btnLoad->click();
    frmDV2SGEdit->btnNext->click();
    Save(frmDV2SGEdit, out + "save-game-editor.png");
    SaveUnitTable(out + "save-units.png");
    frmDV2SGEdit->mnuSaveUnits->trigger();
    Save(frmFindUnit, out + "unit-selection.png");
    return 0;
}
