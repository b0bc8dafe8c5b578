#include "equipment/EquipmentCommands.h"

#include <utility>

#include "equipment/EquipmentDocument.h"

namespace {

UnitImage ImageOf(std::uint16_t code)
{
    return {code, Equipment.Records[code], Equipment.UnitNames[code]};
}

void Restore(const UnitImage& image)
{
    Equipment.Records[image.code] = image.record;
    Equipment.UnitNames[image.code] = image.name;
}

}  // namespace

std::vector<UnitImage> ImagesOf(const std::vector<std::uint16_t>& codes)
{
    std::vector<UnitImage> images;
    images.reserve(codes.size());
    for (std::uint16_t code : codes)
        images.push_back(ImageOf(code));
    return images;
}

ChangeUnits::ChangeUnits(EquipmentDocument& document, const QString& text,
                         std::vector<UnitImage> before, std::vector<UnitImage> after)
    : EquipmentCommand(document, text), before_(std::move(before)), after_(std::move(after))
{
    if (!after_.empty())
        shownUnit_ = after_.front().code;
}

void ChangeUnits::undo()
{
    Apply(before_);
}

void ChangeUnits::redo()
{
    Apply(after_);
}

void ChangeUnits::Apply(const std::vector<UnitImage>& images)
{
    std::vector<std::uint16_t> codes;
    for (const UnitImage& image : images) {
        Restore(image);
        codes.push_back(image.code);
    }
    emit document_.unitsChanged(codes);
}

CreateUnit::CreateUnit(EquipmentDocument& document, std::uint16_t templateCode)
    : EquipmentCommand(document), template_(templateCode)
{
    if (Equipment.UnitCount < EquipCapacity)
        freeSlot_ = ImageOf(Equipment.UnitCount);
}

void CreateUnit::redo()
{
    // The table is as it was when the step was first made, so AddUnit
    // makes the same unit again.
    const int code = AddUnit(template_);
    if (code < 0) {
        setObsolete(true);  // the stack drops a step that did nothing
        return;
    }
    shownUnit_ = static_cast<std::uint16_t>(code);
    setText(QStringLiteral("Creation of unit %1").arg(code));
    emit document_.reloaded();
}

void CreateUnit::undo()
{
    Restore(freeSlot_);
    Equipment.UnitCount = freeSlot_.code;
    shownUnit_ = template_;
    emit document_.reloaded();
}

ReplaceTable::ReplaceTable(EquipmentDocument& document, const QString& text,
                           const TEquipTable& replacement)
    : EquipmentCommand(document, text), before_(Equipment), after_(replacement)
{
    shownUnit_ = 1;
}

void ReplaceTable::undo()
{
    Equipment = before_;
    emit document_.reloaded();
}

void ReplaceTable::redo()
{
    Equipment = after_;
    emit document_.reloaded();
}
