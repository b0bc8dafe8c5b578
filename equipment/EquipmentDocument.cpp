#include "equipment/EquipmentDocument.h"

#include "equipment/EquipmentCommands.h"

EquipmentDocument& EquipmentDoc()
{
    static EquipmentDocument document;
    return document;
}

void EquipmentDocument::Load(const std::string& equipPath, const std::string& namePath)
{
    LoadEquipment(equipPath, namePath);
    history_.clear();  // its steps were made on the table just replaced
    emit reloaded();
}

void EquipmentDocument::Save(const std::string& equipPath, const std::string& namePath)
{
    SaveEquipment(equipPath, namePath);
    history_.setClean();
}

void EquipmentDocument::Import(const QString& text, const TEquipTable& table)
{
    history_.push(new ReplaceTable(*this, text, table));
}

void EquipmentDocument::EditUnits(const QString& text, const std::vector<std::uint16_t>& codes,
                                  const std::function<void()>& edit)
{
    std::vector<UnitImage> before = ImagesOf(codes);
    edit();
    std::vector<UnitImage> after = ImagesOf(codes);
    if (after != before)
        history_.push(new ChangeUnits(*this, text, std::move(before), std::move(after)));
}

int EquipmentDocument::CreateUnitFrom(std::uint16_t templateCode)
{
    const int code = Equipment.UnitCount;
    history_.push(new CreateUnit(*this, templateCode));
    return Equipment.UnitCount > code ? code : -1;
}
