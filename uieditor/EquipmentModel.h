#pragma once

#include <QAbstractTableModel>
#include <QValidator>
#include <cstdint>
#include <vector>

struct NumberField;

// The country names, in the order of the lists that offer them.
QStringList CountryList();

// A unit name as the names file can hold it: what is saved is what was
// typed (a line break would end the name there).
class UnitNameValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// The shared equipment table as a table: one row per unit code 1 to
// UnitCount - 1, each value as the attribute editor shows it, with its
// limits and choices in the table window's cell roles. Edits are
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
    // in the list, is refused (false) and changes nothing; an empty country
    // is none.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Applies a bulk edit operation (BulkEditDialog's standard ones) to one
    // numeric column of the given units, as one step named by the number of
    // units it changes; returns that number. Units for which the column is
    // not editable keep their value. Without apply, only counts.
    int BulkEdit(const std::vector<std::uint16_t>& codes, int column, int operation, int value,
                 bool apply = true);

private:
    void StepChanged();
    int rows_ = 0;
    UnitNameValidator names_;
};
