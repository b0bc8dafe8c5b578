#include "widgets/BulkEditDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <algorithm>
#include <cmath>

#include "widgets/SpinField.h"

namespace {

// The largest percentage "Multiply by %" takes: ten times the value.
constexpr int MaxPercent = 1000;

}  // namespace

BulkEditDialog::BulkEditDialog(const QList<Column>& columns, QWidget* parent)
    : QDialog(parent), columns_(columns)
{
    setObjectName(QStringLiteral("dlgBulkEdit"));
    setWindowTitle(QStringLiteral("Change Selected"));

    cbBulkField = new QComboBox;
    cbBulkField->setObjectName(QStringLiteral("cbBulkField"));
    for (const Column& column : columns_)
        cbBulkField->addItem(column.name);
    cbBulkOp = new QComboBox;
    cbBulkOp->setObjectName(QStringLiteral("cbBulkOp"));
    cbBulkOp->addItems({QStringLiteral("Set to"), QStringLiteral("Add"),
                        QStringLiteral("Multiply by %")});
    seBulkValue = new SpinField;
    seBulkValue->setObjectName(QStringLiteral("seBulkValue"));
    lblBulkCount = new QLabel;
    lblBulkCount->setObjectName(QStringLiteral("lblBulkCount"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Column:"), cbBulkField);
    form->addRow(QStringLiteral("&Operation:"), cbBulkOp);
    form->addRow(QStringLiteral("&Value:"), seBulkValue);
    form->addRow(lblBulkCount);
    form->addRow(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cbBulkField, &QComboBox::currentIndexChanged, this, &BulkEditDialog::FitValueField);
    connect(cbBulkOp, &QComboBox::currentIndexChanged, this, &BulkEditDialog::FitValueField);
    connect(seBulkValue, &SpinField::valueChanged, this, &BulkEditDialog::ShowCount);
    FitValueField();
}

int BulkEditDialog::addOperation(const QString& text)
{
    cbBulkOp->addItem(text);
    return cbBulkOp->count() - 1;
}

int BulkEditDialog::column() const
{
    return cbBulkField->currentIndex();
}

int BulkEditDialog::operation() const
{
    return cbBulkOp->currentIndex();
}

int BulkEditDialog::value() const
{
    return seBulkValue->value();
}

void BulkEditDialog::setColumn(int column)
{
    cbBulkField->setCurrentIndex(column);
}

void BulkEditDialog::setTableColumn(int tableColumn)
{
    for (int column = 0; column < columns_.size(); ++column)
        if (columns_[column].tableColumn == tableColumn)
            setColumn(column);
}

void BulkEditDialog::countChanges(int selected, const std::function<int()>& count)
{
    selected_ = selected;
    count_ = count;
    ShowCount();
}

void BulkEditDialog::ShowCount()
{
    if (count_)
        lblBulkCount->setText(
            QStringLiteral("Changes %1 of the %2 selected rows").arg(count_()).arg(selected_));
}

// The value field offers what makes sense for the operation: a value of the
// column, a change that can reach either limit, or a percentage.
void BulkEditDialog::FitValueField()
{
    if (column() < 0)
        return;
    const Column& chosen = columns_[column()];
    const int span = chosen.maximum - chosen.minimum;
    seBulkValue->setEnabled(operation() < StandardOperationCount);
    switch (operation()) {
    case SetTo:
        seBulkValue->setRange(chosen.minimum, chosen.maximum);
        seBulkValue->setIncrement(chosen.multiple);
        break;
    case Add:
        seBulkValue->setRange(-span, span);
        seBulkValue->setIncrement(chosen.multiple);
        break;
    case MultiplyByPercent:
        seBulkValue->setRange(0, MaxPercent);
        seBulkValue->setIncrement(1);
        break;
    default:
        break;
    }
    seBulkValue->fitTypingRoom();
    ShowCount();
}

int BulkEditDialog::Apply(const Column& column, int operation, int value, int current)
{
    long long result = current;
    switch (operation) {
    case SetTo:
        result = value;
        break;
    case Add:
        result = static_cast<long long>(current) + value;
        break;
    case MultiplyByPercent: {
        const double multiple = std::max(column.multiple, 1);
        result = std::llround(static_cast<double>(current) * value / 100.0 / multiple) *
                 static_cast<long long>(multiple);
        break;
    }
    default:
        break;
    }
    return static_cast<int>(std::clamp<long long>(result, column.minimum, column.maximum));
}
