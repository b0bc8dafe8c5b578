#pragma once

#include <string>

// Where the game is installed, remembered in DV2Edit.ini: five positional
// lines ("[Duvari 2 Directory]", GameDir, "", "[Duvari 2 Save Game
// Directory]", SaveGameDir), written with CR LF.

constexpr const char* SettingsFileName = "DV2Edit.ini";
constexpr const char* SaveDirName = "SAVE";  // inside GameDir

// The working directory at start-up, without a trailing '/' (the root
// keeps its own); empty until the first editor window is activated.
extern std::string SettingsDir;
// The game directory, ending with '/', or empty (the working directory).
extern std::string GameDir;
// GameDir + "SAVE/" when derived; as read from the settings file otherwise.
extern std::string SaveGameDir;

// Sets SettingsDir to the process's working directory when it is empty.
void CaptureSettingsDir();

std::string SettingsPath();
bool SettingsExist();
// Reads GameDir from line 2 and SaveGameDir from line 5 as they stand;
// missing lines read as empty. CR LF, CR or LF each end a line.
void ReadSettings();
// Writes the five lines from GameDir and SaveGameDir, replacing the file
// whole so that a failure leaves the old one.
void WriteSettings();

// Rule A: the directory of a file picked in the unit attribute editor, up
// to and including its last '/'.
std::string GameDirOfEquipFile(const std::string& pickedPath);
// Rule B: the parent of the directory of a picked save game, up to and
// including its '/'; a file directly in "/" gives "/".
std::string GameDirOfSaveGame(const std::string& pickedPath);
// GameDir := gameDir; SaveGameDir := gameDir + the entry of gameDir named
// SAVE in any letter case, or "SAVE/" when there is none.
void SetGameDir(const std::string& gameDir);

// The equipment files of GameDir, found regardless of letter case.
std::string EquipFilePath();
std::string NameFilePath();
