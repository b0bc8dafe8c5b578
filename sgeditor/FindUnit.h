#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>

class QPushButton;
class QTableWidget;

// The unit selection list: every unit type of the equipment table by name
// and country, row r standing for unit code r. "Select Unit" hands the
// selected row back to the save game editor.
class TfrmFindUnit : public QDialog {
    Q_OBJECT

public:
    explicit TfrmFindUnit(QWidget* parent = nullptr);

    // The code "Select Unit" handed back; none after "Exit".
    std::optional<std::uint16_t> ChosenCode() const;

    QTableWidget* sgUnit;
    QPushButton* btnSelect;
    QPushButton* btnExit;

public slots:
    // Fills the list from the equipment table: row 0 the titles, row r unit
    // code r; the title row ends up selected and the list shown from its top.
    void FillUnitList();
    // Closes, handing back the selected row's number (the title row's 0).
    void btnSelectClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::uint16_t chosenCode_ = 0;
};

extern TfrmFindUnit* frmFindUnit;
