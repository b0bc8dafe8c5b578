#include "uieditor/UnitTable.h"

#include "data/UnitCodes.h"
#include "data/UnitFields.h"
#include "equipment/EquipmentDocument.h"
#include "uieditor/EquipmentModel.h"
#include "widgets/Cp1252.h"

TfrmUnitTable::TfrmUnitTable(QWidget* parent) : TfrmUnitTable(new EquipmentModel, parent) {}

TfrmUnitTable::TfrmUnitTable(EquipmentModel* model, QWidget* parent)
    : TableWindow({.name = QStringLiteral("frmUnitTable"),
                   .caption = QStringLiteral("Unit Table"),
                   .viewName = QStringLiteral("tvUnits"),
                   .rowsCounted = QStringLiteral("unit types"),
                   .nameColumns = {EquipmentModel::UnitName},
                   .frozenColumns = EquipmentModel::UnitName + 1},
                  model, EquipmentDoc().History(), parent),
      tvUnits(view()), model_(model)
{
    QStringList types;
    for (int code = 0; code <= 255; ++code)
        if (const auto name = UnitClassName(static_cast<std::uint8_t>(code)))
            types << Latin1(*name);
    cbFilterType = addChoiceFilter(QStringLiteral("cbFilterType"), QStringLiteral("Unit Type:"),
                                   EquipmentModel::UnitType, types);
    cbFilterCountry = addChoiceFilter(QStringLiteral("cbFilterCountry"), QStringLiteral("Country:"),
                                      EquipmentModel::Country, CountryList());
}

void TfrmUnitTable::Reload()
{
    model_->Reload();
    reopened();
}

int TfrmUnitTable::ChosenUnit() const
{
    return ChosenRow() < 0 ? -1 : EquipmentModel::CodeOfRow(ChosenRow());
}

QList<BulkEditDialog::Column> TfrmUnitTable::bulkColumns() const
{
    QList<BulkEditDialog::Column> columns;
    int column = EquipmentModel::FirstNumber;
    for (const NumberField& field : NumberFields)
        columns.append({Latin1(field.label), field.minimum, field.maximum, field.multiple, column++});
    return columns;
}

int TfrmUnitTable::changeSelected(const std::vector<int>& rows, const BulkEditDialog& choice,
                                  bool apply)
{
    std::vector<std::uint16_t> codes;
    for (int row : rows)
        codes.push_back(EquipmentModel::CodeOfRow(row));
    return model_->BulkEdit(codes, EquipmentModel::FirstNumber + choice.column(), choice.operation(),
                            choice.value(), apply);
}
