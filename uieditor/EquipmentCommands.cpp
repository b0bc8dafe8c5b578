#include "uieditor/EquipmentCommands.h"

#include <QUndoStack>
#include <utility>

QUndoStack& EquipmentHistory()
{
    static QUndoStack history;
    return history;
}

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

std::vector<UnitImage> ImagesOf(const std::vector<std::uint16_t>& codes)
{
    std::vector<UnitImage> images;
    images.reserve(codes.size());
    for (std::uint16_t code : codes)
        images.push_back(ImageOf(code));
    return images;
}

}  // namespace

ChangeUnits::ChangeUnits(const QString& text, std::vector<UnitImage> before,
                         std::vector<UnitImage> after)
    : EquipmentCommand(text), before_(std::move(before)), after_(std::move(after))
{
    if (!after_.empty())
        shownUnit_ = after_.front().code;
}

void ChangeUnits::undo()
{
    for (const UnitImage& image : before_)
        Restore(image);
}

void ChangeUnits::redo()
{
    for (const UnitImage& image : after_)
        Restore(image);
}

void EditUnits(const QString& text, const std::vector<std::uint16_t>& codes,
               const std::function<void()>& edit)
{
    std::vector<UnitImage> before = ImagesOf(codes);
    edit();
    std::vector<UnitImage> after = ImagesOf(codes);
    if (after != before)
        EquipmentHistory().push(new ChangeUnits(text, std::move(before), std::move(after)));
}

CreateUnit::CreateUnit(std::uint16_t templateCode)
    : template_(templateCode)
{
    if (Equipment.UnitCount < EquipCapacity)
        freeSlot_ = ImageOf(Equipment.UnitCount);
}

int CreateUnit::Push(std::uint16_t templateCode)
{
    const int code = Equipment.UnitCount;
    EquipmentHistory().push(new CreateUnit(templateCode));
    return Equipment.UnitCount > code ? code : -1;
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
}

void CreateUnit::undo()
{
    Restore(freeSlot_);
    Equipment.UnitCount = freeSlot_.code;
    shownUnit_ = template_;
}

ReplaceTable::ReplaceTable(const QString& text, const TEquipTable& replacement)
    : EquipmentCommand(text), before_(Equipment), after_(replacement)
{
    shownUnit_ = 1;
}

void ReplaceTable::undo()
{
    Equipment = before_;
}

void ReplaceTable::redo()
{
    Equipment = after_;
}
