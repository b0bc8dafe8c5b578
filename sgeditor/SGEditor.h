#pragma once

#include <QDialog>
#include <string>

#include "sgeditor/SaveGame.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QUndoCommand;
class QUndoStack;
class SpinField;
class TfrmSaveUnits;

// The save game editor: loads a campaign or scenario save game, shows the
// player's units one at a time, lets the user change the global prestige
// and the shown unit, and writes the file back in place.
class TfrmDV2SGEdit : public QDialog {
    Q_OBJECT

public:
    explicit TfrmDV2SGEdit(QWidget* parent = nullptr);

    QPushButton* btnLoad;
    QPushButton* btnSave;
    QPushButton* btnExit;

    QGroupBox* GroupBox1;
    QPushButton* btnPrev;
    QPushButton* btnNext;
    QPushButton* btnUpdate;

    QGroupBox* GroupBox2;
    QLineEdit* edtUnitNo;
    QLineEdit* edtTotalUnit;
    SpinField* sePrestige;

    SpinField* seUnitCode;
    QPushButton* btnFindUnit;
    QLineEdit* edtUnitName;
    QLineEdit* edtUnitCountry;
    QLineEdit* edtHexCode;
    SpinField* seExperience;
    SpinField* seFuel1;
    SpinField* seTotalStr;
    SpinField* seCurrentStr;

    SpinField* seTransportCode;
    QPushButton* btnFindTransport;
    QLineEdit* edtTransportName;
    QLineEdit* edtTransportCountry;
    QLineEdit* edtTransportHexCode;

    QStatusBar* sbStatus;

    QAction* mnuSaveUnits;
    // Made at its first opening, then kept with its filter and sort order.
    TfrmSaveUnits* frmSaveUnits = nullptr;

public slots:
    // Reads or creates the settings, reloads the equipment table, lets the
    // user pick a save game and shows its first unit. A file without a unit
    // list, or too large, is refused and everything stays as it was.
    void btnLoadClick();
    // Writes the image over the loaded file; unstored unit edits are not in it.
    void btnSaveClick();
    // Step to the previous or next unit (wrapping), asking first whether to
    // store the shown unit's edits. Nothing happens before a load.
    void btnPrevClick();
    void btnNextClick();
    // Stores the shown unit into the image.
    void btnUpdateClick();
    // Shows every unit in the table, asking first whether to store the shown
    // unit's edits; then shows the unit picked there, or the current one.
    void mnuSaveUnitsClick();

    // Change handlers: they run whenever a shown value changes, by the user
    // or by the program, and mark the unit as changed.
    void sePrestigeChange();
    void seTotalStrChange();

    // Fills the controls from unit k of the image; the change flag ends clear.
    void ShowSaveUnit(int k);
    // Writes all six unit values of the controls into unit k of the image,
    // as one step that can be undone; false, after a warning, when the unit
    // code would break the unit list.
    bool StoreSaveUnit(int k);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void markChanged();
    // Asks to store the shown unit's edits; false when the store was
    // refused, so that the unit and its edits stay shown.
    bool askToStoreChanges();
    // The code picked in the unit selection list goes into field as if typed.
    void SelectCode(SpinField* field);
    // Keeps the codes within the table and shows the names they now have.
    void TableChanged();
    // Shows what an undone or redone step changed: its unit, or the prestige.
    void showStep(const QUndoCommand* step);
    bool loaded() const { return image_.IsLoaded(); }

    QLabel* statusPanel_;
    TSaveGame image_;
    QUndoStack* undoStack_;  // every change of the image since the last load
    int currentUnit_ = 0;
    bool changed_ = false;
    int wantedCurrentStr_ = 0;  // as last shown or chosen by the user
    std::string targetFile_;  // the file of the last successful load
};

extern TfrmDV2SGEdit* frmDV2SGEdit;
