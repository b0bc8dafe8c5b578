// dv2tool: the equipment files and save games of Duvari 2 from the command
// line, for scripts and version control.
#include "cli/Commands.h"

#include <CLI/CLI.hpp>

#include <iostream>

// Missing or unreadable files and refused input, as diff(1) reports trouble.
constexpr int TroubleStatus = 2;

int main(int argc, char** argv)
{
    CLI::App app{"Reads, writes and compares the equipment files (EQUIP97.EQP and EQUIP97.TXT) of a\n"
                 "Duvari 2 game directory as CSV, and lists the units of a save game.",
                 "dv2tool"};
    app.set_version_flag("--version", std::string("dv2tool ") + DV2_VERSION);
    app.require_subcommand(1);

    std::string gameDir, otherDir, file;
    bool asCsv = false;
    ImportOptions importOptions;

    CLI::App* exportCmd = app.add_subcommand("export", "Writes the whole catalogue of GAMEDIR as CSV");
    exportCmd->add_option("GAMEDIR", gameDir, "The game directory")->required();
    exportCmd->add_option("-o,--output", file, "The CSV file to write (default: standard output)");

    CLI::App* importCmd = app.add_subcommand(
        "import", "Reads a CSV into the catalogue of GAMEDIR, checking every cell first, and prints what changes");
    importCmd->add_option("GAMEDIR", gameDir, "The game directory")->required();
    importCmd->add_option("FILE", file, "The CSV file, or - for standard input")->required();
    importCmd->add_flag("--dry-run", importOptions.DryRun, "Print what would change, write nothing");
    importCmd->add_flag("--csv", importOptions.AsCsv, "Print the changes as CSV");
    importCmd->add_flag("--no-backup", importOptions.NoBackup,
                        "Write without first keeping a copy of the two files (needed where no data directory is found)");

    CLI::App* diffCmd = app.add_subcommand(
        "diff", "Lists every changed field, name and added or removed unit code from A to B;\n"
                "exit status 0 when equal, 1 when different, 2 on trouble");
    diffCmd->add_option("A", gameDir, "The first game directory")->required();
    diffCmd->add_option("B", otherDir, "The second game directory")->required();
    diffCmd->add_flag("--csv", asCsv, "Print the differences as CSV");

    CLI::App* checkCmd = app.add_subcommand(
        "check", "Lists what the editor would show differently from what GAMEDIR stores; exit status 1 when any");
    checkCmd->add_option("GAMEDIR", gameDir, "The game directory")->required();

    CLI::App* unitsCmd = app.add_subcommand("units", "Writes the unit list of a save game as CSV");
    unitsCmd->add_option("SAVEGAME", file, "The save game (*.csv or *.sav)")->required();
    unitsCmd->add_option("GAMEDIR", gameDir,
                         "The game directory for the unit names (default: the parent of the save game's directory)");

    // Without this, CLI11 takes an unknown command for an extra argument and
    // only says that a command is required.
    if (argc > 1 && argv[1][0] != '-'
        && app.get_subcommands([&](CLI::App* command) { return command->get_name() == argv[1]; }).empty()) {
        std::cerr << "dv2tool: unknown command \"" << argv[1] << "\" (dv2tool --help lists the commands)\n";
        return TroubleStatus;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : TroubleStatus;
    }
    try {
        if (*exportCmd)
            return ExportCommand(gameDir, file);
        if (*importCmd)
            return ImportCommand(gameDir, file, importOptions);
        if (*diffCmd)
            return DiffCommand(gameDir, otherDir, asCsv);
        if (*checkCmd)
            return CheckCommand(gameDir);
        return UnitsCommand(file, gameDir);
    } catch (const std::exception& e) {  // FileError, FileRefused, and whatever else stops a command
        std::cerr << "dv2tool: " << e.what() << '\n';
    }
    return TroubleStatus;
}
