#pragma once

#include <QDialog>
#include <QString>

class QPushButton;
class QTableWidget;

// The unit selection list: every unit type of the equipment table by name
// and country, row r standing for unit code r. "Select Unit" hands the
// selected row to the save game editor's unit or transport code field.
class TfrmFindUnit : public QDialog {
    Q_OBJECT

public:
    explicit TfrmFindUnit(QWidget* parent = nullptr);

    // "Unit" selects the unit code field; anything else the transport code.
    QString SelectionTarget;

    QTableWidget* sgUnit;
    QPushButton* btnSelect;
    QPushButton* btnExit;

public slots:
    // Rebuilds the list at every opening.
    void FormActivate();
    // Fills the list from the equipment table: row 0 the titles, row r unit
    // code r; the title row ends up selected and the list shown from its top.
    void FillUnitList();
    // Sets the target field to the selected row's number, as if typed there.
    void btnSelectClick();
    // Closes the dialog, changing nothing.
    void btnExitClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

extern TfrmFindUnit* frmFindUnit;
