#include "uieditor/EquipmentModel.h"

#include <algorithm>

#include "data/Equipment.h"
#include "data/UnitCodes.h"
#include "data/UnitFields.h"
#include "equipment/EquipmentDocument.h"
#include "widgets/BulkEditDialog.h"
#include "widgets/Cp1252.h"
#include "widgets/TableWindow.h"

namespace {

// A name the names file holds as typed: every character has a byte, and
// none is a control.
bool IsStorableName(const QString& text)
{
    return std::all_of(text.begin(), text.end(), IsCp1252) && IsValidUnitName(ToCp1252(text));
}

// A row for each unit type; code 0 is none.
int UnitRows()
{
    return std::max(Equipment.UnitCount - 1, 0);
}

}  // namespace

QStringList CountryList()
{
    QStringList names;
    for (std::string_view name : CountryNames)
        names << Latin1(name);
    return names;
}

QValidator::State UnitNameValidator::validate(QString& input, int&) const
{
    const bool fits = input.size() <= static_cast<qsizetype>(MaxUnitNameLength) && IsStorableName(input);
    return fits ? Acceptable : Invalid;
}

EquipmentModel::EquipmentModel(QObject* parent)
    : QAbstractTableModel(parent), rows_(UnitRows())
{
    connect(&EquipmentDoc(), &EquipmentDocument::reloaded, this, &EquipmentModel::StepChanged);
    connect(&EquipmentDoc(), &EquipmentDocument::unitsChanged, this, &EquipmentModel::StepChanged);
}

const NumberField& EquipmentModel::NumberOf(int column)
{
    return NumberFields[static_cast<std::size_t>(column - FirstNumber)];
}

int EquipmentModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int EquipmentModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FirstNumber + static_cast<int>(NumberFieldCount);
}

QVariant EquipmentModel::data(const QModelIndex& index, int role) const
{
    const std::uint16_t code = CodeOfRow(index.row());
    const TEquipRecord& record = Equipment.Records[code];
    const int column = index.column();
    const auto storedCode = [&] {
        return static_cast<std::uint16_t>(record[Field::UnitCode] | record[Field::UnitCode + 1] << 8);
    };
    switch (role) {
    case SortRole:
        if (column == HexCode)
            return storedCode();
        [[fallthrough]];
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (column) {
        case UnitCode: return code;
        case HexCode: return QString::fromStdString(::HexCode(storedCode()));
        case UnitName: return FromCp1252(Equipment.UnitNames[code]);
        case UnitType: return Latin1(UnitClassName(record[Field::UnitClass]));
        case Country: return Latin1(CountryName(code));
        default: return ShownValue(code, NumberOf(column));
        }
    case ValidatorRole:
        return column == UnitName ? QVariant::fromValue<QObject*>(const_cast<UnitNameValidator*>(&names_))
                                  : QVariant();
    case ChoicesRole:
        return column == Country ? CountryList() : QVariant();
    case MinimumRole:
        return column >= FirstNumber ? NumberOf(column).minimum : QVariant();
    case MaximumRole:
        return column >= FirstNumber ? FieldMaximum(code, NumberOf(column)) : QVariant();
    case MultipleRole:
        return column >= FirstNumber ? NumberOf(column).multiple : QVariant();
    default:
        return {};
    }
}

QVariant EquipmentModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && (role == MinimumRole || role == MaximumRole)) {
        if (section == UnitCode)
            return role == MinimumRole ? 1 : rows_;
        if (section >= FirstNumber)
            return role == MinimumRole ? NumberOf(section).minimum : NumberOf(section).maximum;
    }
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case UnitCode: return QStringLiteral("Unit Code");
    case HexCode: return QStringLiteral("Hex Code");
    case UnitName: return QStringLiteral("Unit Name");
    case UnitType: return QStringLiteral("Unit Type");
    case Country: return QStringLiteral("Country");
    default: return Latin1(NumberOf(section).label);
    }
}

Qt::ItemFlags EquipmentModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags shown = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const int column = index.column();
    if (column == UnitName || column == Country ||
        (column >= FirstNumber && IsEditable(CodeOfRow(index.row()), NumberOf(column))))
        return shown | Qt::ItemIsEditable;
    return shown;
}

bool EquipmentModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const std::uint16_t code = CodeOfRow(index.row());
    const int column = index.column();
    const QString step = QStringLiteral("Change of %1 of unit %2")
                             .arg(headerData(column, Qt::Horizontal).toString())
                             .arg(code);
    if (column == UnitName) {
        const QString text = value.toString();
        if (!IsStorableName(text))
            return false;
        const std::string name = ToCp1252(text);
        EquipmentDoc().EditUnits(step, {code}, [&] { StoreUnitName(code, name); });
        return true;
    }
    if (column == Country) {
        // Only the names of the list, as the table's country list offers
        // them, or none.
        const std::string name = ToCp1252(value.toString());
        if (!name.empty() && std::ranges::find(CountryNames, name) == CountryNames.end())
            return false;
        EquipmentDoc().EditUnits(step, {code}, [&] { SetCountryByName(code, name); });
        return true;
    }
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok)
        return false;
    EquipmentDoc().EditUnits(step, {code}, [&] { StoreValue(code, NumberOf(column), number); });
    return true;
}

int EquipmentModel::BulkEdit(const std::vector<std::uint16_t>& codes, int column, int operation,
                             int value, bool apply)
{
    const NumberField& field = NumberOf(column);
    const BulkEditDialog::Column limits{Latin1(field.label), field.minimum, field.maximum,
                                        field.multiple};
    const auto store = [&](std::uint16_t code) {
        StoreValue(code, field, BulkEditDialog::Apply(limits, operation, value, ShownValue(code, field)));
    };
    // Which units change is found by storing into each and putting its
    // record back: the storing rules stay in one place.
    std::vector<std::uint16_t> changed;
    for (std::uint16_t code : codes) {
        const TEquipRecord kept = Equipment.Records[code];
        store(code);
        if (Equipment.Records[code] != kept)
            changed.push_back(code);
        Equipment.Records[code] = kept;
    }
    if (apply) {
        const QString step =
            QStringLiteral("Change of %1 of %2 unit types").arg(limits.name).arg(changed.size());
        EquipmentDoc().EditUnits(step, changed, [&] { std::ranges::for_each(changed, store); });
    }
    return static_cast<int>(changed.size());
}

void EquipmentModel::Reload()
{
    beginResetModel();
    rows_ = UnitRows();
    endResetModel();
}

// Every change of the table comes through the history, whichever window
// made it; a step that added or removed unit types changes the rows.
void EquipmentModel::StepChanged()
{
    const int rows = UnitRows();
    if (rows != rows_)
        Reload();
    else if (rows_ > 0)
        emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
}
