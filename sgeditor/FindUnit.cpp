#include "sgeditor/FindUnit.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

#include "data/Equipment.h"
#include "data/UnitCodes.h"
#include "widgets/Cp1252.h"
#include "widgets/EnterKey.h"

TfrmFindUnit* frmFindUnit = nullptr;

namespace {

// The titles sit in an ordinary row, indented over their columns.
const QString NameTitle = QString(38, QLatin1Char(' ')) + QStringLiteral("Unit Name");
const QString CountryTitle = QString(17, QLatin1Char(' ')) + QStringLiteral("Country");

constexpr int NameColumnWidth = 315;
constexpr int CountryColumnWidth = 130;

void SetRow(QTableWidget* grid, int row, const QString& name, const QString& country)
{
    grid->setItem(row, 0, new QTableWidgetItem(name));
    grid->setItem(row, 1, new QTableWidgetItem(country));
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setGeometry(geometry);
    return button;
}

}  // namespace

TfrmFindUnit::TfrmFindUnit(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFindUnit"));
    setWindowTitle(QStringLiteral("Unit Selection"));
    // 478 x 332 outside, less the frame and title bar.
    setFixedSize(470, 305);

    sgUnit = new QTableWidget(1, 2, this);
    sgUnit->setObjectName(QStringLiteral("sgUnit"));
    sgUnit->setGeometry(0, 0, width(), 253);
    sgUnit->horizontalHeader()->hide();
    sgUnit->verticalHeader()->hide();
    sgUnit->verticalHeader()->setDefaultSectionSize(sgUnit->fontMetrics().height() + 6);
    sgUnit->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgUnit->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgUnit->setSelectionMode(QAbstractItemView::SingleSelection);
    sgUnit->setWordWrap(false);

    btnSelect = MakeButton(this, QStringLiteral("btnSelect"), QStringLiteral("&Select Unit"),
                           QRect(80, 264, 75, 25));
    btnExit = MakeButton(this, QStringLiteral("btnExit"), QStringLiteral("&Cancel"),
                         QRect(296, 264, 75, 25));

    PressFocusedButtonOnEnter(this);
    // A selection is made, or the dialog left, only through its buttons.
    IgnoreEscape(this);
    connect(btnSelect, &QPushButton::clicked, this, &TfrmFindUnit::btnSelectClick);
    connect(btnExit, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmFindUnit::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Rebuilt at every opening.
    FillUnitList();
}

void TfrmFindUnit::FillUnitList()
{
    sgUnit->setColumnWidth(0, NameColumnWidth);
    sgUnit->setColumnWidth(1, CountryColumnWidth);
    sgUnit->setRowCount(1);
    SetRow(sgUnit, 0, NameTitle, CountryTitle);
    sgUnit->setCurrentCell(0, 0);
    sgUnit->scrollToTop();
    if (Equipment.UnitCount <= 1)
        return;
    sgUnit->setRowCount(Equipment.UnitCount);
    for (int code = 1; code < Equipment.UnitCount; ++code) {
        const auto code16 = static_cast<std::uint16_t>(code);
        const auto country = CountryName(code16);
        SetRow(sgUnit, code, FromCp1252(Equipment.UnitNames[code16]), Latin1(country));
    }
}

void TfrmFindUnit::btnSelectClick()
{
    chosenCode_ = static_cast<std::uint16_t>(std::max(sgUnit->currentRow(), 0));
    accept();
}

std::optional<std::uint16_t> TfrmFindUnit::ChosenCode() const
{
    return result() == Accepted ? std::optional(chosenCode_) : std::nullopt;
}
