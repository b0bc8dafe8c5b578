#pragma once

#include "widgets/TableWindow.h"

class EquipmentModel;

// Every unit type of the equipment table at a glance: sorted, filtered,
// edited in place or many rows at once. Opened modally from the attribute
// editor; a double click or Enter on a row picks that unit.
class TfrmUnitTable : public TableWindow {
    Q_OBJECT

public:
    explicit TfrmUnitTable(QWidget* parent = nullptr);

    // Shows the table as it is now, which a load may have replaced since the
    // window was last open; keeps the filter and the sort order.
    void Reload();

    // The unit code picked by a double click or Enter (the dialog is then
    // accepted), -1 when none was.
    int ChosenUnit() const;

    QTableView* tvUnits;
    QComboBox* cbFilterType;
    QComboBox* cbFilterCountry;

private:
    TfrmUnitTable(EquipmentModel* model, QWidget* parent);
    QList<BulkEditDialog::Column> bulkColumns() const override;
    int changeSelected(const std::vector<int>& rows, const BulkEditDialog& choice,
                       bool apply) override;

    EquipmentModel* model_;
};
