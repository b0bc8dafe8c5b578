#pragma once

#include <QObject>
#include <QUndoStack>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/Equipment.h"

// The equipment table the program edits (the data layer's Equipment) with
// its one history of changes. Every change a user makes to the table, in
// whichever window, is one step pushed here; windows learn of changes from
// the signals, never by watching the table.
class EquipmentDocument : public QObject {
    Q_OBJECT

public:
    QUndoStack* History() { return &history_; }

    // Reads both files (LoadEquipment); the steps start afresh. A failure
    // throws and leaves the table and its steps as they were.
    void Load(const std::string& equipPath, const std::string& namePath);
    // Writes both files (SaveEquipment) and marks the saved state.
    void Save(const std::string& equipPath, const std::string& namePath);
    // Replaces the whole table, such as with an imported one, as one step.
    void Import(const QString& text, const TEquipTable& table);
    // Runs edit, which changes the given loaded units in place through the
    // data operations, and keeps what it changed as one step named text.
    // An edit that changes no byte is no step.
    void EditUnits(const QString& text, const std::vector<std::uint16_t>& codes,
                   const std::function<void()>& edit);
    // Appends a copy of the template unit as one step; returns the new
    // code, or -1 when the table is full (no step then).
    int CreateUnitFrom(std::uint16_t templateCode);

signals:
    // The whole table may differ: loaded, imported, a unit added or removed.
    void reloaded();
    // These loaded units' records or names changed.
    void unitsChanged(const std::vector<std::uint16_t>& codes);

private:
    QUndoStack history_;
};

// The program's one equipment document.
EquipmentDocument& EquipmentDoc();
