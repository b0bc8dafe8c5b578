#include "sgeditor/SaveUnitsModel.h"

#include <QUndoStack>

#include "data/Equipment.h"
#include "data/UnitCodes.h"
#include "sgeditor/SaveGameCommands.h"
#include "widgets/Cp1252.h"
#include "widgets/TableWindow.h"

namespace {

bool IsTableCode(int code)
{
    return code > 0 && code < Equipment.UnitCount;
}

const QString Headers[SaveUnitsModel::ColumnCount] = {
    QStringLiteral("No"),
    QStringLiteral("Unit Code"),
    QStringLiteral("Unit Name"),
    QStringLiteral("Country"),
    QStringLiteral("Transport Code"),
    QStringLiteral("Transport Name"),
    QStringLiteral("Experience"),
    QStringLiteral("Fuel"),
    QStringLiteral("Total Strength"),
    QStringLiteral("Current Strength"),
};

}  // namespace

QString UnitTypeName(int code)
{
    return IsTableCode(code) ? FromCp1252(Equipment.UnitNames[code]) : QString();
}

QString UnitTypeCountry(int code)
{
    return IsTableCode(code) ? Latin1(CountryName(static_cast<std::uint16_t>(code))) : QString();
}

QString UnitTypeHexCode(int code)
{
    return IsTableCode(code) ? QString::fromStdString(HexCode(static_cast<std::uint16_t>(code)))
                             : QString();
}

SaveUnitsModel::SaveUnitsModel(TSaveGame& image, QUndoStack* stack, QObject* parent)
    : QAbstractTableModel(parent), image_(image), stack_(stack)
{
    // Any step, done or undone here or elsewhere, may change any row.
    connect(stack, &QUndoStack::indexChanged, this, [this] {
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
    });
}

void SaveUnitsModel::Reload()
{
    beginResetModel();
    endResetModel();
}

int SaveUnitsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : image_.UnitListCount();
}

int SaveUnitsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

bool SaveUnitsModel::IsField(int column)
{
    return column == UnitCode || column == TransportCode || column >= Experience;
}

SaveUnitField SaveUnitsModel::FieldOf(int column)
{
    switch (column) {
    case UnitCode: return SaveUnitField::TypeCode;
    case TransportCode: return SaveUnitField::TransportCode;
    case Experience: return SaveUnitField::Experience;
    case Fuel: return SaveUnitField::UnitFuel;
    case TotalStrength: return SaveUnitField::TotalStrength;
    default: return SaveUnitField::CurrentStrength;
    }
}

int SaveUnitsModel::ColumnOf(SaveUnitField field)
{
    for (int column = 0; column < ColumnCount; ++column)
        if (IsField(column) && FieldOf(column) == field)
            return column;
    return No;
}

QVariant SaveUnitsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const TSaveGameUnit shown = ShownUnit(image_.ReadUnit(index.row()));
    const int column = index.column();
    if (role == MinimumRole || role == MaximumRole) {
        if (!IsField(column))
            return {};
        const FieldLimits limits = LimitsOf(shown, FieldOf(column));
        return role == MinimumRole ? limits.minimum : limits.maximum;
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != SortRole)
        return {};
    switch (column) {
    case No: return index.row() + 1;
    case UnitName: return UnitTypeName(shown.TypeCode);
    case Country: return UnitTypeCountry(shown.TypeCode);
    case TransportName: return UnitTypeName(shown.TransportCode);
    default: return FieldValue(shown, FieldOf(column));
    }
}

QVariant SaveUnitsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
        && section < ColumnCount)
        return Headers[section];
    return {};
}

Qt::ItemFlags SaveUnitsModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    return IsField(index.column()) ? flags | Qt::ItemIsEditable : flags;
}

bool SaveUnitsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    bool isNumber = false;
    const int typed = value.toInt(&isNumber);
    if (!index.isValid() || role != Qt::EditRole || !IsField(index.column()) || !isNumber)
        return false;
    const SaveUnitField field = FieldOf(index.column());
    const TSaveGameUnit stored = image_.ReadUnit(index.row());
    const TSaveGameUnit edited = StoredWithField(stored, field, typed);
    if (FieldValue(edited, field) == FieldValue(ShownUnit(stored), field))
        return true;
    if (const std::string problem = UnitCodeProblem(edited.TypeCode); !problem.empty()) {
        emit refused(QString::fromStdString(problem));
        return false;
    }
    PushStep(stack_, new ChangeSaveUnits(image_, {{index.row(), edited}},
                                         QStringLiteral("Change of %1 of unit %2")
                                             .arg(Headers[index.column()])
                                             .arg(index.row() + 1)));
    return true;
}

int SaveUnitsModel::ChangeField(const std::vector<int>& units, SaveUnitField field,
                                const std::function<int(const TSaveGameUnit& shown)>& newValue,
                                bool apply)
{
    std::vector<ChangeSaveUnits::Change> changes;
    for (int unit : units) {
        const TSaveGameUnit stored = image_.ReadUnit(unit);
        const TSaveGameUnit shown = ShownUnit(stored);
        const TSaveGameUnit changed = StoredWithField(stored, field, newValue(shown));
        if (FieldValue(changed, field) != FieldValue(shown, field))
            changes.push_back({unit, changed});
    }
    if (!apply)
        return static_cast<int>(changes.size());
    PushStep(stack_, new ChangeSaveUnits(image_, changes,
                                         QStringLiteral("Change of %1 of %2 units")
                                             .arg(Headers[ColumnOf(field)])
                                             .arg(changes.size())));
    return static_cast<int>(changes.size());
}
