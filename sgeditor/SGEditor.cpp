#include "sgeditor/SGEditor.h"

#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>

#include "data/Equipment.h"
#include "data/Settings.h"
#include "equipment/EquipmentDocument.h"
#include "sgeditor/FindUnit.h"
#include "sgeditor/SaveGameCommands.h"
#include "sgeditor/SaveUnitLimits.h"
#include "sgeditor/SaveUnits.h"
#include "sgeditor/SaveUnitsModel.h"
#include "widgets/EnterKey.h"
#include "widgets/MessageBoxes.h"
#include "widgets/SpinField.h"
#include "widgets/StatusPanel.h"
#include "widgets/UndoActions.h"

TfrmDV2SGEdit* frmDV2SGEdit = nullptr;

namespace {

const QString StoreQuestion =
    QStringLiteral("You have made changes to this unit.\rDo you wish to update this changes?");

QPushButton* MakeButton(const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* MakeReadOnly(const QString& name)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setReadOnly(true);
    return edit;
}

QGroupBox* MakeGroup(const QString& name, const QString& title)
{
    auto* group = new QGroupBox(title);
    group->setObjectName(name);
    return group;
}

// Tight spacing keeps the window at its usual size.
template <typename Layout>
Layout* Compact(Layout* layout)
{
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(4);
    return layout;
}

QLabel* Caption(const QString& text, QWidget* field)
{
    auto* label = new QLabel(text);
    label->setBuddy(field);
    return label;
}

// A caption above its field, in the field's column of the grid.
void AddLabelled(QGridLayout* grid, int row, int column, const QString& caption, QWidget* field,
                 int columnSpan = 1)
{
    grid->addWidget(Caption(caption, field), row, column, 1, columnSpan);
    grid->addWidget(field, row + 1, column, 1, columnSpan);
}

// A code field with its caption before it and its find button beside it.
void AddCodeRow(QGridLayout* grid, const QString& caption, SpinField* code, QPushButton* find)
{
    auto* row = new QHBoxLayout;
    row->addWidget(Caption(caption, code));
    row->addWidget(code);
    row->addWidget(find);
    row->addStretch();
    grid->addLayout(row, 0, 0, 1, 4);
}

// Name, country and hex code of a unit code, or empty boxes for no unit
// (transport 0) and for a code the loaded equipment table does not hold.
void ShowUnitType(int code, QLineEdit* name, QLineEdit* country, QLineEdit* hexCode)
{
    name->setText(UnitTypeName(code));
    country->setText(UnitTypeCountry(code));
    hexCode->setText(UnitTypeHexCode(code));
}

// The save game the user picks, as a local path; empty when cancelled.
// An empty directory leaves the dialog in the working directory.
std::string ChooseSaveGame(QWidget* parent, const std::string& directory)
{
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("dlgLoad"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Campaign (*.csv)"),
                           QStringLiteral("Scenarion Save Game (*.sav)")});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (!directory.empty())
        dialog.setDirectory(QFile::decodeName(directory.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

// The loaded file as the status names it: relative to the save game
// directory when it lies there, otherwise the whole path.
QString ShownFileName(const std::string& path)
{
    const bool inSaveGameDir = !SaveGameDir.empty() && path.starts_with(SaveGameDir);
    return QFile::decodeName(inSaveGameDir ? path.substr(SaveGameDir.size()).c_str()
                                           : path.c_str());
}

}  // namespace

TfrmDV2SGEdit::TfrmDV2SGEdit(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmDV2SGEdit"));
    setWindowTitle(QStringLiteral("Duvari 2 Save Game Editor"));
    undoStack_ = new QUndoStack(this);
    MarkUnsavedChanges(this, undoStack_);

    QGroupBox* gbFileOption = MakeGroup(QStringLiteral("gbFileOption"), QStringLiteral("System Options"));
    btnLoad = MakeButton(QStringLiteral("btnLoad"), QStringLiteral("&Load File"));
    btnSave = MakeButton(QStringLiteral("btnSave"), QStringLiteral("Sa&ve File"));
    btnExit = MakeButton(QStringLiteral("btnExit"), QStringLiteral("&Return to Main Menu"));
    auto* fileRow = Compact(new QHBoxLayout(gbFileOption));
    fileRow->addWidget(btnLoad);
    fileRow->addWidget(btnSave);
    fileRow->addStretch();
    fileRow->addWidget(btnExit);

    GroupBox1 = MakeGroup(QStringLiteral("GroupBox1"), QStringLiteral("Editor Options"));
    btnPrev = MakeButton(QStringLiteral("btnPrev"), QStringLiteral("&Previous"));
    btnNext = MakeButton(QStringLiteral("btnNext"), QStringLiteral("&Next"));
    btnUpdate = MakeButton(QStringLiteral("btnUpdate"), QStringLiteral("&Update"));
    auto* editorRow = Compact(new QHBoxLayout(GroupBox1));
    editorRow->addWidget(btnPrev);
    editorRow->addWidget(btnNext);
    editorRow->addWidget(btnUpdate);
    editorRow->addStretch();

    edtUnitNo = MakeReadOnly(QStringLiteral("edtUnitNo"));
    edtTotalUnit = MakeReadOnly(QStringLiteral("edtTotalUnit"));
    sePrestige = new SpinField(QStringLiteral("sePrestige"), 0, MaxPrestige, 5);

    QGroupBox* GroupBox4 = MakeGroup(QStringLiteral("GroupBox4"), QStringLiteral("Unit"));
    seUnitCode = new SpinField(QStringLiteral("seUnitCode"), 1, DefaultHighestCode, 3);
    // A code field holds a code of the table, even in a table of two unit types.
    seUnitCode->setStrictLimits(true);
    btnFindUnit = MakeButton(QStringLiteral("btnFindUnit"), QStringLiteral("&Find Unit"));
    edtUnitName = MakeReadOnly(QStringLiteral("edtUnitName"));
    edtUnitCountry = MakeReadOnly(QStringLiteral("edtUnitCountry"));
    edtHexCode = MakeReadOnly(QStringLiteral("edtHexCode"));
    seExperience = new SpinField(QStringLiteral("seExperience"), 0, MaxExperience, 5);
    seFuel1 = new SpinField(QStringLiteral("seFuel1"), 0, MaxFuel, 3);
    seTotalStr = new SpinField(QStringLiteral("seTotalStr"), 0, MaxStrength, 2);
    seCurrentStr = new SpinField(QStringLiteral("seCurrentStr"), 0, MaxStrength, 2);
    auto* unitGrid = Compact(new QGridLayout(GroupBox4));
    AddCodeRow(unitGrid, QStringLiteral("Unit Code"), seUnitCode, btnFindUnit);
    AddLabelled(unitGrid, 1, 0, QStringLiteral("Unit Name"), edtUnitName, 2);
    AddLabelled(unitGrid, 1, 2, QStringLiteral("Country"), edtUnitCountry);
    AddLabelled(unitGrid, 1, 3, QStringLiteral("Hex Code"), edtHexCode);
    AddLabelled(unitGrid, 3, 0, QStringLiteral("Experience"), seExperience);
    AddLabelled(unitGrid, 3, 1, QStringLiteral("Fuel"), seFuel1);
    AddLabelled(unitGrid, 3, 2, QStringLiteral("Total Strength"), seTotalStr);
    AddLabelled(unitGrid, 3, 3, QStringLiteral("Current Strength"), seCurrentStr);

    QGroupBox* GroupBox3 = MakeGroup(QStringLiteral("GroupBox3"), QStringLiteral("Transport"));
    seTransportCode = new SpinField(QStringLiteral("seTransportCode"), 0, DefaultHighestCode, 3);
    seTransportCode->setStrictLimits(true);
    btnFindTransport =
        MakeButton(QStringLiteral("btnFindTransport"), QStringLiteral("Find &Transport"));
    edtTransportName = MakeReadOnly(QStringLiteral("edtTransportName"));
    edtTransportCountry = MakeReadOnly(QStringLiteral("edtTransportCountry"));
    edtTransportHexCode = MakeReadOnly(QStringLiteral("edtTransportHexCode"));
    auto* transportGrid = Compact(new QGridLayout(GroupBox3));
    AddCodeRow(transportGrid, QStringLiteral("Transport Code"), seTransportCode, btnFindTransport);
    AddLabelled(transportGrid, 1, 0, QStringLiteral("Transport Name"), edtTransportName, 2);
    AddLabelled(transportGrid, 1, 2, QStringLiteral("Country"), edtTransportCountry);
    AddLabelled(transportGrid, 1, 3, QStringLiteral("Hex Code"), edtTransportHexCode);
    for (QGridLayout* grid : {unitGrid, transportGrid})
        for (int column = 0; column < 4; ++column)
            grid->setColumnStretch(column, column % 2 == 0 ? 2 : 1);

    sbStatus = new QStatusBar;
    sbStatus->setObjectName(QStringLiteral("sbStatus"));
    sbStatus->setSizeGripEnabled(false);
    statusPanel_ = new StatusPanel;
    sbStatus->addWidget(statusPanel_, 1);

    GroupBox2 = MakeGroup(QStringLiteral("GroupBox2"), QStringLiteral("Unit Information"));
    auto* topRow = new QGridLayout;
    topRow->setSpacing(4);
    AddLabelled(topRow, 0, 0, QStringLiteral("Unit No"), edtUnitNo);
    AddLabelled(topRow, 0, 1, QStringLiteral("Total No. Units"), edtTotalUnit);
    AddLabelled(topRow, 0, 2, QStringLiteral("Global Prestige"), sePrestige);
    auto* unitInformation = Compact(new QVBoxLayout(GroupBox2));
    unitInformation->addLayout(topRow);
    unitInformation->addWidget(GroupBox4);
    unitInformation->addWidget(GroupBox3);
    unitInformation->addStretch();
    unitInformation->addWidget(sbStatus);

    auto* menuBar = new QMenuBar;
    QMenu* systemMenu = menuBar->addMenu(QStringLiteral("S&ystem Options"));
    systemMenu->addAction(QStringLiteral("&Load File"), this, &TfrmDV2SGEdit::btnLoadClick);
    systemMenu->addAction(QStringLiteral("Sa&ve File"), this, &TfrmDV2SGEdit::btnSaveClick);
    systemMenu->addSeparator();
    systemMenu->addAction(QStringLiteral("Return to &Main Menu"), this, &QDialog::accept);
    QMenu* editorMenu = menuBar->addMenu(QStringLiteral("Editor Options"));
    editorMenu->addAction(QStringLiteral("&Previous"), this, &TfrmDV2SGEdit::btnPrevClick);
    editorMenu->addAction(QStringLiteral("&Next"), this, &TfrmDV2SGEdit::btnNextClick);
    editorMenu->addAction(QStringLiteral("&Update"), this, &TfrmDV2SGEdit::btnUpdateClick);
    editorMenu->addSeparator();
    AddUndoActions(editorMenu, undoStack_, [this](const QUndoCommand* step) { showStep(step); });
    // V is "Save File"'s letter.
    QMenu* viewMenu = menuBar->addMenu(QStringLiteral("V&iew"));
    mnuSaveUnits = viewMenu->addAction(QStringLiteral("Unit &List..."), this,
                                       &TfrmDV2SGEdit::mnuSaveUnitsClick);
    mnuSaveUnits->setObjectName(QStringLiteral("mnuSaveUnits"));
    mnuSaveUnits->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    mnuSaveUnits->setEnabled(false);

    auto* window = Compact(new QVBoxLayout(this));
    window->setMenuBar(menuBar);
    window->addWidget(gbFileOption);
    window->addWidget(GroupBox1);
    window->addWidget(GroupBox2, 1);

    GroupBox1->setEnabled(false);
    GroupBox2->setEnabled(false);

    connect(btnLoad, &QPushButton::clicked, this, &TfrmDV2SGEdit::btnLoadClick);
    connect(btnSave, &QPushButton::clicked, this, &TfrmDV2SGEdit::btnSaveClick);
    connect(btnExit, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnPrev, &QPushButton::clicked, this, &TfrmDV2SGEdit::btnPrevClick);
    connect(btnNext, &QPushButton::clicked, this, &TfrmDV2SGEdit::btnNextClick);
    connect(btnUpdate, &QPushButton::clicked, this, &TfrmDV2SGEdit::btnUpdateClick);
    connect(btnFindUnit, &QPushButton::clicked, this, [this] { SelectCode(seUnitCode); });
    connect(btnFindTransport, &QPushButton::clicked, this, [this] { SelectCode(seTransportCode); });
    connect(sePrestige, &SpinField::valueChanged, this, &TfrmDV2SGEdit::sePrestigeChange);
    connect(seUnitCode, &SpinField::valueChanged, this, [this](int code) {
        markChanged();
        ShowUnitType(code, edtUnitName, edtUnitCountry, edtHexCode);
    });
    connect(seTransportCode, &SpinField::valueChanged, this, [this](int code) {
        markChanged();
        ShowUnitType(code, edtTransportName, edtTransportCountry, edtTransportHexCode);
    });
    for (SpinField* field : {seExperience, seFuel1, seCurrentStr})
        connect(field, &SpinField::valueChanged, this, &TfrmDV2SGEdit::markChanged);
    connect(seCurrentStr, &SpinField::valueChanged, this,
            [this](int value) { wantedCurrentStr_ = value; });
    connect(seTotalStr, &SpinField::valueChanged, this, &TfrmDV2SGEdit::seTotalStrChange);

    // Renamed, added or removed unit types: a load here, or the unit
    // attribute editor's edits, undo steps and imports.
    connect(&EquipmentDoc(), &EquipmentDocument::reloaded, this, &TfrmDV2SGEdit::TableChanged);
    connect(&EquipmentDoc(), &EquipmentDocument::unitsChanged, this, &TfrmDV2SGEdit::TableChanged);

    PressFocusedButtonOnEnter(this);
    // The window is left only through "Return to Main Menu".
    IgnoreEscape(this);
    // 439 x 499 outside, less the frame and title bar.
    resize(431, 472);
}

void TfrmDV2SGEdit::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Before any dialog can change the working directory.
    CaptureSettingsDir();
}

void TfrmDV2SGEdit::btnLoadClick()
{
    RunCommand(this, [this] {
        std::string path, recovered;
        if (SettingsExist()) {
            ReadSettings();
            recovered = EquipmentDoc().Load(EquipFilePath(), NameFilePath());
            path = ChooseSaveGame(this, SaveGameDir);
            if (path.empty())
                return;
        } else {
            path = ChooseSaveGame(this, {});
            if (path.empty())
                return;
            SetGameDir(GameDirOfSaveGame(path));
            WriteSettings();
            recovered = EquipmentDoc().Load(EquipFilePath(), NameFilePath());
        }
        // A refused file leaves the image, and so everything shown, as it was.
        const bool found = image_.LoadFromFile(path);
        for (const std::string& note : {recovered, image_.Recovered()})
            if (!note.empty())
                ShowWarningBox(this, QFile::decodeName(note.c_str()));
        if (!found) {
            ShowWarningBox(this, QStringLiteral("%1 holds no unit list, so it cannot be edited.")
                                     .arg(QFile::decodeName(path.c_str())));
            return;
        }
        currentUnit_ = 0;
        ShowSaveUnit(currentUnit_);
        undoStack_->clear();  // the steps belonged to the image just replaced
        targetFile_ = path;
        GroupBox1->setEnabled(true);
        GroupBox2->setEnabled(true);
        mnuSaveUnits->setEnabled(true);
        statusPanel_->setText(ShownFileName(path) + QStringLiteral(" save game data loaded"));
    });
}

// The codes follow the table at once, so that a refused or cancelled pick
// cannot leave a code beyond a reloaded table to be stored.
void TfrmDV2SGEdit::TableChanged()
{
    {
        // Before the first load there is no unit whose code could change.
        const QSignalBlocker quietUnit(loaded() ? nullptr : seUnitCode);
        const QSignalBlocker quietTransport(loaded() ? nullptr : seTransportCode);
        for (SpinField* code : {seUnitCode, seTransportCode}) {
            code->setMaximum(Equipment.UnitCount - 1);
            // Three digits, or four for a table whose codes reach 1000.
            code->fitTypingRoom();
        }
    }
    if (loaded()) {
        ShowUnitType(seUnitCode->value(), edtUnitName, edtUnitCountry, edtHexCode);
        ShowUnitType(seTransportCode->value(), edtTransportName, edtTransportCountry,
                     edtTransportHexCode);
    }
}

void TfrmDV2SGEdit::btnSaveClick()
{
    if (!loaded()) {
        ShowWarningBox(this, QStringLiteral("No save game has been loaded, so there is nothing to save."));
        return;
    }
    RunCommand(this, [this] {
        image_.SaveToFile(targetFile_);
        undoStack_->setClean();
        statusPanel_->setText(QStringLiteral("Save Game Data Saved"));
    });
}

bool TfrmDV2SGEdit::askToStoreChanges()
{
    return !changed_ || !AskYesNo(this, StoreQuestion) || StoreSaveUnit(currentUnit_);
}

void TfrmDV2SGEdit::btnPrevClick()
{
    if (!loaded())
        return;
    if (!askToStoreChanges())
        return;
    currentUnit_ = currentUnit_ == 0 ? image_.UnitListCount() - 1 : currentUnit_ - 1;
    ShowSaveUnit(currentUnit_);
    statusPanel_->setText({});
}

void TfrmDV2SGEdit::btnNextClick()
{
    if (!loaded())
        return;
    if (!askToStoreChanges())
        return;
    currentUnit_ = currentUnit_ == image_.UnitListCount() - 1 ? 0 : currentUnit_ + 1;
    ShowSaveUnit(currentUnit_);
    statusPanel_->setText({});
}

void TfrmDV2SGEdit::btnUpdateClick()
{
    if (loaded())
        StoreSaveUnit(currentUnit_);
}

void TfrmDV2SGEdit::SelectCode(SpinField* field)
{
    frmFindUnit->exec();
    if (const auto code = frmFindUnit->ChosenCode())
        field->setValue(*code);
}

void TfrmDV2SGEdit::mnuSaveUnitsClick()
{
    if (!loaded())
        return;
    if (!askToStoreChanges())
        return;
    if (frmSaveUnits == nullptr)
        frmSaveUnits = new TfrmSaveUnits(image_, undoStack_, this);
    frmSaveUnits->Reload();
    frmSaveUnits->exec();
    if (frmSaveUnits->ChosenUnit() >= 0)
        currentUnit_ = frmSaveUnits->ChosenUnit();
    ShowSaveUnit(currentUnit_);
    statusPanel_->setText({});
}

void TfrmDV2SGEdit::showStep(const QUndoCommand* step)
{
    if (const auto* units = dynamic_cast<const ChangeSaveUnits*>(step)) {
        currentUnit_ = units->FirstUnit();
        ShowSaveUnit(currentUnit_);
        statusPanel_->setText({});
    } else {
        // Only the prestige changed: the shown unit's edits stay.
        sePrestige->setValueSilently(image_.Prestige());
    }
}

void TfrmDV2SGEdit::markChanged()
{
    changed_ = true;
    statusPanel_->setText(QStringLiteral("Unit Information has been changed"));
}

void TfrmDV2SGEdit::sePrestigeChange()
{
    PushStep(undoStack_, new ChangePrestige(image_, static_cast<std::uint16_t>(sePrestige->value())));
    markChanged();
}

void TfrmDV2SGEdit::seTotalStrChange()
{
    markChanged();
    // The current strength follows the total, yet a total typed digit by
    // digit (1 on the way to 12) must not lower it for good: it returns to
    // the value last shown or chosen as far as the total allows. A total of
    // 0 still lets the user type any current strength.
    const int total = seTotalStr->value();
    const int wanted = wantedCurrentStr_;
    seCurrentStr->setMaximum(total);
    seCurrentStr->setValue(std::min(wanted, total));
    wantedCurrentStr_ = wanted;
}

void TfrmDV2SGEdit::ShowSaveUnit(int k)
{
    edtTotalUnit->setText(QString::number(image_.UnitListCount()));
    edtUnitNo->setText(QString::number(k + 1));
    const TSaveGameUnit unit = image_.ReadUnit(k);

    // The boxes describe the code the field holds, which is what an update stores.
    seUnitCode->setValue(unit.TypeCode);
    ShowUnitType(seUnitCode->value(), edtUnitName, edtUnitCountry, edtHexCode);
    seTransportCode->setValue(unit.TransportCode);
    ShowUnitType(seTransportCode->value(), edtTransportName, edtTransportCountry,
                 edtTransportHexCode);

    seExperience->setValue(unit.Experience);
    seFuel1->setValue(unit.UnitFuel);
    seTotalStr->setValue(unit.TotalStrength);
    seCurrentStr->setMaximum(seTotalStr->value());
    seCurrentStr->setValue(unit.CurrentStrength);
    wantedCurrentStr_ = seCurrentStr->value();

    // A stored prestige above the limit shows as the limit but stays as
    // stored until the user changes it, as every other value does.
    sePrestige->setValueSilently(image_.Prestige());
    changed_ = false;
}

bool TfrmDV2SGEdit::StoreSaveUnit(int k)
{
    if (const std::string problem = UnitCodeProblem(static_cast<std::uint16_t>(seUnitCode->value())); !problem.empty()) {
        ShowWarningBox(this, QString::fromStdString(problem));
        return false;
    }
    TSaveGameUnit unit;
    unit.TypeCode = static_cast<std::uint16_t>(seUnitCode->value());
    unit.TransportCode = static_cast<std::uint16_t>(seTransportCode->value());
    unit.Experience = static_cast<std::uint16_t>(seExperience->value());
    unit.TotalStrength = static_cast<std::uint8_t>(seTotalStr->value());
    unit.UnitFuel = static_cast<std::uint8_t>(seFuel1->value());
    // Unlimited while the total strength is 0; a byte still holds only 0 to 255.
    unit.CurrentStrength = static_cast<std::uint8_t>(std::clamp(seCurrentStr->value(), 0, 255));
    seCurrentStr->setValue(unit.CurrentStrength);  // shows what is stored
    wantedCurrentStr_ = unit.CurrentStrength;
    PushStep(undoStack_, new ChangeSaveUnits(image_, {{k, unit}},
                                             QStringLiteral("Update of unit %1").arg(k + 1)));
    statusPanel_->setText(QStringLiteral("Unit Information Updated"));
    changed_ = false;
    return true;
}
