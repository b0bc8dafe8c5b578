#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

struct NumberField;

// The shared equipment table as a table: one row per unit code 1 to
// UnitCount - 1, each value as the attribute editor shows it. Edits are
// stored by the editor's rules, each as one step of the equipment document, and
// the model follows every step that is done, undone or redone.
class EquipmentModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { UnitCode, HexCode, UnitName, UnitType, Country, FirstNumber };

    explicit EquipmentModel(QObject* parent = nullptr);

    // Reads the whole table anew (a load replaces it without a step).
    void Reload();

    static std::uint16_t CodeOfRow(int row) { return static_cast<std::uint16_t>(row + 1); }
    // The numeric attribute of a column at or after FirstNumber.
    static const NumberField& NumberOf(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A name with characters the names file cannot hold, or a country not
    // in the list, is refused (false) and changes nothing.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Applies a bulk edit operation (BulkEditDialog's standard ones) to one
    // numeric column of the given units, as one step. Units for which the
    // column is not editable keep their value.
    void BulkEdit(const std::vector<std::uint16_t>& codes, int column, int operation, int value);

private:
    void StepChanged();
    int rows_ = 0;
};
