#include "cli/Commands.h"

#include "data/Backups.h"
#include "data/Cp1252.h"
#include "data/EquipCsv.h"
#include "data/Equipment.h"
#include "data/FileError.h"
#include "data/FileIO.h"
#include "data/Settings.h"
#include "data/UnitCodes.h"
#include "sgeditor/SaveGame.h"

#include <bit>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

namespace {

std::string AsDir(std::string dir)
{
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

// A file step whose error names the file it failed on.
template <class Step>
auto OnFile(const std::string& path, Step step)
{
    try {
        return step();
    } catch (const FileError& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
}

// What was done with a save of the files that was interrupted.
void ReportRecovery(const std::string& recovered)
{
    if (!recovered.empty())
        std::cerr << "dv2tool: " << recovered << '\n';
}

// The equipment pair of a game directory into the process-wide table, as
// the editor's "Load File" reads it, so that a save goes the same way too.
void LoadGame(const std::string& gameDir)
{
    SetGameDir(AsDir(gameDir));
    OnFile(EquipFilePath() + " or " + NameFilePath(),
           [] { ReportRecovery(LoadEquipment(EquipFilePath(), NameFilePath())); });
}

// The pair of a game directory into a table of its own.
std::unique_ptr<TEquipTable> ReadGame(const std::string& gameDir)
{
    auto table = std::make_unique<TEquipTable>();
    const std::string eqp = ResolveCase(AsDir(gameDir), EquipFileName);
    const std::string txt = ResolveCase(AsDir(gameDir), NameFileName);
    OnFile(eqp + " or " + txt, [&] { ReportRecovery(RecoverFiles({eqp, txt})); });
    OnFile(eqp, [&] { LoadEquipFile(eqp, *table); });
    OnFile(txt, [&] { LoadNameFile(txt, *table); });
    return table;
}

void WriteOut(const std::string& text)
{
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
        throw std::runtime_error(std::string("standard output: ") + FileError::FromErrno(errno).what());
}

std::string ChangeLine(const EquipChange& change)
{
    std::string line = std::to_string(change.Code) + " \"" + Escaped(change.Name) + "\": " + std::string(change.What);
    if (change.What == "name")
        line += " \"" + Escaped(change.Old) + "\" -> \"" + Escaped(change.New) + "\"";
    else if (change.What != "added" && change.What != "removed")
        line += " " + change.Old + " -> " + change.New;
    return line + "\n";
}

// The CSV text of a file, or of standard input for "-" (or /dev/stdin,
// which a file read refuses as a pipe), within the same limit.
std::string ReadCsv(const std::string& path)
{
    if (path != "-" && path != "/dev/stdin")
        return OnFile(path, [&] { return ReadEquipCsvFile(path); });
    std::string text(MaxEquipCsvSize + 1, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), stdin));
    if (std::ferror(stdin))
        throw std::runtime_error(std::string("standard input: ") + FileError::FromErrno(errno).what());
    return text;
}

// "1 change", "2 changes".
std::string CountOfChanges(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " change" : " changes");
}

std::string ChangesText(const std::vector<EquipChange>& changes, bool asCsv)
{
    std::string text;
    if (asCsv)
        AppendCsvLine(text, {"code", "name", "field", "old", "new"});
    for (const EquipChange& change : changes) {
        if (asCsv)
            AppendCsvLine(text, {std::to_string(change.Code), change.Name, std::string(change.What), change.Old, change.New});
        else
            text += ChangeLine(change);
    }
    return text;
}

}  // namespace

int ExportCommand(const std::string& gameDir, const std::string& outputPath)
{
    const auto table = ReadGame(gameDir);
    if (outputPath.empty() || outputPath == "-")
        WriteOut(ExportEquipCsv(*table));
    else
        OnFile(outputPath, [&] { WriteEquipCsvFile(outputPath, *table); });
    return 0;
}

int ImportCommand(const std::string& gameDir, const std::string& csvPath, const ImportOptions& options)
{
    // A dry run only reads the game, as diff does, so that it works on a
    // game installed read-only; an import loads it as the editor does.
    std::unique_ptr<TEquipTable> readOnly;
    if (options.DryRun)
        readOnly = ReadGame(gameDir);
    else
        LoadGame(gameDir);
    const TEquipTable& current = readOnly ? *readOnly : Equipment;
    const EquipCsvImport imported = ImportEquipCsv(ReadCsv(csvPath), csvPath == "-" ? "stdin" : csvPath, current);
    std::cerr << ListedErrors(imported.Errors);
    if (!imported.Table) {
        std::cerr << "dv2tool: " << CountOfErrors(imported.Errors.size()) << "; nothing was written\n";
        return 1;
    }
    const std::vector<EquipChange> changes = CompareEquipment(current, *imported.Table);
    if (options.DryRun || changes.empty()) {
        WriteOut(ChangesText(changes, options.AsCsv));
        std::cerr << "dv2tool: " << CountOfChanges(changes.size()) << "; nothing was written\n";
        return 0;
    }
    Equipment = *imported.Table;
    if (!options.NoBackup)
        SetUpBackups();
    try {
        OnFile(EquipFilePath() + " or " + NameFilePath(), [] { SaveEquipment(EquipFilePath(), NameFilePath()); });
    } catch (const CopyFailed& failed) {
        throw std::runtime_error("could not keep a copy of " + failed.path() + ": " + failed.what()
                                 + "; nothing was written (--no-backup writes without a copy)");
    }
    const std::string written =
        CountOfChanges(changes.size()) + " written to " + EquipFilePath() + " and " + NameFilePath();
    // Listed once written, so that a reader that stops early (| head) cannot stop the save.
    try {
        WriteOut(ChangesText(changes, options.AsCsv));
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(written + ", but not listed: " + e.what());
    }
    std::cerr << "dv2tool: " << written << '\n';
    return 0;
}

int DiffCommand(const std::string& gameDirA, const std::string& gameDirB, bool asCsv)
{
    const auto a = ReadGame(gameDirA);
    const auto b = ReadGame(gameDirB);
    const std::vector<EquipChange> changes = CompareEquipment(*a, *b);
    WriteOut(ChangesText(changes, asCsv));
    return changes.empty() ? 0 : 1;
}

int CheckCommand(const std::string& gameDir)
{
    const auto table = ReadGame(gameDir);
    const std::string txt = ResolveCase(AsDir(gameDir), NameFileName);
    const std::vector<std::uint64_t> lengths = OnFile(txt, [&] { return NameLineLengths(txt, table->UnitCount); });
    std::string found;
    // Lines ended otherwise than by CR (LF alone, as Unix tools write them) run into one name.
    if (lengths.size() < table->UnitCount)
        found += NameFileName + std::string(" has names for ") + std::to_string(lengths.size()) + " of "
                 + std::to_string(table->UnitCount) + " unit types (a line ends in CR LF); the others read as empty\n";
    // Code 0 is never shown.
    for (std::uint16_t code = 1; code < table->UnitCount; ++code) {
        const TEquipRecord& r = table->Records[code];
        const std::string unit = std::to_string(code) + " \"" + Cp1252ToUtf8(table->UnitNames[code]) + "\": ";
        const auto report = [&](const std::string& what) { found += unit + what + "\n"; };
        if (r[Field::UnitClass] == InfantryClass && r[Field::Movement] > InfantryMaxMovement)
            report("Infantry movement " + std::to_string(r[Field::Movement]) + " is over "
                   + std::to_string(InfantryMaxMovement));
        if (r[Field::Cost] == 0)
            report("cost 0");
        if (r[Field::MonthAvailable] < FirstMonth || r[Field::MonthAvailable] > LastMonth)
            report("month " + std::to_string(r[Field::MonthAvailable]) + " is outside "
                   + std::to_string(FirstMonth) + " to " + std::to_string(LastMonth));
        if (r[Field::YearAvailable] < FirstYear || r[Field::YearAvailable] > LastYear)
            report("year " + std::to_string(r[Field::YearAvailable]) + " is outside "
                   + std::to_string(FirstYear) + " to " + std::to_string(LastYear));
        if (!UnitClassName(r[Field::UnitClass]))
            report("class " + std::to_string(r[Field::UnitClass]) + " has no name");
        int countryBits = 0;
        for (std::size_t i = 0; i < 4; ++i)
            countryBits += std::popcount(r[Field::Countries + i]);
        if (countryBits > 1 || (countryBits == 1 && !CountryName(r)))
            report(countryBits > 1 ? "country bits name several countries" : "country bit names no country");
        const int storedCode = r[Field::UnitCode] | r[Field::UnitCode + 1] << 8;
        if (storedCode != code)
            report("record holds unit code " + std::to_string(storedCode));
        if (code < lengths.size() && lengths[code] > MaxUnitNameLength)
            report("name is " + std::to_string(lengths[code]) + " characters long; "
                   + std::to_string(MaxUnitNameLength) + " are kept");
        if (table->UnitNames[code].find('\n') != std::string::npos)
            report("name holds a line feed, which other programs take for a line end");
    }
    WriteOut(found);
    return found.empty() ? 0 : 1;
}

int UnitsCommand(const std::string& saveGamePath, const std::string& gameDir)
{
    TSaveGame game;
    if (!OnFile(saveGamePath, [&] { return game.LoadFromFile(saveGamePath, false); }))
        throw FileRefused("The file " + saveGamePath + " holds no unit list.");
    ReportRecovery(game.Recovered());
    const auto table = ReadGame(
        gameDir.empty() ? GameDirOfSaveGame(std::filesystem::absolute(saveGamePath).string()) : gameDir);
    const auto nameOf = [&](std::uint16_t code) {
        return code < table->UnitCount ? Cp1252ToUtf8(table->UnitNames[code]) : std::string();
    };
    std::string csv;
    AppendCsvLine(csv, {"no", "offset", "unit", "unit_name", "transport", "transport_name", "experience",
                        "fuel", "total_strength", "current_strength"});
    for (int k = 0; k < game.UnitListCount(); ++k) {
        const TSaveGameUnit unit = game.ReadUnit(k);
        AppendCsvLine(csv, {std::to_string(k + 1), std::to_string(game.UnitOffset(k)),
                            std::to_string(unit.TypeCode), nameOf(unit.TypeCode),
                            std::to_string(unit.TransportCode),
                            unit.TransportCode == 0 ? std::string() : nameOf(unit.TransportCode),
                            std::to_string(unit.Experience), std::to_string(unit.UnitFuel),
                            std::to_string(unit.TotalStrength), std::to_string(unit.CurrentStrength)});
    }
    WriteOut(csv);
    return 0;
}
