// The settings file. Input: the bytes of DV2Edit.ini.
//
// Whatever it holds, the directories read from it are single lines that
// write back and read again unchanged, and the rules that derive a game
// directory from a picked path give a prefix of that path.
#include "fuzz/FuzzSupport.h"

#include "data/FileIO.h"
#include "data/Settings.h"

namespace {

bool IsLine(const std::string& text)
{
    return text.find_first_of("\r\n") == std::string::npos;
}

bool IsDirPrefixOf(const std::string& dir, const std::string& path)
{
    return path.starts_with(dir) && (dir.empty() || dir.back() == '/');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SettingsDir = ScratchDir();
    WriteInput(SettingsPath(), AsBytes(data, size));

    ReadSettings();
    FUZZ_CHECK(IsLine(GameDir) && IsLine(SaveGameDir));
    const std::string gameDir = GameDir;
    const std::string saveGameDir = SaveGameDir;

    WriteSettings();
    FUZZ_CHECK(ReadWholeFile(SettingsPath())
               == "[Duvari 2 Directory]\r\n" + gameDir + "\r\n\r\n[Duvari 2 Save Game Directory]\r\n"
                      + saveGameDir + "\r\n");
    GameDir.clear();
    SaveGameDir.clear();
    ReadSettings();
    FUZZ_CHECK(GameDir == gameDir && SaveGameDir == saveGameDir);

    FUZZ_CHECK(EquipFilePath().starts_with(gameDir));
    FUZZ_CHECK(IsDirPrefixOf(GameDirOfEquipFile(gameDir), gameDir));
    FUZZ_CHECK(IsDirPrefixOf(GameDirOfSaveGame(saveGameDir), saveGameDir));
    return 0;
}
