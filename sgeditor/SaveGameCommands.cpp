#include "sgeditor/SaveGameCommands.h"

ChangeSaveUnits::ChangeSaveUnits(TSaveGame& image, const std::vector<Change>& changes,
                                 const QString& text)
    : QUndoCommand(text), image_(image)
{
    for (const Change& change : changes) {
        const TSaveGameUnit before = image.ReadUnit(change.unit);
        if (before != change.after)
            changes_.push_back({change.unit, before, change.after});
    }
    setObsolete(changes_.empty());
}

void ChangeSaveUnits::redo()
{
    for (const Written& change : changes_)
        image_.WriteUnit(change.unit, change.after);
}

void ChangeSaveUnits::undo()
{
    for (const Written& change : changes_)
        image_.WriteUnit(change.unit, change.before);
}

ChangePrestige::ChangePrestige(TSaveGame& image, std::uint16_t value)
    : QUndoCommand(QStringLiteral("Change of Global Prestige")), image_(image),
      before_(image.Prestige()), after_(value)
{
    setObsolete(before_ == after_);
}

void ChangePrestige::redo()
{
    image_.SetPrestige(after_);
}

void ChangePrestige::undo()
{
    image_.SetPrestige(before_);
}

bool ChangePrestige::mergeWith(const QUndoCommand* other)
{
    after_ = static_cast<const ChangePrestige*>(other)->after_;
    // Typing a number and back again leaves nothing to undo.
    setObsolete(before_ == after_);
    return true;
}

void PushStep(QUndoStack* stack, QUndoCommand* step)
{
    if (step->isObsolete())
        delete step;
    else
        stack->push(step);
}
