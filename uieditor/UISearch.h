#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The unit attribute editor's search dialog: finds a unit type by code or
// by name and hands it back to the editor on OK. Reads the equipment table
// and never changes it.
class TfrmSearch : public QDialog {
    Q_OBJECT

public:
    explicit TfrmSearch(QWidget* parent = nullptr);

    // The unit code last found or searched from; kept for the whole run.
    std::uint16_t SearchPosition = 0;

    // Reads edtSearch as an integer (leading blanks, then an optional sign
    // and decimal digits, or "$" and hex digits, nothing after, within the
    // signed 32-bit range) and shows the unit of its low 16 bits. Any other
    // text is reported in the error box and changes nothing.
    void FindByCode();
    // From the position after SearchPosition (or from 1 with cbSearch
    // ticked) up to the last unit, finds the first name equal to edtSearch
    // with only a to z folded to capitals. Finding nothing says nothing.
    void FindByName();

    // The unit OK handed back: SearchPosition when it names a unit the
    // editor can show; none after Cancel.
    std::optional<std::uint16_t> ChosenUnit() const;

    // The integer grammar of FindByCode; none for any other text.
    static std::optional<std::int32_t> ParseInteger(const QString& text);

    QRadioButton* rbUnitCode;  // the search criteria
    QRadioButton* rbUnitName;
    QCheckBox* cbSearch;
    QPushButton* btnFind;
    QLineEdit* edtSearch;
    QLineEdit* edtUnitCode;
    QLineEdit* edtCountry;
    QLineEdit* edtUnitName;
    QPushButton* btnOK;
    QPushButton* btnCancel;

public slots:
    void btnFindClick();
    // Closes, handing back ChosenUnit.
    void btnOKClick();

private:
    void ShowFound();
};

extern TfrmSearch* frmSearch;
