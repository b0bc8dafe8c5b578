#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QUndoStack;
class SaveUnitsModel;
class TSaveGame;

// Every unit of a save game's unit list in one table: sorted, filtered by
// name, edited one cell or many rows at a time by the save game editor's
// rules. Each change is a step on the image's undo stack and goes into the
// image at once; nothing reaches the disk before the editor saves.
class TfrmSaveUnits : public QDialog {
    Q_OBJECT

public:
    TfrmSaveUnits(TSaveGame& image, QUndoStack* stack, QWidget* parent = nullptr);

    QLineEdit* edtFilter;
    QTableView* tvSaveUnits;
    QPushButton* btnBulkEdit;
    QPushButton* btnClose;

    // The unit (0-based) picked by a double-click or Enter, or -1 when the
    // table was closed otherwise.
    int ChosenUnit() const { return chosenUnit_; }

public slots:
    // Changes one value of every selected unit in the bulk edit dialog.
    void btnBulkEditClick();

private:
    void chooseUnit(const QModelIndex& index);

    SaveUnitsModel* model_;
    QSortFilterProxyModel* rows_;
    int chosenUnit_ = -1;
};
