#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

#include "data/UnitFields.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QUndoCommand;
class SpinField;
class TfrmUnitTable;

// The unit attribute editor: shows one unit type of the equipment table at
// a time, edits it, creates unit types as copies and writes the equipment
// files back. Left only through "Return to Main Menu".
class TfrmDV2Edit : public QDialog {
    Q_OBJECT

public:
    explicit TfrmDV2Edit(QWidget* parent = nullptr);

    // The unit shown: 0 until the first load, then within 1 to UnitCount - 1.
    std::uint16_t CurrentUnit = 0;
    // Whether the user changed an attribute since the unit was shown or stored.
    bool UnitChanged = false;

    // Fills the controls from the table's unit code (1 to UnitCount - 1).
    // Showing is not an edit: UnitChanged ends false, the status stays.
    void ShowUnit(std::uint16_t code);
    // Writes the controls into the table's unit code: name, country (warns
    // and stores no country for a name not in the list) and the numbers.
    void UpdateUnit(std::uint16_t code);

    QMenuBar* mnuMain;
    QAction* mnuSave;
    QAction* mnuBackup;
    QAction* mnuSearch;
    QAction* mnuUpdate;
    QAction* mnuCreate;
    QAction* mnuUndo;
    QAction* mnuRedo;
    QAction* mnuUnitTable;
    QAction* mnuExportCsv;
    QAction* mnuImportCsv;

    QPushButton* btnLoad;
    QPushButton* btnSave;
    QPushButton* btnReturn;

    QGroupBox* gbEditorOptions;
    QPushButton* btnPrevious;
    QPushButton* btnNext;
    QPushButton* btnSearch;
    QPushButton* btnUpdate;
    QPushButton* btnCreate;

    QGroupBox* gbUnitAttributes;
    SpinField* seUnitCode;
    QLineEdit* edtHexCode;
    QLineEdit* edtUnitName;
    QLineEdit* edtUnitType;
    QComboBox* cbCountry;
    // The numeric attributes, in the order of NumberFields.
    std::array<SpinField*, NumberFieldCount> seNumbers;

    QLabel* lblStatus;  // the status bar's one panel

    // Made at its first opening, then kept with its filter and sort order.
    TfrmUnitTable* frmUnitTable = nullptr;

public slots:
    // Settings (read, or picked in a dialog and written), then both
    // equipment files; shows unit 1. A failure leaves everything as it was.
    void btnLoadClick();
    // Writes the table (not the pending control changes) to both files.
    void btnSaveClick();
    void btnBackupClick();
    // Steps to the previous or next unit, wrapping, after asking whether to
    // store pending changes.
    void btnPreviousClick();
    void btnNextClick();
    // Runs the search dialog, then shows the unit it handed back, or
    // CurrentUnit again.
    void btnSearchClick();
    // Stores the controls into the shown unit.
    void btnUpdateClick();
    // Appends a copy of the shown unit, as stored, and shows it.
    void btnCreateClick();
    // Opens the unit table, then shows the unit picked there or CurrentUnit.
    void mnuUnitTableClick();
    // The user picked another unit code: shows it, dropping pending changes.
    void seUnitCodeChange();
    // The user changed an attribute control (every one shares this handler).
    void edtUnitNameChange();
    // The table was read again (here or by the save game editor), imported
    // or changed in size: shows the unit as it now is, the highest one
    // left when it is gone, dropping pending changes.
    void TableReloaded();

    // The Tools menu: the table to a CSV file, and a CSV file into the
    // table in memory (nothing is written until "Save File").
    void mnuExportCsvClick();
    void mnuImportCsvClick();

    // Not closed by Escape or the window manager: only by "Return to Main Menu".
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool HasUnit() const;
    void StepTo(std::uint16_t code);
    // Before another unit or the table is shown: asks whether to store the
    // pending changes, and stores them on Yes.
    void AskToStoreChanges();
    void PickGameDir();
    void ShowStep(const QUndoCommand* undone);
};

extern TfrmDV2Edit* frmDV2Edit;
