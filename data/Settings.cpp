#include "data/Settings.h"

#include "data/Equipment.h"
#include "data/FileIO.h"

#include <climits>
#include <filesystem>
#include <vector>

std::string SettingsDir;
std::string GameDir;
std::string SaveGameDir;

namespace {

constexpr const char* GameDirHeader = "[Duvari 2 Directory]";
constexpr const char* SaveGameDirHeader = "[Duvari 2 Save Game Directory]";

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
        lines.push_back(text.substr(pos, end - pos));
        pos = text.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
    }
    return lines;
}

// A hand-edited directory without its final '/' is joined as it stands,
// and so names a file that is not there.
std::string InGameDir(const std::string& name)
{
    if (!GameDir.empty() && GameDir.back() != '/')
        return GameDir + name;
    return ResolveCase(GameDir, name);
}

}  // namespace

void CaptureSettingsDir()
{
    if (!SettingsDir.empty())
        return;
    std::error_code failed;
    const std::filesystem::path dir = std::filesystem::current_path(failed);
    if (!failed)
        SettingsDir = dir.string();
}

std::string SettingsPath()
{
    if (SettingsDir.empty())
        return SettingsFileName;
    return SettingsDir + (SettingsDir.back() == '/' ? "" : "/") + SettingsFileName;
}

bool SettingsExist()
{
    std::error_code ignored;
    return std::filesystem::exists(SettingsPath(), ignored);
}

void ReadSettings()
{
    // Five lines of directory names: what lies beyond cannot matter, so a
    // huge file costs no more than this.
    constexpr std::size_t ReadLimit = 5 * (PATH_MAX + 2);
    const std::vector<std::string> lines = SplitLines(ReadFileStart(SettingsPath(), ReadLimit));
    GameDir = lines.size() > 1 ? lines[1] : "";
    SaveGameDir = lines.size() > 4 ? lines[4] : "";
}

void WriteSettings()
{
    ReplaceFile(SettingsPath(), std::string(GameDirHeader) + "\r\n" + GameDir + "\r\n\r\n"
                                    + SaveGameDirHeader + "\r\n" + SaveGameDir + "\r\n");
}

std::string GameDirOfEquipFile(const std::string& pickedPath)
{
    return pickedPath.substr(0, pickedPath.rfind('/') + 1);
}

std::string GameDirOfSaveGame(const std::string& pickedPath)
{
    const std::size_t last = pickedPath.rfind('/');
    if (last == 0)
        return "/";
    return pickedPath.substr(0, pickedPath.rfind('/', last - 1) + 1);
}

void SetGameDir(const std::string& gameDir)
{
    GameDir = gameDir;
    SaveGameDir = ResolveCase(gameDir, SaveDirName) + "/";
}

std::string EquipFilePath()
{
    return InGameDir(EquipFileName);
}

std::string NameFilePath()
{
    return InGameDir(NameFileName);
}
