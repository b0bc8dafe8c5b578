#pragma once

#include <QString>

#include "data/Backups.h"
#include "data/FileError.h"

class QWidget;

// The program's name as the error boxes and the application show it.
inline const QString AppTitle = QStringLiteral("Duvari 2 Unit Editor Version 1.5");

// An error box: captioned with AppTitle, error icon, one OK. A full stop is
// added when the text's last character sorts after ".".
void ShowErrorBox(QWidget* parent, const QString& text);
// A refusal or invalid input: caption "Warning", warning icon, one OK.
void ShowWarningBox(QWidget* parent, const QString& text);
// A question: information icon, Yes and No. True only for Yes.
bool AskYesNo(QWidget* parent, const QString& text);

// Text of the data layer (file names come as local 8-bit bytes).
QString MessageText(const std::exception& error);

// Asks whether to save without the copy that could not be made; on Yes,
// lets the file be saved without one for the rest of the run.
bool AskSaveWithoutCopy(QWidget* parent, const CopyFailed& failed);

// Runs a user command. A file error ends it and is shown in the error box;
// a refused file in a warning box. A save whose copy could not be made has
// written nothing: it runs again when the user lets it go on without the
// copy. Returns whether the command completed.
template <typename Command>
bool RunCommand(QWidget* parent, Command&& command)
{
    for (;;) {
        try {
            command();
            return true;
        } catch (const CopyFailed& failed) {
            if (!AskSaveWithoutCopy(parent, failed))
                return false;
        } catch (const FileError& error) {
            ShowErrorBox(parent, MessageText(error));
            return false;
        } catch (const FileRefused& refusal) {
            ShowWarningBox(parent, MessageText(refusal));
            return false;
        }
    }
}
