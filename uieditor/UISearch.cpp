#include "uieditor/UISearch.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include "data/Equipment.h"
#include "data/UnitCodes.h"
#include "widgets/Cp1252.h"
#include "widgets/EnterKey.h"
#include "widgets/MessageBoxes.h"

TfrmSearch* frmSearch = nullptr;

namespace {

QPushButton* Button(const QString& name, const QString& text, const QString& hint,
                    QWidget* parent, QRect geometry)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAutoDefault(false);
    button->setGeometry(geometry);
    return button;
}

QLineEdit* ResultBox(const QString& name, const QString& label, QGroupBox* group, QRect geometry)
{
    // Right above its box, clear of the group's frame line, whatever the font.
    auto* caption = new QLabel(label, group);
    caption->adjustSize();
    caption->move(geometry.left(), geometry.top() - caption->height());
    auto* box = new QLineEdit(group);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setGeometry(geometry);
    return box;
}

// Unit names compare with only the 26 unaccented letters folded.
QString FoldAToZ(QString text)
{
    for (QChar& c : text)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return text;
}

bool IsShowable(int code)
{
    return code >= 1 && code < Equipment.UnitCount;
}

}  // namespace

TfrmSearch::TfrmSearch(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Find Unit"));
    // The controls stand where the design puts them; the window keeps its size.
    setFixedSize(337, 289);

    auto* rgSearch = new QGroupBox(QStringLiteral("Search Criteria"), this);
    rgSearch->setObjectName(QStringLiteral("rgSearch"));
    rgSearch->setGeometry(8, 8, 321, 41);
    rbUnitCode = new QRadioButton(QStringLiteral("Unit Code"), rgSearch);
    rbUnitCode->setObjectName(QStringLiteral("rbUnitCode"));
    rbUnitCode->setGeometry(8, 18, 150, 19);
    rbUnitCode->setChecked(true);
    rbUnitName = new QRadioButton(QStringLiteral("Unit Name"), rgSearch);
    rbUnitName->setObjectName(QStringLiteral("rbUnitName"));
    rbUnitName->setGeometry(164, 18, 150, 19);

    cbSearch = new QCheckBox(QStringLiteral("Search from beginning of File"), this);
    cbSearch->setObjectName(QStringLiteral("cbSearch"));
    cbSearch->setToolTip(QStringLiteral("Returns the first matching unit"));
    cbSearch->setGeometry(8, 56, 241, 17);

    btnFind = Button(QStringLiteral("btnFind"), QStringLiteral("&Find"),
                     QStringLiteral("To click next matching unit, click Find again"), this,
                     {256, 56, 75, 25});

    auto* lblSearch = new QLabel(QStringLiteral("Search String"), this);
    lblSearch->setObjectName(QStringLiteral("lblSearch"));
    lblSearch->move(8, 80);
    edtSearch = new QLineEdit(this);
    edtSearch->setObjectName(QStringLiteral("edtSearch"));
    edtSearch->setGeometry(8, 96, 321, 21);

    auto* gbResult = new QGroupBox(QStringLiteral("Search Result"), this);
    gbResult->setObjectName(QStringLiteral("gbResult"));
    gbResult->setGeometry(8, 128, 321, 113);
    gbResult->setEnabled(false);
    edtUnitCode = ResultBox(QStringLiteral("edtUnitCode"), QStringLiteral("Unit Code"), gbResult,
                            {8, 32, 49, 21});
    edtCountry = ResultBox(QStringLiteral("edtCountry"), QStringLiteral("Country"), gbResult,
                           {88, 32, 169, 21});
    edtUnitName = ResultBox(QStringLiteral("edtUnitName"), QStringLiteral("Unit Name"), gbResult,
                            {8, 80, 305, 21});

    btnOK = Button(QStringLiteral("btnOK"), QStringLiteral("&OK"),
                   QStringLiteral("Updates the main form with the current unit in Search Result"),
                   this, {72, 256, 75, 25});
    btnCancel = Button(QStringLiteral("btnCancel"), QStringLiteral("&Cancel"),
                       QStringLiteral("Return to Main Form without any selection"), this,
                       {200, 256, 75, 25});

    QWidget* tabOrder[] = {rbUnitCode, rbUnitName, btnFind,    btnCancel,   edtSearch,
                           cbSearch,   edtUnitCode, edtCountry, edtUnitName, btnOK};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    PressFocusedButtonOnEnter(this);
    IgnoreEscape(this);
    connect(btnFind, &QPushButton::clicked, this, &TfrmSearch::btnFindClick);
    connect(btnOK, &QPushButton::clicked, this, &TfrmSearch::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<std::int32_t> TfrmSearch::ParseInteger(const QString& text)
{
    static const QRegularExpression grammar(
        QStringLiteral("^ *(?:([+-]?[0-9]+)|\\$([0-9A-Fa-f]+))$"));
    const QRegularExpressionMatch match = grammar.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const qlonglong value = match.hasCaptured(1) ? match.captured(1).toLongLong(&ok)
                                                 : match.captured(2).toLongLong(&ok, 16);
    if (!ok || value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

void TfrmSearch::FindByCode()
{
    const std::optional<std::int32_t> value = ParseInteger(edtSearch->text());
    if (!value) {
        ShowErrorBox(this,
                     QStringLiteral("'%1' is not a valid integer value").arg(edtSearch->text()));
        return;
    }
    SearchPosition = static_cast<std::uint16_t>(*value);
    ShowFound();
}

void TfrmSearch::FindByName()
{
    SearchPosition = cbSearch->isChecked() ? 1 : static_cast<std::uint16_t>(SearchPosition + 1);
    const QString wanted = FoldAToZ(edtSearch->text());
    for (int code = SearchPosition; code < Equipment.UnitCount; ++code) {
        if (FoldAToZ(FromCp1252(Equipment.UnitNames[code])) == wanted) {
            SearchPosition = static_cast<std::uint16_t>(code);
            ShowFound();
            return;
        }
    }
}

// A position that names no unit the editor shows (a code search can give
// any 16-bit value) clears the result instead of reading beyond the table.
void TfrmSearch::ShowFound()
{
    if (!IsShowable(SearchPosition)) {
        edtUnitName->clear();
        edtUnitCode->clear();
        edtCountry->clear();
        return;
    }
    edtUnitName->setText(FromCp1252(Equipment.UnitNames[SearchPosition]));
    edtUnitCode->setText(QString::number(SearchPosition));
    const auto country = CountryName(SearchPosition);
    edtCountry->setText(Latin1(country));
}

void TfrmSearch::btnFindClick()
{
    if (rbUnitCode->isChecked())
        FindByCode();
    else
        FindByName();
}

void TfrmSearch::btnOKClick()
{
    accept();
}

std::optional<std::uint16_t> TfrmSearch::ChosenUnit() const
{
    if (result() != Accepted || !IsShowable(SearchPosition))
        return std::nullopt;
    return SearchPosition;
}
