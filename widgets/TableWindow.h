#pragma once

#include <QDialog>
#include <vector>

#include "widgets/BulkEditDialog.h"

class QAbstractItemModel;
class QAction;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QUndoStack;
class RowFilter;

// What a table model tells the table window about a cell beside its text.
// The cell editor follows these: a number cell gets a spin field within
// MinimumRole and MaximumRole, a choice cell a list, any other editable
// cell a line edit. On a column's header, MinimumRole and MaximumRole are
// the lowest and highest value it shows, which the column is fitted to.
enum CellRole {
    MinimumRole = Qt::UserRole + 1,
    MaximumRole,
    MultipleRole,   // a number cell holds multiples of this (1 when not given)
    ChoicesRole,    // QStringList: the cell is one of these, or "(none)" (an empty text)
    ValidatorRole,  // QValidator* (as QObject*) that a typed text keeps to
    SortRole,       // what the column sorts by: its value, or what its text stands for
};

// A window over a table model that works like a spreadsheet: sorted by any
// column, filtered by name and by the lists a window adds, its first
// columns kept in view while scrolling right, cells edited in place by the
// model's rules, and one column of all selected rows changed at once
// ("Change Selected...", Ctrl+E). Every change is a step of the stack,
// which the "&Edit" menu undoes and redoes. Enter or a double click on a
// row picks it and accepts the window; Enter that ends a cell's edit does
// not. A table window only names its columns and what a pick means.
class TableWindow : public QDialog {
    Q_OBJECT

public:
    // The model row picked by Enter or a double click, -1 when none was.
    int ChosenRow() const { return chosenRow_; }

    QLineEdit* edtFilter;
    QPushButton* btnBulkEdit;
    QPushButton* btnClose;
    QLabel* lblStatus;
    QAction* mnuUndo;
    QAction* mnuRedo;
    QAction* mnuBulkEdit;

public slots:
    // "Change Selected...": one column of every selected row, through the
    // bulk edit dialog.
    void btnBulkEditClick();

protected:
    struct Layout {
        QString name;          // the window's objectName
        QString caption;
        QString viewName;      // the table view's objectName
        QString rowsCounted;   // "unit types": the row count reads "N of M unit types"
        QList<int> nameColumns;  // the columns the filter box searches
        int frozenColumns = 1;   // the first columns, which stay in view
    };
    // Takes model over; every change it makes is a step of stack.
    TableWindow(const Layout& layout, QAbstractItemModel* model, QUndoStack* stack,
                QWidget* parent);

    QTableView* view() const { return view_; }
    // Adds a list to the filter row that keeps the rows whose column shows
    // the chosen item; its first item, "(all)", keeps every row.
    QComboBox* addChoiceFilter(const QString& name, const QString& label, int column,
                               const QStringList& items);
    // Called when the window opens anew: forgets the last pick, and fits
    // the columns to what they show when the rows are others than before.
    void reopened();

    // The columns "Change Selected..." offers, each naming its table column.
    virtual QList<BulkEditDialog::Column> bulkColumns() const = 0;
    // Adds the window's own operations to the dialog.
    virtual void setUpBulkEdit(BulkEditDialog&) {}
    // How many of rows (model rows, ascending) the dialog's choice changes;
    // when apply, also makes that change, as one step.
    virtual int changeSelected(const std::vector<int>& rows, const BulkEditDialog& choice,
                               bool apply) = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showRowCount();
    void filterChanged();
    void pick(const QModelIndex& index);
    void fitColumns();

    QAbstractItemModel* model_;
    RowFilter* rows_;
    QTableView* view_;
    QHBoxLayout* filterRow_;
    QList<std::pair<QComboBox*, int>> choiceFilters_;  // each with the column it filters
    QString rowsCounted_;
    int chosenRow_ = -1;
    int fittedRows_ = -1;
};
