#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <vector>

#include "sgeditor/SaveUnitLimits.h"

class QUndoStack;

// The name, country and hex code of a unit code as the save game editor
// shows them: empty for no unit (transport 0) and for a code the loaded
// equipment table does not hold.
QString UnitTypeName(int code);
QString UnitTypeCountry(int code);
QString UnitTypeHexCode(int code);

// The units of a save game image's unit list, one row per unit, No 1
// first, each value as the save game editor shows it. Every change goes
// onto the undo stack as a ChangeSaveUnits step; the rows follow the image
// whenever the stack moves. An edited cell's limits are in the table
// window's cell roles.
class SaveUnitsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        No,
        UnitCode,
        UnitName,
        Country,
        TransportCode,
        TransportName,
        Experience,
        Fuel,
        TotalStrength,
        CurrentStrength,
        ColumnCount
    };

    SaveUnitsModel(TSaveGame& image, QUndoStack* stack, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Writes the cell's value into the row's unit, brought within the
    // limits "&Update" applies (StoredWithField). A value that leaves the
    // shown one as it is writes nothing, so that values stored beyond the
    // limits stay as they are. A unit code the next load would not take
    // for a unit (UnitCodeProblem) is refused with refused().
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Shows the image anew, which a load may have replaced.
    void Reload();

    // The field a column edits; only the six unit values have one.
    static bool IsField(int column);
    static SaveUnitField FieldOf(int column);
    static int ColumnOf(SaveUnitField field);

    // Sets one field of every unit in units to newValue of its shown unit,
    // within the limits, as one step named by the number of units it
    // changes; returns that number. Units whose shown value stays are not
    // written; when none changes, there is no step. Without apply, only
    // counts.
    int ChangeField(const std::vector<int>& units, SaveUnitField field,
                    const std::function<int(const TSaveGameUnit& shown)>& newValue,
                    bool apply = true);

signals:
    // A typed value was not stored, for the reason given.
    void refused(const QString& why);

private:
    TSaveGame& image_;
    QUndoStack* stack_;
};
