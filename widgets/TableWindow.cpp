#include "widgets/TableWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "widgets/EnterKey.h"
#include "widgets/SpinField.h"
#include "widgets/UndoActions.h"

namespace {

const QString AllItems = QStringLiteral("(all)");
const QString NoChoice = QStringLiteral("(none)");
constexpr int CellMargin = 4;
// The longest texts of a column that are measured to fit it: a shorter
// text is taken to be no wider.
constexpr qsizetype MeasuredTexts = 16;
const char* const ShownChoice = "shownChoice";

// Edits a cell by what its model says of it (CellRole).
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override
    {
        if (const QVariant choices = index.data(ChoicesRole); choices.isValid()) {
            auto* list = new QComboBox(parent);
            list->addItem(NoChoice);
            list->addItems(choices.toStringList());
            return list;
        }
        if (const QVariant minimum = index.data(MinimumRole); minimum.isValid()) {
            auto* field = new SpinField(parent);
            field->setRange(minimum.toInt(), index.data(MaximumRole).toInt());
            field->setIncrement(std::max(index.data(MultipleRole).toInt(), 1));
            field->fitTypingRoom();
            return field;
        }
        auto* edit = new QLineEdit(parent);
        edit->setValidator(qobject_cast<QValidator*>(index.data(ValidatorRole).value<QObject*>()));
        return edit;
    }

    // A list reaches past a narrower column rather than cut its items short.
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override
    {
        QStyledItemDelegate::updateEditorGeometry(editor, option, index);
        if (qobject_cast<QComboBox*>(editor) != nullptr)
            editor->resize(std::max(editor->width(), editor->sizeHint().width()), editor->height());
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* list = qobject_cast<QComboBox*>(editor)) {
            const int shown = std::max(list->findText(index.data().toString()), 0);
            list->setCurrentIndex(shown);
            list->setProperty(ShownChoice, shown);
        } else if (auto* field = qobject_cast<SpinField*>(editor)) {
            // Selected, so that what is typed replaces the value.
            field->setValue(index.data(Qt::EditRole).toInt());
            field->selectAll();
        } else {
            QStyledItemDelegate::setEditorData(editor, index);
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override
    {
        if (auto* list = qobject_cast<QComboBox*>(editor)) {
            // Only what the user chose: a cell left as shown stores nothing,
            // not even when its value is none of the list.
            if (list->currentIndex() != list->property(ShownChoice).toInt())
                model->setData(index, list->currentIndex() == 0 ? QString() : list->currentText());
        } else if (auto* field = qobject_cast<SpinField*>(editor)) {
            model->setData(index, field->value());
        } else {
            QStyledItemDelegate::setModelData(editor, model, index);
        }
    }

    // One line of plain text, numbers to the right: the style's own text
    // layout made a repaint of a thousand rows cost more than a frame.
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

// The view of the frozen columns. Tab or Backtab that ends an edit moves
// on through every column of the table, which only the main view has.
class FrozenPart : public QTableView {
public:
    using QTableView::QTableView;
    std::function<void(bool forward)> moveOn;

protected:
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override
    {
        const bool forward = hint == QAbstractItemDelegate::EditNextItem;
        const bool moves = forward || hint == QAbstractItemDelegate::EditPreviousItem;
        QTableView::closeEditor(editor, moves ? QAbstractItemDelegate::NoHint : hint);
        if (moves)
            moveOn(forward);
    }
};

// A table whose first columns stay in view while it scrolls right: a
// second view over the same rows and selection lies on top of them. That
// view edits their cells, so that the editor is not hidden under it; the
// keyboard stays with this one.
class FrozenColumnsView : public QTableView {
public:
    explicit FrozenColumnsView(int frozenColumns) : frozen(new FrozenPart(this)), frozenColumns_(frozenColumns)
    {
        frozen->moveOn = [this](bool forward) {
            const QModelIndex next = moveCursor(forward ? MoveNext : MovePrevious, Qt::NoModifier);
            if (next.isValid()) {
                setCurrentIndex(next);
                edit(next, AllEditTriggers, nullptr);  // none where the cell takes no edit
            }
        };
        setHorizontalScrollMode(ScrollPerPixel);
        viewport()->stackUnder(frozen);
        // Its focus is the table's: its current cell is framed whenever the
        // table has the keyboard, and the keyboard goes back to the table
        // when an edit in it ends. Tab passes it by.
        frozen->setFocusPolicy(Qt::ClickFocus);
        frozen->setFocusProxy(this);
        frozen->setFrameShape(QFrame::NoFrame);
        frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        connect(frozen->verticalScrollBar(), &QScrollBar::valueChanged, verticalScrollBar(),
                &QScrollBar::setValue);
        connect(verticalScrollBar(), &QScrollBar::valueChanged, frozen->verticalScrollBar(),
                &QScrollBar::setValue);
        connect(horizontalHeader(), &QHeaderView::sectionResized, this,
                [this](int column, int, int width) {
                    if (column < frozenColumns_)
                        frozen->setColumnWidth(column, width);
                    PlaceFrozen();
                });
        // One sort order, whichever header was clicked.
        for (auto [from, to] : {std::pair{horizontalHeader(), frozen->horizontalHeader()},
                                std::pair{frozen->horizontalHeader(), horizontalHeader()}})
            connect(from, &QHeaderView::sortIndicatorChanged, to, [to](int column, Qt::SortOrder order) {
                const QSignalBlocker quiet(to);
                to->setSortIndicator(column, order);
            });
    }

    // Called once the model and the sort order are set; the rest of their
    // setup the window gives both views alike.
    void ShareRows()
    {
        frozen->setModel(model());
        frozen->setSelectionModel(selectionModel());
        frozen->setSortingEnabled(isSortingEnabled());
        for (int column = 0; column < model()->columnCount(); ++column)
            frozen->setColumnHidden(column, column >= frozenColumns_);
    }

    FrozenPart* const frozen;

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QTableView::resizeEvent(event);
        PlaceFrozen();
    }

    // A frozen column is always in view; any other is brought out from
    // under the frozen ones.
    void scrollTo(const QModelIndex& index, ScrollHint hint) override
    {
        QScrollBar* across = horizontalScrollBar();
        const int kept = across->value();
        QTableView::scrollTo(index, hint);
        if (index.column() < frozenColumns_)
            across->setValue(kept);
        else if (const int hidden = FrozenWidth() - visualRect(index).left(); hidden > 0)
            across->setValue(across->value() - hidden);
    }

    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override
    {
        if (index.column() >= frozenColumns_)
            return QTableView::edit(index, trigger, event);
        if ((trigger != AllEditTriggers && !(editTriggers() & trigger)) ||
            !(index.flags() & Qt::ItemIsEditable) || frozen->indexWidget(index) != nullptr)
            return false;
        frozen->edit(index);
        QWidget* editor = frozen->indexWidget(index);
        if (editor == nullptr)
            return false;
        // The key that started the edit is its first keystroke.
        if (trigger == AnyKeyPressed && event != nullptr && event->type() == QEvent::KeyPress)
            QCoreApplication::sendEvent(editor, event);
        return true;
    }

private:
    int FrozenWidth() const { return horizontalHeader()->sectionPosition(frozenColumns_); }
    void PlaceFrozen()
    {
        frozen->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
        frozen->setGeometry(frameWidth(), frameWidth(), FrozenWidth(),
                            viewport()->height() + horizontalHeader()->height());
    }

    int frozenColumns_;
};

}  // namespace

// Rows whose names contain the filter text (case ignored) and whose
// columns show what each choice filter chose.
class RowFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    QList<int> nameColumns;
    QString name;
    QList<std::pair<int, QString>> chosen;

    void Refilter() { invalidateRowsFilter(); }

protected:
    bool filterAcceptsRow(int row, const QModelIndex&) const override
    {
        const auto text = [&](int column) { return sourceModel()->index(row, column).data().toString(); };
        for (const auto& [column, item] : chosen)
            if (text(column) != item)
                return false;
        return name.isEmpty() || std::ranges::any_of(nameColumns, [&](int column) {
                   return text(column).contains(name, Qt::CaseInsensitive);
               });
    }
};

TableWindow::TableWindow(const Layout& layout, QAbstractItemModel* model, QUndoStack* stack,
                         QWidget* parent)
    : QDialog(parent), model_(model), rows_(new RowFilter(this)),
      rowsCounted_(layout.rowsCounted)
{
    setObjectName(layout.name);
    setWindowTitle(layout.caption);
    MarkUnsavedChanges(this, stack);
    model_->setParent(this);
    rows_->setSourceModel(model_);
    rows_->nameColumns = layout.nameColumns;
    rows_->setSortRole(SortRole);
    rows_->setSortCaseSensitivity(Qt::CaseInsensitive);
    // Rows stay where they are while their values are edited, as in a
    // spreadsheet; the next sort or filter puts them in place.
    rows_->setDynamicSortFilter(false);

    edtFilter = new QLineEdit;
    edtFilter->setObjectName(QStringLiteral("edtFilter"));
    edtFilter->setPlaceholderText(QStringLiteral("Name contains"));
    edtFilter->setClearButtonEnabled(true);
    auto* filterLabel = new QLabel(QStringLiteral("&Filter:"));
    filterLabel->setBuddy(edtFilter);
    btnBulkEdit = new QPushButton(QStringLiteral("Change Selected..."));
    btnBulkEdit->setObjectName(QStringLiteral("btnBulkEdit"));
    btnBulkEdit->setToolTip(QStringLiteral("Change one value of every selected row (Ctrl+E)"));
    filterRow_ = new QHBoxLayout;
    filterRow_->addWidget(filterLabel);
    filterRow_->addWidget(edtFilter, 1);
    filterRow_->addSpacing(12);
    filterRow_->addWidget(btnBulkEdit);

    auto* view = new FrozenColumnsView(layout.frozenColumns);
    view_ = view;
    view_->setObjectName(layout.viewName);
    for (QTableView* shown : {view_, static_cast<QTableView*>(view->frozen)}) {
        shown->setItemDelegate(new CellDelegate(shown));
        shown->setSelectionBehavior(QAbstractItemView::SelectRows);
        shown->setSelectionMode(QAbstractItemView::ExtendedSelection);
        // A double click picks the row, so editing starts by typing or F2.
        shown->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
        // Hidden before the rows come: a row header measures its numbers.
        shown->verticalHeader()->hide();
        shown->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
        shown->installEventFilter(this);
        connect(shown, &QAbstractItemView::doubleClicked, this, &TableWindow::pick);
    }
    view_->setModel(rows_);
    view_->setSortingEnabled(true);
    view_->sortByColumn(0, Qt::AscendingOrder);
    view->ShareRows();
    edtFilter->installEventFilter(this);

    lblStatus = new QLabel;
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    auto* status = new QStatusBar;
    status->setObjectName(QStringLiteral("sbStatus"));
    status->setSizeGripEnabled(false);
    status->addWidget(lblStatus, 1);
    btnClose = new QPushButton(QStringLiteral("&Close"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    for (QPushButton* button : {btnBulkEdit, btnClose})
        button->setAutoDefault(false);  // Enter picks the row, not a button
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status, 1);
    bottom->addWidget(btnClose);

    auto* menu = new QMenuBar;
    menu->setObjectName(QStringLiteral("mnuMain"));
    QMenu* edit = menu->addMenu(QStringLiteral("&Edit"));
    std::tie(mnuUndo, mnuRedo) = AddUndoActions(edit, stack);
    edit->addSeparator();
    mnuBulkEdit = edit->addAction(QStringLiteral("&Change Selected..."));
    mnuBulkEdit->setObjectName(QStringLiteral("mnuBulkEdit"));
    mnuBulkEdit->setShortcut(Qt::CTRL | Qt::Key_E);

    auto* window = new QVBoxLayout(this);
    window->setMenuBar(menu);
    window->addLayout(filterRow_);
    window->addWidget(view_, 1);
    window->addLayout(bottom);

    connect(edtFilter, &QLineEdit::textChanged, this, &TableWindow::filterChanged);
    connect(btnBulkEdit, &QPushButton::clicked, this, &TableWindow::btnBulkEditClick);
    connect(mnuBulkEdit, &QAction::triggered, this, &TableWindow::btnBulkEditClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    PressFocusedButtonOnEnter(this);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(rows_, signal, this, &TableWindow::showRowCount);
    connect(rows_, &QAbstractItemModel::modelReset, this, &TableWindow::showRowCount);
    reopened();

    // Wide enough for every column, up to a width that fits a small screen.
    const int tableWidth = view_->horizontalHeader()->length() +
                           view_->verticalScrollBar()->sizeHint().width() + 2 * view_->frameWidth();
    const QMargins margins = window->contentsMargins();
    resize(std::min(tableWidth + margins.left() + margins.right(), 1000), 600);
}

QComboBox* TableWindow::addChoiceFilter(const QString& name, const QString& label, int column,
                                        const QStringList& items)
{
    auto* list = new QComboBox;
    list->setObjectName(name);
    list->addItem(AllItems);
    list->addItems(items);
    // Wide enough for the longest item without measuring them at each opening.
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(16);
    const int at = filterRow_->indexOf(btnBulkEdit) - 1;
    filterRow_->insertWidget(at, new QLabel(label));
    filterRow_->insertWidget(at + 1, list);
    choiceFilters_.append({list, column});
    connect(list, &QComboBox::currentIndexChanged, this, &TableWindow::filterChanged);
    return list;
}

void TableWindow::reopened()
{
    chosenRow_ = -1;
    if (model_->rowCount() != fittedRows_)
        fitColumns();
    showRowCount();
}

// Each column as wide as its header and its widest text. Measuring a text
// is what costs (the view's own fitting measures every cell, a tenth of a
// second on a thousand rows), so a column whose header gives its limits is
// as wide as they are, and of the other texts only the longest are
// measured.
void TableWindow::fitColumns()
{
    const QFontMetrics metrics = view_->fontMetrics();
    const auto fit = [&](int width, const QVariant& value) {
        return std::max(width, metrics.horizontalAdvance(value.toString()) + 3 * CellMargin);
    };
    for (int column = 0; column < model_->columnCount(); ++column) {
        int width = view_->horizontalHeader()->sectionSizeHint(column);
        if (const QVariant highest = model_->headerData(column, Qt::Horizontal, MaximumRole);
            highest.isValid()) {
            width = fit(fit(width, highest), model_->headerData(column, Qt::Horizontal, MinimumRole));
        } else {
            QStringList texts;
            for (int row = 0; row < model_->rowCount(); ++row)
                texts << model_->index(row, column).data().toString();
            texts.removeDuplicates();
            std::ranges::sort(texts, std::ranges::greater(), &QString::size);
            for (const QString& text : texts.first(std::min(texts.size(), MeasuredTexts)))
                width = fit(width, text);
        }
        view_->setColumnWidth(column, width);
    }
    fittedRows_ = model_->rowCount();
}

void TableWindow::filterChanged()
{
    rows_->name = edtFilter->text();
    rows_->chosen.clear();
    for (const auto& [list, column] : choiceFilters_)
        if (list->currentIndex() > 0)
            rows_->chosen.append({column, list->currentText()});
    rows_->Refilter();
    showRowCount();
}

void TableWindow::showRowCount()
{
    lblStatus->setText(QStringLiteral("%1 of %2 %3")
                           .arg(rows_->rowCount())
                           .arg(model_->rowCount())
                           .arg(rowsCounted_));
}

void TableWindow::pick(const QModelIndex& index)
{
    chosenRow_ = rows_->mapToSource(index).row();
    accept();
}

// Enter on the table picks the current row; Enter that ends a cell's edit
// comes from the cell's editor and is not a pick. Ctrl+E ("Change
// Selected...") works from the filter box, which would take it as "end of
// line".
bool TableWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edtFilter && event->type() == QEvent::ShortcutOverride)
        return QKeySequence(static_cast<QKeyEvent*>(event)->keyCombination()) == mnuBulkEdit->shortcut();
    if (watched != view_ || event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    const QWidget* focused = QApplication::focusWidget();
    const bool fromEditor = focused != nullptr && focused != view_ && view_->isAncestorOf(focused);
    if ((key != Qt::Key_Return && key != Qt::Key_Enter) || fromEditor ||
        !view_->currentIndex().isValid())
        return false;
    pick(view_->currentIndex());
    return true;
}

void TableWindow::btnBulkEditClick()
{
    std::vector<int> rows;
    for (const QModelIndex& row : view_->selectionModel()->selectedRows())
        rows.push_back(rows_->mapToSource(row).row());
    if (rows.empty())
        return;
    std::ranges::sort(rows);
    BulkEditDialog dialog(bulkColumns(), this);
    setUpBulkEdit(dialog);
    dialog.setTableColumn(view_->currentIndex().column());
    dialog.countChanges(static_cast<int>(rows.size()),
                        [&] { return changeSelected(rows, dialog, false); });
    if (dialog.exec() == QDialog::Accepted)
        changeSelected(rows, dialog, true);
}
