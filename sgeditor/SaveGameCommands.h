#pragma once

#include <QUndoCommand>
#include <QUndoStack>
#include <vector>

#include "sgeditor/SaveGame.h"

// The undoable changes of the save game image. "&Update", a cell of the
// unit table and a bulk edit all write units through ChangeSaveUnits; the
// prestige field writes through ChangePrestige.

// Writes new values into units of the image; undo writes back the values
// they held before.
class ChangeSaveUnits : public QUndoCommand {
public:
    struct Change {
        int unit;
        TSaveGameUnit after;
    };

    // A step that changes no unit is obsolete, so a stack drops it.
    ChangeSaveUnits(TSaveGame& image, const std::vector<Change>& changes, const QString& text);

    void redo() override;
    void undo() override;

    // The first unit the step writes, to show after an undo or redo.
    int FirstUnit() const { return changes_.empty() ? 0 : changes_.front().unit; }

private:
    struct Written {
        int unit;
        TSaveGameUnit before;
        TSaveGameUnit after;
    };
    TSaveGame& image_;
    std::vector<Written> changes_;
};

// Pushes step onto stack unless it changes nothing: pushing a step, even one
// that is then dropped, throws away the steps that could be redone.
void PushStep(QUndoStack* stack, QUndoCommand* step);

// Sets the global prestige. Consecutive changes, such as the keystrokes of
// one number, merge into one step.
class ChangePrestige : public QUndoCommand {
public:
    ChangePrestige(TSaveGame& image, std::uint16_t value);

    void redo() override;
    void undo() override;
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    TSaveGame& image_;
    std::uint16_t before_;
    std::uint16_t after_;
};
