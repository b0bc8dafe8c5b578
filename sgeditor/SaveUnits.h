#pragma once

#include "widgets/TableWindow.h"

class SaveUnitsModel;
class TSaveGame;

// Every unit of a save game's unit list in one table: sorted, filtered by
// name, edited one cell or many rows at a time by the save game editor's
// rules. Each change is a step on the image's undo stack and goes into the
// image at once; nothing reaches the disk before the editor saves.
class TfrmSaveUnits : public TableWindow {
    Q_OBJECT

public:
    TfrmSaveUnits(TSaveGame& image, QUndoStack* stack, QWidget* parent = nullptr);

    // Shows the unit list as it is now, which a load may have replaced since
    // the window was last open; keeps the filter and the sort order.
    void Reload();

    // The unit (0-based) picked by a double-click or Enter, or -1 when the
    // table was closed otherwise.
    int ChosenUnit() const { return ChosenRow(); }

    QTableView* tvSaveUnits;

private:
    TfrmSaveUnits(SaveUnitsModel* model, QUndoStack* stack, QWidget* parent);
    QList<BulkEditDialog::Column> bulkColumns() const override;
    void setUpBulkEdit(BulkEditDialog& dialog) override;
    int changeSelected(const std::vector<int>& rows, const BulkEditDialog& choice,
                       bool apply) override;

    SaveUnitsModel* model_;
    int toTotal_ = -1;  // the operation "Set to total strength"
};
