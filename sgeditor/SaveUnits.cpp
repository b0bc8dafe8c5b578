#include "sgeditor/SaveUnits.h"

#include <QComboBox>
#include <QTableView>

#include "sgeditor/SaveUnitsModel.h"
#include "widgets/MessageBoxes.h"

namespace {

// The values "Change Selected..." changes, in its order.
constexpr SaveUnitField BulkFields[] = {SaveUnitField::Experience, SaveUnitField::UnitFuel,
                                        SaveUnitField::TotalStrength,
                                        SaveUnitField::CurrentStrength};
constexpr int CurrentStrengthChoice = 3;

}  // namespace

TfrmSaveUnits::TfrmSaveUnits(TSaveGame& image, QUndoStack* stack, QWidget* parent)
    : TfrmSaveUnits(new SaveUnitsModel(image, stack), stack, parent)
{
}

TfrmSaveUnits::TfrmSaveUnits(SaveUnitsModel* model, QUndoStack* stack, QWidget* parent)
    : TableWindow({.name = QStringLiteral("frmSaveUnits"),
                   .caption = QStringLiteral("Units in Save Game"),
                   .viewName = QStringLiteral("tvSaveUnits"),
                   .rowsCounted = QStringLiteral("units"),
                   .nameColumns = {SaveUnitsModel::UnitName, SaveUnitsModel::TransportName},
                   .frozenColumns = SaveUnitsModel::UnitName + 1},
                  model, stack, parent),
      tvSaveUnits(view()), model_(model)
{
    // Queued: the box takes the focus, which must not end the cell's edit
    // again while it is being stored. Answered, it gives the keyboard back
    // to the table, where the user goes on.
    connect(model_, &SaveUnitsModel::refused, this, [this](const QString& why) {
        ShowWarningBox(this, why);
        activateWindow();
        tvSaveUnits->setFocus();
    }, Qt::QueuedConnection);
}

void TfrmSaveUnits::Reload()
{
    model_->Reload();
    reopened();
}

QList<BulkEditDialog::Column> TfrmSaveUnits::bulkColumns() const
{
    QList<BulkEditDialog::Column> columns;
    for (SaveUnitField field : BulkFields) {
        const FieldLimits limits = LimitsOf(TSaveGameUnit{.TotalStrength = MaxStrength}, field);
        const int column = SaveUnitsModel::ColumnOf(field);
        columns.append({model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(),
                        limits.minimum, limits.maximum, 1, column});
    }
    return columns;
}

void TfrmSaveUnits::setUpBulkEdit(BulkEditDialog& dialog)
{
    toTotal_ = dialog.addOperation(QStringLiteral("Set to total strength"));
    // That operation belongs to the current strength alone.
    connect(dialog.cbBulkOp, &QComboBox::currentIndexChanged, &dialog, [&dialog, this](int operation) {
        if (operation == toTotal_)
            dialog.setColumn(CurrentStrengthChoice);
    });
    connect(dialog.cbBulkField, &QComboBox::currentIndexChanged, &dialog, [&dialog, this](int column) {
        if (column != CurrentStrengthChoice && dialog.operation() == toTotal_)
            dialog.cbBulkOp->setCurrentIndex(BulkEditDialog::SetTo);
    });
}

int TfrmSaveUnits::changeSelected(const std::vector<int>& rows, const BulkEditDialog& choice,
                                  bool apply)
{
    const SaveUnitField field = BulkFields[choice.column()];
    const int operation = choice.operation();
    const int value = choice.value();
    return model_->ChangeField(rows, field, [&](const TSaveGameUnit& shown) -> int {
        // A unit with a total strength of 0 has no strength to return to.
        if (operation == toTotal_)
            return shown.TotalStrength == 0 ? shown.CurrentStrength : shown.TotalStrength;
        // Each unit within its own limits: its current strength within its total.
        const FieldLimits limits = LimitsOf(shown, field);
        return BulkEditDialog::Apply({QString(), limits.minimum, limits.maximum}, operation, value,
                                     FieldValue(shown, field));
    }, apply);
}
