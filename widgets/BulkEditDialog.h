#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <functional>

class QComboBox;
class QLabel;
class SpinField;

// "Change Selected...": asks for one column of a table, an operation and a
// value, and computes the new value of each cell. Any table may use it: the
// caller names its columns with their limits and may add operations of its
// own after the three standard ones.
class BulkEditDialog : public QDialog {
    Q_OBJECT

public:
    struct Column {
        QString name;
        int minimum = 0;
        int maximum = 255;
        // The column holds multiples of this (a prestige cost: 12): the
        // value field steps by it and "Multiply by %" rounds to it.
        int multiple = 1;
        // The table column it changes, when the dialog starts on the current one.
        int tableColumn = -1;
    };

    // The standard operations, at these indices of cbBulkOp.
    enum Operation { SetTo, Add, MultiplyByPercent, StandardOperationCount };

    explicit BulkEditDialog(const QList<Column>& columns, QWidget* parent = nullptr);

    // Appends an operation of the caller's ("Set to total strength") and
    // returns its index; it takes no value, so the value field is disabled
    // while it is chosen. The caller computes its result itself.
    int addOperation(const QString& text);

    // What the user chose; valid after exec() returned Accepted.
    int column() const;
    int operation() const;
    int value() const;
    void setColumn(int column);
    // Starts on the column that changes tableColumn, if there is one.
    void setTableColumn(int tableColumn);
    // Shows, while the user chooses, how many of the selected rows the
    // choice changes, as count() tells.
    void countChanges(int selected, const std::function<int()>& count);

    // The new value of a cell of the column that now holds current, for a
    // standard operation: "Set to" the value, "Add" the value, "Multiply by
    // %" rounds current * value / 100 to the nearest multiple of the
    // column's multiple (halves away from zero). The result lies within the
    // column's limits, a value outside them giving the nearest limit.
    static int Apply(const Column& column, int operation, int value, int current);

    QComboBox* cbBulkField;
    QComboBox* cbBulkOp;
    SpinField* seBulkValue;
    QLabel* lblBulkCount;

private:
    void FitValueField();
    void ShowCount();

    QList<Column> columns_;
    int selected_ = 0;
    std::function<int()> count_;
};
