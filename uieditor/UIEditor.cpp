#include "uieditor/UIEditor.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QUndoStack>
#include <QValidator>
#include <tuple>

#include "data/EquipCsv.h"
#include "data/Equipment.h"
#include "data/Settings.h"
#include "data/UnitCodes.h"
#include "data/UnitFields.h"
#include "equipment/EquipmentCommands.h"
#include "equipment/EquipmentDocument.h"
#include "uieditor/AttributeIcons.h"
#include "uieditor/CsvTransfer.h"
#include "uieditor/EquipmentModel.h"
#include "uieditor/UISearch.h"
#include "uieditor/UnitTable.h"
#include "widgets/Cp1252.h"
#include "widgets/EnterKey.h"
#include "widgets/MessageBoxes.h"
#include "widgets/SpinField.h"
#include "widgets/UndoActions.h"
#include "widgets/StatusPanel.h"

TfrmDV2Edit* frmDV2Edit = nullptr;

namespace {

// A unit code field holds at most four digits.
constexpr int UnitCodeDigits = 4;
constexpr int UnitCodeMaximumBeforeLoad = 585;

const QString ChangedQuestion =
    QStringLiteral("You have made changes to this unit.\rDo you wish to update this information?");
const QString TemplateQuestion =
    QStringLiteral("Do you wish to use this use as the template for your new unit?");
const QString CountryMissing = QStringLiteral(
    "The country you have entered does not exist.\rPlease enter a valid country and update this "
    "unit again");

QPushButton* Button(const QString& name, const QString& text, const QString& hint,
                    QBoxLayout* row, TfrmDV2Edit* window, void (TfrmDV2Edit::*command)())
{
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAutoDefault(false);
    row->addWidget(button);
    QObject::connect(button, &QPushButton::clicked, window, command);
    return button;
}

// An item that gives the same command as button, in whatever state the
// button is.
QAction* MenuItem(QMenu* menu, const QString& name, const QString& text,
                  QPushButton* button = nullptr)
{
    QAction* item = menu->addAction(text);
    item->setObjectName(name);
    if (button != nullptr)
        QObject::connect(item, &QAction::triggered, button, &QPushButton::clicked);
    return item;
}

// A label over its control, as every field of the unit attributes shows it.
QVBoxLayout* Labelled(const QString& label, QWidget* control)
{
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    // In a taller row the label stays right above its control.
    column->addStretch(1);
    column->addWidget(new QLabel(label));
    column->addWidget(control);
    return column;
}

// A field of a numeric attribute, typing room as wide as its largest value.
SpinField* Spin(const NumberField& field)
{
    auto* spin = new SpinField(Latin1(field.control), field.minimum, field.maximum,
                               static_cast<int>(QString::number(field.maximum).size()));
    spin->setIncrement(field.multiple);
    spin->setAccessibleName(Latin1(field.label));
    return spin;
}

QLineEdit* Edit(const QString& name, bool readOnly)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setReadOnly(readOnly);
    return edit;
}

int WidestClassName(const QFontMetrics& metrics)
{
    int widest = 0;
    for (int code = 0; code <= 255; ++code)
        if (const auto name = UnitClassName(static_cast<std::uint8_t>(code)))
            widest = std::max(widest, metrics.horizontalAdvance(Latin1(name)));
    return widest;
}

}  // namespace

TfrmDV2Edit::TfrmDV2Edit(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmDV2Edit"));
    setWindowTitle(QStringLiteral("Duvari 2 Unit Editor"));

    auto* window = new QVBoxLayout(this);

    // Buttons
    auto* gbSystemOptions = new QGroupBox(QStringLiteral("System Options"));
    gbSystemOptions->setObjectName(QStringLiteral("gbSystemOptions"));
    auto* systemRow = new QHBoxLayout(gbSystemOptions);
    btnLoad = Button(QStringLiteral("btnLoad"), QStringLiteral("&Load File"),
                     QStringLiteral("Load Data File"), systemRow, this, &TfrmDV2Edit::btnLoadClick);
    btnSave = Button(QStringLiteral("btnSave"), QStringLiteral("Sa&ve File"),
                     QStringLiteral("Save Data File"), systemRow, this, &TfrmDV2Edit::btnSaveClick);
    auto* btnBackup = Button(QStringLiteral("btnBackup"), QStringLiteral("&Backup"),
                             QStringLiteral("Reset all values to Default"), systemRow, this,
                             &TfrmDV2Edit::btnBackupClick);
    btnReturn = Button(QStringLiteral("btnReturn"), QStringLiteral("&Return to Main Menu"),
                       QStringLiteral("Exit Program"), systemRow, this, &QDialog::accept);
    systemRow->addStretch();
    btnBackup->setVisible(false);
    window->addWidget(gbSystemOptions);

    gbEditorOptions = new QGroupBox(QStringLiteral("Editor Options"));
    gbEditorOptions->setObjectName(QStringLiteral("gbEditorOptions"));
    auto* editorRow = new QHBoxLayout(gbEditorOptions);
    btnPrevious = Button(QStringLiteral("btnPrevious"), QStringLiteral("&Previous"),
                         QStringLiteral("Previous Unit"), editorRow, this,
                         &TfrmDV2Edit::btnPreviousClick);
    btnNext = Button(QStringLiteral("btnNext"), QStringLiteral("&Next"),
                     QStringLiteral("Next Unit"), editorRow, this, &TfrmDV2Edit::btnNextClick);
    btnSearch = Button(QStringLiteral("btnSearch"), QStringLiteral("&Search"),
                       QStringLiteral("Search for a particular unit"), editorRow, this,
                       &TfrmDV2Edit::btnSearchClick);
    btnUpdate = Button(QStringLiteral("btnUpdate"), QStringLiteral("&Update"),
                       QStringLiteral("Update changes to unit information"), editorRow, this,
                       &TfrmDV2Edit::btnUpdateClick);
    btnCreate = Button(QStringLiteral("btnCreate"), QStringLiteral("&Create Unit"),
                       QStringLiteral("Create a new unit"), editorRow, this,
                       &TfrmDV2Edit::btnCreateClick);
    editorRow->addStretch();
    gbEditorOptions->setEnabled(false);
    window->addWidget(gbEditorOptions);

    // Unit attributes
    seUnitCode = new SpinField(QStringLiteral("seUnitCode"), 1, UnitCodeMaximumBeforeLoad, UnitCodeDigits);
    // The code in the field is always the unit shown, even in a table of
    // two unit types.
    seUnitCode->setStrictLimits(true);
    edtHexCode = Edit(QStringLiteral("edtHexCode"), true);
    edtHexCode->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("DDDD")) + 12);
    edtUnitName = Edit(QStringLiteral("edtUnitName"), false);
    edtUnitName->setMaxLength(MaxUnitNameLength);
    edtUnitName->setValidator(new UnitNameValidator(edtUnitName));
    edtUnitType = Edit(QStringLiteral("edtUnitType"), true);
    edtUnitType->setMinimumWidth(WidestClassName(fontMetrics()) + 12);
    cbCountry = new QComboBox;
    cbCountry->setObjectName(QStringLiteral("cbCountry"));
    cbCountry->setEditable(true);
    cbCountry->setInsertPolicy(QComboBox::NoInsert);
    cbCountry->addItems(CountryList());
    cbCountry->setEditText({});
    for (std::size_t i = 0; i < NumberFieldCount; ++i)
        seNumbers[i] = Spin(NumberFields[i]);
    SpinField* const seMonth = seNumbers[0];
    SpinField* const seYear = seNumbers[1];

    gbUnitAttributes = new QGroupBox(QStringLiteral("Unit Attributes"));
    gbUnitAttributes->setObjectName(QStringLiteral("gbUnitAttributes"));
    auto* attributes = new QVBoxLayout(gbUnitAttributes);

    auto* firstRow = new QHBoxLayout;
    firstRow->addLayout(Labelled(QStringLiteral("Unit Code"), seUnitCode));
    firstRow->addLayout(Labelled(QStringLiteral("Hex Code"), edtHexCode));
    firstRow->addLayout(Labelled(QStringLiteral("Unit Name"), edtUnitName), 1);
    attributes->addLayout(firstRow);

    auto* date = new QGridLayout;
    date->setVerticalSpacing(2);
    date->addWidget(new QLabel(QStringLiteral("Date Available")), 0, 0, 1, 2, Qt::AlignHCenter);
    date->addLayout(Labelled(seMonth->accessibleName(), seMonth), 1, 0);
    date->addLayout(Labelled(seYear->accessibleName(), seYear), 1, 1);
    auto* secondRow = new QHBoxLayout;
    secondRow->addLayout(Labelled(QStringLiteral("Unit Type"), edtUnitType));
    secondRow->addLayout(Labelled(QStringLiteral("Country"), cbCountry), 1);
    secondRow->addLayout(date);
    secondRow->setAlignment(date, Qt::AlignBottom);
    attributes->addLayout(secondRow);

    // The other numeric attributes each beside its picture, in rows of
    // supply, ability, attack and defence.
    const int rowLengths[] = {4, 3, 4, 4};
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    std::size_t next = 2;
    for (int row = 0; row < std::ssize(rowLengths); ++row)
        for (int column = 0; column < rowLengths[row]; ++column, ++next) {
            auto* picture = new QLabel;
            picture->setPixmap(DrawAttributeIcon(NumberFields[next].icon));
            picture->setToolTip(seNumbers[next]->accessibleName());
            grid->addWidget(picture, row, column * 3);
            grid->addWidget(seNumbers[next], row, column * 3 + 1);
            grid->setColumnMinimumWidth(column * 3 + 2, 12);
        }
    grid->setColumnStretch(12, 1);
    attributes->addSpacing(6);
    attributes->addLayout(grid);
    attributes->addStretch(1);

    auto* sbStatus = new QStatusBar;
    sbStatus->setObjectName(QStringLiteral("sbStatus"));
    sbStatus->setSizeGripEnabled(false);
    lblStatus = new StatusPanel;
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    sbStatus->addWidget(lblStatus, 1);
    attributes->addWidget(sbStatus);
    gbUnitAttributes->setEnabled(false);
    window->addWidget(gbUnitAttributes, 1);

    // The name comes first, then the fields as they are laid out.
    std::vector<QWidget*> tabOrder{edtUnitName, seUnitCode, edtHexCode, edtUnitType, cbCountry};
    tabOrder.insert(tabOrder.end(), seNumbers.begin(), seNumbers.end());
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    // Menu
    mnuMain = new QMenuBar;
    mnuMain->setObjectName(QStringLiteral("mnuMain"));
    window->setMenuBar(mnuMain);
    QMenu* system = mnuMain->addMenu(QStringLiteral("S&ystem Options"));
    MenuItem(system, QStringLiteral("mnuLoad"), QStringLiteral("&Load File"), btnLoad);
    mnuSave = MenuItem(system, QStringLiteral("mnuSave"), QStringLiteral("Sa&ve File"), btnSave);
    mnuBackup = MenuItem(system, QStringLiteral("mnuBackup"), QStringLiteral("&Backup"), btnBackup);
    system->addSeparator();
    MenuItem(system, QStringLiteral("mnuReturn"), QStringLiteral("Return to &Main Menu"), btnReturn);
    QMenu* editor = mnuMain->addMenu(QStringLiteral("&Editor Options"));
    mnuSearch = MenuItem(editor, QStringLiteral("mnuSearch"), QStringLiteral("&Search"), btnSearch);
    mnuUpdate = MenuItem(editor, QStringLiteral("mnuUpdate"), QStringLiteral("&Update"), btnUpdate);
    mnuCreate = MenuItem(editor, QStringLiteral("mnuCreate"), QStringLiteral("&Create"), btnCreate);
    editor->addSeparator();
    std::tie(mnuUndo, mnuRedo) = AddUndoActions(
        editor, EquipmentDoc().History(), [this](const QUndoCommand* step) { ShowStep(step); });
    connect(&EquipmentDoc(), &EquipmentDocument::reloaded, this, &TfrmDV2Edit::TableReloaded);
    // V is "Save File"'s letter.
    QMenu* view = mnuMain->addMenu(QStringLiteral("V&iew"));
    mnuUnitTable = MenuItem(view, QStringLiteral("mnuUnitTable"), QStringLiteral("Unit &Table..."));
    mnuUnitTable->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    mnuUnitTable->setEnabled(false);
    QMenu* tools = mnuMain->addMenu(QStringLiteral("&Tools"));
    mnuExportCsv = MenuItem(tools, QStringLiteral("mnuExportCsv"), QStringLiteral("&Export to CSV..."));
    mnuImportCsv = MenuItem(tools, QStringLiteral("mnuImportCsv"), QStringLiteral("&Import from CSV..."));
    connect(mnuExportCsv, &QAction::triggered, this, &TfrmDV2Edit::mnuExportCsvClick);
    connect(mnuImportCsv, &QAction::triggered, this, &TfrmDV2Edit::mnuImportCsvClick);
    connect(mnuUnitTable, &QAction::triggered, this, &TfrmDV2Edit::mnuUnitTableClick);
    MarkUnsavedChanges(this, EquipmentDoc().History());
    connect(seUnitCode, &SpinField::valueChanged, this, &TfrmDV2Edit::seUnitCodeChange);
    // Only the user's edits: ShowUnit fills the controls without these.
    connect(edtUnitName, &QLineEdit::textEdited, this, &TfrmDV2Edit::edtUnitNameChange);
    // Typing or a pick from the list; not activated, which the box also
    // emits when the focus merely passes through it.
    connect(cbCountry->lineEdit(), &QLineEdit::textChanged, this, &TfrmDV2Edit::edtUnitNameChange);
    for (SpinField* number : seNumbers)
        connect(number, &SpinField::valueChanged, this, &TfrmDV2Edit::edtUnitNameChange);

    PressFocusedButtonOnEnter(this);
    resize(491, 454);
}

void TfrmDV2Edit::ShowUnit(std::uint16_t code)
{
    const TEquipRecord& record = Equipment.Records[code];
    {
        // The other editor may have loaded the table since the limit was
        // set. A new limit is not the user picking a unit.
        const QSignalBlocker quiet(seUnitCode);
        seUnitCode->setMaximum(Equipment.UnitCount - 1);
    }
    seUnitCode->setValueSilently(code);
    edtUnitName->setText(FromCp1252(Equipment.UnitNames[code]));
    edtHexCode->setText(QString::fromStdString(
        HexCode(static_cast<std::uint16_t>(record[Field::UnitCode] |
                                           record[Field::UnitCode + 1] << 8))));
    edtUnitType->setText(Latin1(UnitClassName(record[Field::UnitClass])));
    {
        // The list opens on the country shown.
        const QSignalBlocker quiet(cbCountry->lineEdit());
        const QString country = Latin1(CountryName(code));
        cbCountry->setCurrentIndex(cbCountry->findText(country));
        cbCountry->setEditText(country);
    }
    for (std::size_t i = 0; i < NumberFieldCount; ++i) {
        SpinField* number = seNumbers[i];
        {
            const QSignalBlocker quiet(number);
            number->setMaximum(FieldMaximum(code, NumberFields[i]));
        }
        number->setValueSilently(ShownValue(code, NumberFields[i]));
        number->setEnabled(IsEditable(code, NumberFields[i]));
    }
    UnitChanged = false;
}

void TfrmDV2Edit::UpdateUnit(std::uint16_t code)
{
    EquipmentDoc().EditUnits(QStringLiteral("Update of unit %1").arg(code), {code}, [&] {
        StoreUnitName(code, ToCp1252(edtUnitName->text()));
        if (!SetCountryByName(code, ToCp1252(cbCountry->currentText())))
            ShowWarningBox(this, CountryMissing);
        for (std::size_t i = 0; i < NumberFieldCount; ++i)
            StoreValue(code, NumberFields[i], seNumbers[i]->value());
    });
    lblStatus->setText(QStringLiteral("Unit information has been updated"));
}

void TfrmDV2Edit::btnLoadClick()
{
    RunCommand(this, [this] {
        if (SettingsExist())
            ReadSettings();
        else
            PickGameDir();
        const std::string recovered = EquipmentDoc().Load(EquipFilePath(), NameFilePath());
        lblStatus->setText(QStringLiteral("Files loaded"));
        CurrentUnit = 1;
        ShowUnit(CurrentUnit);
        gbEditorOptions->setEnabled(true);
        gbUnitAttributes->setEnabled(true);
        mnuUnitTable->setEnabled(true);
        if (!recovered.empty())
            ShowWarningBox(this, QFile::decodeName(recovered.c_str()));
    });
}

// Rule A: the directory of any file the user picks is the game directory.
// Cancelling keeps GameDir, and the load goes on with it.
void TfrmDV2Edit::PickGameDir()
{
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDirectory(QDir::currentPath());
    dialog.selectFile(QStringLiteral("Equip97.eqp"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SetGameDir(GameDirOfEquipFile(QFile::encodeName(dialog.selectedFiles().first()).toStdString()));
    WriteSettings();
}

void TfrmDV2Edit::btnSaveClick()
{
    RunCommand(this, [this] {
        EquipmentDoc().Save(EquipFilePath(), NameFilePath());
        lblStatus->setText(QStringLiteral("EQUIP97.EQP and EQUIP97.TXT has been saved"));
    });
}

void TfrmDV2Edit::btnBackupClick()
{
    QMessageBox box(QMessageBox::NoIcon, AppTitle, QStringLiteral("Not Ready Yet"),
                    QMessageBox::Ok, this);
    box.exec();
}

void TfrmDV2Edit::reject() {}

void TfrmDV2Edit::btnPreviousClick()
{
    const int count = Equipment.UnitCount;
    StepTo(static_cast<std::uint16_t>(CurrentUnit <= 1 ? count - 1 : CurrentUnit - 1));
}

void TfrmDV2Edit::btnNextClick()
{
    const int count = Equipment.UnitCount;
    StepTo(static_cast<std::uint16_t>(CurrentUnit + 1 >= count ? 1 : CurrentUnit + 1));
}

void TfrmDV2Edit::StepTo(std::uint16_t code)
{
    seUnitCode->setEnabled(true);
    AskToStoreChanges();
    CurrentUnit = code;
    ShowUnit(CurrentUnit);
    lblStatus->setText({});
}

void TfrmDV2Edit::AskToStoreChanges()
{
    if (UnitChanged && AskYesNo(this, ChangedQuestion))
        UpdateUnit(CurrentUnit);
    UnitChanged = false;
}

void TfrmDV2Edit::btnSearchClick()
{
    frmSearch->exec();
    if (const auto chosen = frmSearch->ChosenUnit())
        CurrentUnit = *chosen;
    if (HasUnit())
        ShowUnit(CurrentUnit);
}

void TfrmDV2Edit::btnUpdateClick()
{
    if (!HasUnit())
        return;  // the menu before the first load: nothing to store into
    seUnitCode->setEnabled(true);
    UpdateUnit(CurrentUnit);
    UnitChanged = false;
    lblStatus->setText(QStringLiteral("Unit Information has been updated"));
}

void TfrmDV2Edit::btnCreateClick()
{
    if (!HasUnit())
        return;  // the menu before the first load: no template
    if (!AskYesNo(this, TemplateQuestion))
        return;
    const int code = EquipmentDoc().CreateUnitFrom(CurrentUnit);
    if (code < 0) {
        ShowWarningBox(this, QStringLiteral("Too many units"));
        return;
    }
    CurrentUnit = static_cast<std::uint16_t>(code);
    seUnitCode->setEnabled(false);
    ShowUnit(CurrentUnit);
    lblStatus->setText(QStringLiteral("Unit created"));
}

// After an undo or redo: the unit the step changed, dropping pending changes.
void TfrmDV2Edit::ShowStep(const QUndoCommand* undone)
{
    const auto* step = dynamic_cast<const EquipmentCommand*>(undone);
    if (step == nullptr || Equipment.UnitCount < 2)
        return;
    CurrentUnit = step->ShownUnit();
    if (!HasUnit())
        CurrentUnit = 1;
    seUnitCode->setEnabled(true);
    ShowUnit(CurrentUnit);
    lblStatus->setText({});
}

void TfrmDV2Edit::mnuUnitTableClick()
{
    if (!HasUnit())
        return;
    AskToStoreChanges();
    if (frmUnitTable == nullptr)
        frmUnitTable = new TfrmUnitTable(this);
    frmUnitTable->Reload();
    if (frmUnitTable->exec() == QDialog::Accepted)
        CurrentUnit = frmUnitTable->ChosenUnit();
    if (!HasUnit())
        CurrentUnit = 1;
    ShowUnit(CurrentUnit);
}

void TfrmDV2Edit::mnuExportCsvClick()
{
    // Before the first load there is nothing to export.
    if (HasUnit() && ExportTableToCsv(this))
        lblStatus->setText(QStringLiteral("Unit information has been exported"));
}

void TfrmDV2Edit::mnuImportCsvClick()
{
    if (!HasUnit())
        return;  // before the first load there is no game to import into
    const auto table = ImportTableFromCsv(this);
    if (table == nullptr)
        return;
    if (CompareEquipment(Equipment, *table).empty()) {  // no step, and nothing to save
        lblStatus->setText(QStringLiteral("The CSV file changes no unit information"));
        return;
    }
    EquipmentDoc().Import(QStringLiteral("Import from CSV"), *table);
    seUnitCode->setEnabled(true);
    if (!HasUnit())
        CurrentUnit = 1;
    ShowUnit(CurrentUnit);
    lblStatus->setText(QStringLiteral("Unit information has been imported"));
}

void TfrmDV2Edit::seUnitCodeChange()
{
    // The field keeps its value within 1 to UnitCount - 1, even while a
    // number outside is being typed.
    CurrentUnit = static_cast<std::uint16_t>(seUnitCode->value());
    ShowUnit(CurrentUnit);
}

void TfrmDV2Edit::edtUnitNameChange()
{
    UnitChanged = true;
    lblStatus->setText(QStringLiteral("Unit Information has been changed"));
}

void TfrmDV2Edit::TableReloaded()
{
    if (CurrentUnit == 0 || Equipment.UnitCount < 2)
        return;  // nothing loaded here yet
    // A step undone elsewhere may have taken away the unit shown here, and
    // with it what the status said of it.
    if (!HasUnit()) {
        CurrentUnit = static_cast<std::uint16_t>(Equipment.UnitCount - 1);
        lblStatus->setText({});
    }
    seUnitCode->setEnabled(true);
    ShowUnit(CurrentUnit);
}

void TfrmDV2Edit::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // SettingsDir is the start-up working directory.
    CaptureSettingsDir();
}

bool TfrmDV2Edit::HasUnit() const
{
    return CurrentUnit >= 1 && CurrentUnit < Equipment.UnitCount;
}
