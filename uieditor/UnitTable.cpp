#include "uieditor/UnitTable.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QUndoStack>
#include <QValidator>
#include <tuple>
#include <QVBoxLayout>
#include <algorithm>

#include "data/Equipment.h"
#include "data/UnitCodes.h"
#include "data/UnitFields.h"
#include "equipment/EquipmentDocument.h"
#include "uieditor/EquipmentModel.h"
#include "widgets/BulkEditDialog.h"
#include "widgets/EnterKey.h"
#include "widgets/Cp1252.h"
#include "widgets/SpinField.h"
#include "widgets/UndoActions.h"

namespace {

const QString AllItems = QStringLiteral("(all)");
constexpr int CellMargin = 4;

QString Latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), text.size());
}

// Rows whose name contains the filter text (case ignored) and whose type
// and country are the chosen ones, "(all)" choosing any.
class UnitFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    QString name, type, country;

    void Refilter() { invalidateRowsFilter(); }

protected:
    // Numbers straight from the table: a sort makes some ten thousand
    // comparisons, too many to pass each value through a QVariant.
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override
    {
        const int column = left.column();
        if (column == EquipmentModel::UnitCode)
            return left.row() < right.row();
        if (column < EquipmentModel::FirstNumber)
            return QSortFilterProxyModel::lessThan(left, right);
        const NumberField& field = EquipmentModel::NumberOf(column);
        return ShownValue(EquipmentModel::CodeOfRow(left.row()), field) <
               ShownValue(EquipmentModel::CodeOfRow(right.row()), field);
    }

    bool filterAcceptsRow(int row, const QModelIndex&) const override
    {
        const auto text = [&](int column) {
            return sourceModel()->index(row, column).data().toString();
        };
        return (type.isEmpty() || text(EquipmentModel::UnitType) == type) &&
               (country.isEmpty() || text(EquipmentModel::Country) == country) &&
               (name.isEmpty() || text(EquipmentModel::UnitName).contains(name, Qt::CaseInsensitive));
    }
};

// A unit name as the names file can hold it: Windows-1252 characters, no
// control characters, at most 28.
class UnitNameValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        const bool fits = std::all_of(input.begin(), input.end(), IsCp1252) &&
                          IsValidUnitName(ToCp1252(input));
        return fits ? Acceptable : Invalid;
    }
};

// The attribute editor's controls, with the limits of the edited unit.
class UnitDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        const int column = index.column();
        if (column == EquipmentModel::UnitName) {
            auto* edit = new QLineEdit(parent);
            edit->setMaxLength(MaxUnitNameLength);
            edit->setValidator(new UnitNameValidator(edit));
            return edit;
        }
        if (column == EquipmentModel::Country) {
            auto* list = new QComboBox(parent);
            for (std::string_view name : CountryNames)
                list->addItem(Latin1(name));
            return list;
        }
        if (column >= EquipmentModel::FirstNumber) {
            const NumberField& field = EquipmentModel::NumberOf(column);
            const QModelIndex source =
                static_cast<const QSortFilterProxyModel*>(index.model())->mapToSource(index);
            auto* spin = new SpinField(parent);
            spin->setRange(field.minimum,
                           FieldMaximum(EquipmentModel::CodeOfRow(source.row()), field));
            spin->setIncrement(field.multiple);
            spin->setMaxLength(field.maximum > 999 ? 4 : 3);
            return spin;
        }
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

    // One line of plain text, numbers to the right: the style's own text
    // layout made a repaint of the whole table cost more than a frame.
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        if (selected)
            painter->fillRect(option.rect, option.palette.highlight());
        painter->setPen(selected ? option.palette.color(QPalette::HighlightedText)
                                 : option.palette.color(QPalette::Text));
        const QVariant value = index.data();
        const QRect room = option.rect.adjusted(CellMargin, 0, -CellMargin, 0);
        const QFontMetrics& metrics = option.fontMetrics;
        QString text = value.toString();
        int width = metrics.horizontalAdvance(text);
        if (width > room.width()) {
            text = metrics.elidedText(text, Qt::ElideRight, room.width());
            width = metrics.horizontalAdvance(text);
        }
        const bool number = value.typeId() == QMetaType::Int;
        const int baseline = room.top() + (room.height() - metrics.height()) / 2 + metrics.ascent();
        painter->drawText(QPoint(number ? room.right() - width : room.left(), baseline), text);
        if (option.state & QStyle::State_HasFocus) {  // the current cell
            painter->setPen(option.palette.color(QPalette::Highlight).darker());
            painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
    }
};

}  // namespace

TfrmUnitTable::TfrmUnitTable(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmUnitTable"));
    setWindowTitle(QStringLiteral("Unit Table"));
    MarkUnsavedChanges(this, EquipmentDoc().History());

    model_ = new EquipmentModel(this);
    auto* filter = new UnitFilter(this);
    filter->setSourceModel(model_);
    filter->setSortCaseSensitivity(Qt::CaseInsensitive);
    // Rows stay where they are while their values are edited, as in a
    // spreadsheet; the next sort or filter puts them in place.
    filter->setDynamicSortFilter(false);
    filter_ = filter;

    edtFilter = new QLineEdit;
    edtFilter->setObjectName(QStringLiteral("edtFilter"));
    edtFilter->setPlaceholderText(QStringLiteral("Unit name contains"));
    edtFilter->setClearButtonEnabled(true);
    cbFilterType = new QComboBox;
    cbFilterType->setObjectName(QStringLiteral("cbFilterType"));
    cbFilterType->addItem(AllItems);
    for (int code = 0; code <= 255; ++code)
        if (const auto name = UnitClassName(static_cast<std::uint8_t>(code)))
            cbFilterType->addItem(Latin1(*name));
    cbFilterCountry = new QComboBox;
    cbFilterCountry->setObjectName(QStringLiteral("cbFilterCountry"));
    cbFilterCountry->addItem(AllItems);
    for (std::string_view name : CountryNames)
        cbFilterCountry->addItem(Latin1(name));
    btnBulkEdit = new QPushButton(QStringLiteral("Change Selected..."));
    btnBulkEdit->setObjectName(QStringLiteral("btnBulkEdit"));
    btnBulkEdit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    btnBulkEdit->setToolTip(QStringLiteral("Change one attribute of every selected unit (Ctrl+E)"));

    // Wide enough for "Ground Transport" and "United Kingdom", without
    // measuring every item each time the window opens.
    for (QComboBox* list : {cbFilterType, cbFilterCountry}) {
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(16);
    }
    auto* filters = new QHBoxLayout;
    auto* filterLabel = new QLabel(QStringLiteral("&Filter:"));
    filterLabel->setBuddy(edtFilter);
    filters->addWidget(filterLabel);
    filters->addWidget(edtFilter, 1);
    filters->addWidget(new QLabel(QStringLiteral("Unit Type:")));
    filters->addWidget(cbFilterType);
    filters->addWidget(new QLabel(QStringLiteral("Country:")));
    filters->addWidget(cbFilterCountry);
    filters->addSpacing(12);
    filters->addWidget(btnBulkEdit);

    tvUnits = new QTableView;
    tvUnits->setObjectName(QStringLiteral("tvUnits"));
    tvUnits->setModel(filter_);
    tvUnits->setItemDelegate(new UnitDelegate(tvUnits));
    tvUnits->setSortingEnabled(true);
    tvUnits->sortByColumn(EquipmentModel::UnitCode, Qt::AscendingOrder);
    tvUnits->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvUnits->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A double click picks the unit, so editing starts by typing or F2.
    tvUnits->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    tvUnits->verticalHeader()->hide();
    tvUnits->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    // Widths from the texts, not from measuring a thousand rows.
    const int padding = 24;
    for (int column = 0; column < model_->columnCount(); ++column) {
        const QString header = model_->headerData(column, Qt::Horizontal).toString();
        int width = fontMetrics().horizontalAdvance(header) + padding;
        if (column == EquipmentModel::UnitName)
            width = fontMetrics().averageCharWidth() * 24 + padding;
        else if (column == EquipmentModel::UnitType || column == EquipmentModel::Country)
            width = std::max(width, fontMetrics().horizontalAdvance(QStringLiteral("Ground Transport")) + padding);
        tvUnits->setColumnWidth(column, width);
    }

    lblStatus = new QLabel;
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    auto* status = new QStatusBar;
    status->setObjectName(QStringLiteral("sbStatus"));
    status->setSizeGripEnabled(false);
    status->addWidget(lblStatus, 1);
    btnClose = new QPushButton(QStringLiteral("&Close"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    for (QPushButton* button : {btnBulkEdit, btnClose})
        button->setAutoDefault(false);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status, 1);
    bottom->addWidget(btnClose);

    auto* menu = new QMenuBar;
    menu->setObjectName(QStringLiteral("mnuMain"));
    QMenu* edit = menu->addMenu(QStringLiteral("&Edit"));
    std::tie(mnuUndo, mnuRedo) = AddUndoActions(edit, EquipmentDoc().History());
    edit->addSeparator();
    QAction* bulk = edit->addAction(QStringLiteral("&Change Selected..."));
    connect(bulk, &QAction::triggered, this, &TfrmUnitTable::btnBulkEditClick);

    auto* window = new QVBoxLayout(this);
    window->setMenuBar(menu);
    window->addLayout(filters);
    window->addWidget(tvUnits, 1);
    window->addLayout(bottom);

    connect(edtFilter, &QLineEdit::textChanged, this, &TfrmUnitTable::FilterChanged);
    connect(cbFilterType, &QComboBox::currentIndexChanged, this, &TfrmUnitTable::FilterChanged);
    connect(cbFilterCountry, &QComboBox::currentIndexChanged, this, &TfrmUnitTable::FilterChanged);
    connect(btnBulkEdit, &QPushButton::clicked, this, &TfrmUnitTable::btnBulkEditClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    PickRowOnEnterOrDoubleClick(tvUnits, [this](const QModelIndex& index) { tvUnitsActivated(index); });
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(filter_, signal, this, &TfrmUnitTable::ShowRowCount);
    // Unit types added or removed by an undo: sorted and filtered anew.
    connect(model_, &QAbstractItemModel::modelReset, filter_, &QSortFilterProxyModel::invalidate);
    connect(filter_, &QAbstractItemModel::modelReset, this, &TfrmUnitTable::ShowRowCount);
    connect(filter_, &QAbstractItemModel::layoutChanged, this, &TfrmUnitTable::ShowRowCount);
    ShowRowCount();

    resize(1000, 600);
}

void TfrmUnitTable::Reload()
{
    ChosenUnit = 0;
    model_->Reload();
}

void TfrmUnitTable::FilterChanged()
{
    auto* filter = static_cast<UnitFilter*>(filter_);
    filter->name = edtFilter->text();
    filter->type = cbFilterType->currentIndex() > 0 ? cbFilterType->currentText() : QString();
    filter->country =
        cbFilterCountry->currentIndex() > 0 ? cbFilterCountry->currentText() : QString();
    filter->Refilter();
    ShowRowCount();
}

void TfrmUnitTable::ShowRowCount()
{
    lblStatus->setText(QStringLiteral("%1 of %2 unit types")
                           .arg(filter_->rowCount())
                           .arg(model_->rowCount()));
}

void TfrmUnitTable::btnBulkEditClick()
{
    const QModelIndexList rows = tvUnits->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    QList<BulkEditDialog::Column> columns;
    for (const NumberField& field : NumberFields)
        columns.append({Latin1(field.label), field.minimum, field.maximum, field.multiple});
    BulkEditDialog dialog(columns, this);
    const int current = tvUnits->currentIndex().column() - EquipmentModel::FirstNumber;
    if (current >= 0)
        dialog.setColumn(current);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::vector<std::uint16_t> codes;
    codes.reserve(static_cast<std::size_t>(rows.size()));
    for (const QModelIndex& row : rows)
        codes.push_back(EquipmentModel::CodeOfRow(filter_->mapToSource(row).row()));
    std::sort(codes.begin(), codes.end());
    model_->BulkEdit(codes, EquipmentModel::FirstNumber + dialog.column(), dialog.operation(),
                     dialog.value());
}

void TfrmUnitTable::tvUnitsActivated(const QModelIndex& index)
{
    ChosenUnit = EquipmentModel::CodeOfRow(filter_->mapToSource(index).row());
    accept();
}
