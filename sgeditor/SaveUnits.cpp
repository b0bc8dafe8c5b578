#include "sgeditor/SaveUnits.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QUndoStack>
#include <QVBoxLayout>
#include <iterator>
#include <vector>

#include "sgeditor/SaveUnitsModel.h"
#include "widgets/BulkEditDialog.h"
#include "widgets/EnterKey.h"
#include "widgets/SpinField.h"
#include "widgets/UndoActions.h"

namespace {

// Rows whose unit or transport name matches the filter.
class NameFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto matches = [&](int column) {
            return filterRegularExpression()
                .match(sourceModel()->index(row, column, parent).data().toString())
                .hasMatch();
        };
        return matches(SaveUnitsModel::UnitName) || matches(SaveUnitsModel::TransportName);
    }
};

// Cells are edited in a spin field with the limits of the unit's field.
class FieldDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override
    {
        auto* field = new SpinField(parent);
        field->setRange(index.data(SaveUnitsModel::MinimumRole).toInt(),
                        index.data(SaveUnitsModel::MaximumRole).toInt());
        field->setMaxLength(QString::number(field->maximum()).size());
        return field;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        static_cast<SpinField*>(editor)->setValue(index.data(Qt::EditRole).toInt());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override
    {
        model->setData(index, static_cast<SpinField*>(editor)->value(), Qt::EditRole);
    }
};

QPushButton* MakeButton(const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    button->setAutoDefault(false);  // Enter picks the row, not a button
    return button;
}

}  // namespace

TfrmSaveUnits::TfrmSaveUnits(TSaveGame& image, QUndoStack* stack, QWidget* parent)
    : QDialog(parent), model_(new SaveUnitsModel(image, stack, this)),
      rows_(new NameFilter(this))
{
    setObjectName(QStringLiteral("frmSaveUnits"));
    setWindowTitle(QStringLiteral("Units in Save Game"));
    MarkUnsavedChanges(this, stack);

    edtFilter = new QLineEdit;
    edtFilter->setObjectName(QStringLiteral("edtFilter"));
    edtFilter->setClearButtonEnabled(true);
    auto* filterLabel = new QLabel(QStringLiteral("&Filter"));
    filterLabel->setBuddy(edtFilter);

    rows_->setSourceModel(model_);
    rows_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    rows_->setSortRole(Qt::EditRole);
    rows_->setSortCaseSensitivity(Qt::CaseInsensitive);
    tvSaveUnits = new QTableView;
    tvSaveUnits->setObjectName(QStringLiteral("tvSaveUnits"));
    tvSaveUnits->setModel(rows_);
    tvSaveUnits->setItemDelegate(new FieldDelegate(tvSaveUnits));
    tvSaveUnits->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvSaveUnits->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A double-click picks the unit, so it does not start editing.
    tvSaveUnits->setEditTriggers(QAbstractItemView::EditKeyPressed
                                 | QAbstractItemView::AnyKeyPressed
                                 | QAbstractItemView::SelectedClicked);
    tvSaveUnits->verticalHeader()->hide();
    tvSaveUnits->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    tvSaveUnits->setSortingEnabled(true);
    tvSaveUnits->sortByColumn(SaveUnitsModel::No, Qt::AscendingOrder);
    tvSaveUnits->resizeColumnsToContents();
    tvSaveUnits->horizontalHeader()->setStretchLastSection(true);

    btnBulkEdit = MakeButton(QStringLiteral("btnBulkEdit"), QStringLiteral("Change Selected..."));
    btnBulkEdit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    btnClose = MakeButton(QStringLiteral("btnClose"), QStringLiteral("&Close"));

    auto* menuBar = new QMenuBar;
    AddUndoActions(menuBar->addMenu(QStringLiteral("&Edit")), stack);

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(edtFilter, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(btnBulkEdit);
    buttonRow->addStretch();
    buttonRow->addWidget(btnClose);
    auto* window = new QVBoxLayout(this);
    window->setMenuBar(menuBar);
    window->addLayout(filterRow);
    window->addWidget(tvSaveUnits, 1);
    window->addLayout(buttonRow);

    connect(edtFilter, &QLineEdit::textChanged, rows_, &QSortFilterProxyModel::setFilterFixedString);
    PickRowOnEnterOrDoubleClick(tvSaveUnits, [this](const QModelIndex& index) { chooseUnit(index); });
    connect(btnBulkEdit, &QPushButton::clicked, this, &TfrmSaveUnits::btnBulkEditClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    // Wide enough to show every column whole.
    const int tableWidth = tvSaveUnits->horizontalHeader()->length()
                         + tvSaveUnits->verticalScrollBar()->sizeHint().width()
                         + 2 * tvSaveUnits->frameWidth();
    resize(tableWidth + window->contentsMargins().left() + window->contentsMargins().right(), 520);
}

void TfrmSaveUnits::chooseUnit(const QModelIndex& index)
{
    chosenUnit_ = rows_->mapToSource(index).row();
    accept();
}

void TfrmSaveUnits::btnBulkEditClick()
{
    std::vector<int> units;
    for (const QModelIndex& row : tvSaveUnits->selectionModel()->selectedRows())
        units.push_back(rows_->mapToSource(row).row());
    if (units.empty())
        return;

    constexpr SaveUnitField Fields[] = {SaveUnitField::Experience, SaveUnitField::UnitFuel,
                                        SaveUnitField::TotalStrength,
                                        SaveUnitField::CurrentStrength};
    QList<BulkEditDialog::Column> columns;
    for (SaveUnitField field : Fields) {
        const FieldLimits limits = LimitsOf(TSaveGameUnit{.TotalStrength = MaxStrength}, field);
        columns.append({model_->headerData(SaveUnitsModel::ColumnOf(field), Qt::Horizontal,
                                           Qt::DisplayRole).toString(),
                        limits.minimum, limits.maximum});
    }
    BulkEditDialog dialog(columns, this);
    const int current = static_cast<int>(std::size(Fields)) - 1;
    const int toTotal = dialog.addOperation(QStringLiteral("Set to total strength"));
    // That operation belongs to the current strength alone.
    connect(dialog.cbBulkOp, &QComboBox::currentIndexChanged, &dialog, [&](int operation) {
        if (operation == toTotal)
            dialog.setColumn(current);
    });
    connect(dialog.cbBulkField, &QComboBox::currentIndexChanged, &dialog, [&](int column) {
        if (column != current && dialog.operation() == toTotal)
            dialog.cbBulkOp->setCurrentIndex(BulkEditDialog::SetTo);
    });
    // The dialog starts on the column of the current cell.
    const int shownColumn = tvSaveUnits->currentIndex().column();
    for (int k = 0; k <= current; ++k)
        if (SaveUnitsModel::IsField(shownColumn) && SaveUnitsModel::FieldOf(shownColumn) == Fields[k])
            dialog.setColumn(k);
    if (dialog.exec() != QDialog::Accepted)
        return;

    const SaveUnitField field = Fields[dialog.column()];
    const int operation = dialog.operation();
    const int value = dialog.value();
    model_->ChangeField(units, field, [&](const TSaveGameUnit& shown) -> int {
        // A unit with a total strength of 0 has no strength to return to.
        if (operation == toTotal)
            return shown.TotalStrength == 0 ? shown.CurrentStrength : shown.TotalStrength;
        // Each unit within its own limits: its current strength within its total.
        const FieldLimits limits = LimitsOf(shown, field);
        return BulkEditDialog::Apply({QString(), limits.minimum, limits.maximum}, operation, value,
                                     FieldValue(shown, field));
    });
}
