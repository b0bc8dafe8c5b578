#pragma once

#include <QDialog>
#include <cstdint>

class EquipmentModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

// Every unit type of the equipment table at a glance: sorted, filtered,
// edited in place or many rows at once. Opened modally from the attribute
// editor; a double click or Enter on a row picks that unit.
class TfrmUnitTable : public QDialog {
    Q_OBJECT

public:
    explicit TfrmUnitTable(QWidget* parent = nullptr);

    // Shows the table as it is now, which a load may have replaced since the
    // window was last open; keeps the filter and the sort order.
    void Reload();

    // The unit picked by a double click or Enter; the dialog is then accepted.
    std::uint16_t ChosenUnit = 0;

    QTableView* tvUnits;
    QLineEdit* edtFilter;
    QComboBox* cbFilterType;
    QComboBox* cbFilterCountry;
    QPushButton* btnBulkEdit;
    QPushButton* btnClose;
    QLabel* lblStatus;
    QAction* mnuUndo;
    QAction* mnuRedo;

public slots:
    void btnBulkEditClick();
    void tvUnitsActivated(const QModelIndex& index);

private:
    void FilterChanged();
    void ShowRowCount();

    EquipmentModel* model_;
    QSortFilterProxyModel* filter_;
};
