#pragma once

#include <QUndoCommand>
#include <cstdint>
#include <string>
#include <vector>

#include "data/Equipment.h"

class EquipmentDocument;

// A step of the equipment document's history. Undone or redone, it names
// the unit the attribute editor then shows.
class EquipmentCommand : public QUndoCommand {
public:
    EquipmentCommand(EquipmentDocument& document, const QString& text = {})
        : QUndoCommand(text), document_(document) {}
    std::uint16_t ShownUnit() const { return shownUnit_; }

protected:
    EquipmentDocument& document_;
    std::uint16_t shownUnit_ = 0;
};

// Record and name of one unit type.
struct UnitImage {
    std::uint16_t code = 0;
    TEquipRecord record{};
    std::string name;
    bool operator==(const UnitImage&) const = default;
};
std::vector<UnitImage> ImagesOf(const std::vector<std::uint16_t>& codes);

// Changes records and names of loaded units: "&Update", a cell of the unit
// table, a bulk edit. Holds both images of each unit.
class ChangeUnits : public EquipmentCommand {
public:
    ChangeUnits(EquipmentDocument& document, const QString& text, std::vector<UnitImage> before,
                std::vector<UnitImage> after);
    void undo() override;
    void redo() override;

private:
    void Apply(const std::vector<UnitImage>& images);
    std::vector<UnitImage> before_;
    std::vector<UnitImage> after_;
};

// "&Create Unit": appends a copy of the template (AddUnit); undo removes it
// and gives back the count and the slot as they were.
class CreateUnit : public EquipmentCommand {
public:
    CreateUnit(EquipmentDocument& document, std::uint16_t templateCode);
    void undo() override;
    void redo() override;

private:
    std::uint16_t template_;
    UnitImage freeSlot_;  // the slot the new unit takes, as it was
};

// Replaces the whole table (count, records, names) with another one, such
// as an imported one; undo brings back the table as it was.
class ReplaceTable : public EquipmentCommand {
public:
    ReplaceTable(EquipmentDocument& document, const QString& text, const TEquipTable& replacement);
    void undo() override;
    void redo() override;

private:
    TEquipTable before_;
    TEquipTable after_;
};
