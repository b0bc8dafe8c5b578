#pragma once

#include <QUndoCommand>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/Equipment.h"

class QUndoStack;

// The one history of changes to the shared equipment table. Every change a
// user makes to the table is one step on it, whichever window made it; a
// load clears it and a save marks it clean.
QUndoStack& EquipmentHistory();

// A step of the history. Undone or redone, it names the unit the attribute
// editor then shows.
class EquipmentCommand : public QUndoCommand {
public:
    using QUndoCommand::QUndoCommand;
    std::uint16_t ShownUnit() const { return shownUnit_; }

protected:
    std::uint16_t shownUnit_ = 0;
};

// Record and name of one unit type.
struct UnitImage {
    std::uint16_t code = 0;
    TEquipRecord record{};
    std::string name;
    bool operator==(const UnitImage&) const = default;
};

// Changes records and names of loaded units: "&Update", a cell of the unit
// table, a bulk edit. Holds both images of each unit.
class ChangeUnits : public EquipmentCommand {
public:
    ChangeUnits(const QString& text, std::vector<UnitImage> before, std::vector<UnitImage> after);
    void undo() override;
    void redo() override;

private:
    std::vector<UnitImage> before_;
    std::vector<UnitImage> after_;
};

// Runs edit, which changes the given loaded units in place through the
// data operations, and keeps what it changed as one step named text. An
// edit that changes no byte is no step.
void EditUnits(const QString& text, const std::vector<std::uint16_t>& codes,
               const std::function<void()>& edit);

// "&Create Unit": appends a copy of the template (AddUnit); undo removes it
// and gives back the count and the slot as they were.
class CreateUnit : public EquipmentCommand {
public:
    // Pushes the step and returns the new code, or -1 when AddUnit refuses;
    // a refusal is no step.
    static int Push(std::uint16_t templateCode);
    void undo() override;
    void redo() override;

private:
    explicit CreateUnit(std::uint16_t templateCode);
    std::uint16_t template_;
    UnitImage freeSlot_;  // the slot the new unit takes, as it was
};

// Replaces the whole table (count, records, names) with another one, such
// as an imported one; undo brings back the table as it was.
class ReplaceTable : public EquipmentCommand {
public:
    ReplaceTable(const QString& text, const TEquipTable& replacement);
    void undo() override;
    void redo() override;

private:
    TEquipTable before_;
    TEquipTable after_;
};
