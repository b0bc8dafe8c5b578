#include "data/Backups.h"
#include "data/Equipment.h"
#include "tests/support/TestSupport.h"
#include "tools/makedemo/DemoUnits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string Replaced(const std::string& text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    return at == std::string::npos ? text : text.substr(0, at) + to + text.substr(at + from.size());
}

struct ToolRun {
    int status;
    std::string out, err;
};

// Runs dv2tool with the arguments (a shell word list) in dir, with its
// data directory (where copies of saved files go) in dir too, or in the
// environment that env (a command such as "env -u HOME") gives it; before is
// shell text that comes before that, such as "cat FILE | ".
ToolRun Tool(const TempDir& dir, const std::string& arguments, const std::string& before = "", std::string env = "")
{
    if (env.empty())
        env = "env XDG_DATA_HOME=" + dir.path() + "data";
    const int raw = std::system(("cd " + dir.path() + " && " + before + env + " " DV2TOOL " " + arguments
                                 + " >out 2>err").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadBytes(dir / "out"), ReadBytes(dir / "err")};
}

class ToolTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(dir / "game");
        CopyDemo(dir / "game/");
        eqp = ReadBytes(dir / "game/EQUIP97.EQP");
        txt = ReadBytes(dir / "game/EQUIP97.TXT");
    }
    void ExpectGameUntouched()
    {
        EXPECT_EQ(ReadBytes(dir / "game/EQUIP97.EQP"), eqp);
        EXPECT_EQ(ReadBytes(dir / "game/EQUIP97.TXT"), txt);
    }
    TempDir dir;
    std::string eqp, txt;
};

TEST_F(ToolTest, ExportImportRoundTripsAndAnEditedCellShowsInImportAndDiff)
{
    ASSERT_EQ(Tool(dir, "export game -o units.csv").status, 0);
    const std::string csv = ReadBytes(dir / "units.csv");
    EXPECT_EQ(Tool(dir, "export game").out, csv);
    const ToolRun same = Tool(dir, "import game units.csv");
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_EQ(same.out, "");
    ExpectGameUntouched();

    // Unit 30's cost 240 -> 252, as a spreadsheet would write the row.
    const std::size_t row = csv.find("\r\n30,DEN Battleship E-130,Battleship,Denmark,9,40,240,");
    ASSERT_NE(row, std::string::npos);
    const std::size_t cost = csv.find(",240,", row);
    WriteBytes(dir / "units.csv", csv.substr(0, cost) + ",252," + csv.substr(cost + 5));
    const ToolRun dry = Tool(dir, "import game units.csv --dry-run");
    EXPECT_EQ(dry.status, 0);
    EXPECT_EQ(dry.out, "30 \"DEN Battleship E-130\": cost 240 -> 252\n");
    ExpectGameUntouched();

    std::filesystem::copy(dir / "game", dir / "before", std::filesystem::copy_options::recursive);
    EXPECT_EQ(Tool(dir, "import game units.csv").out, dry.out);
    const std::string written = ReadBytes(dir / "game/EQUIP97.EQP");
    EXPECT_EQ(written.size(), eqp.size());
    for (std::size_t i = 0; i < eqp.size(); ++i)
        EXPECT_EQ(written[i] == eqp[i], i != 2 + DemoUnit::Cost20 * EquipRecordSize + Field::Cost) << i;
    EXPECT_EQ(ReadBytes(dir / "game/EQUIP97.TXT"), txt);
    // The editor's copy of each file as it was, kept before the save.
    const std::filesystem::path backups = dir / ("data/" + std::string(ProgramTitle) + "/backups");
    ASSERT_TRUE(std::filesystem::is_directory(backups));
    const std::filesystem::path run = std::filesystem::directory_iterator(backups)->path();
    EXPECT_EQ(ReadBytes(run / "EQUIP97.EQP"), eqp);

    EXPECT_EQ(Tool(dir, "diff before game").status, 1);
    EXPECT_EQ(Tool(dir, "diff before game").out, dry.out);
    EXPECT_EQ(Tool(dir, "diff --csv before game").out, "code,name,field,old,new\r\n30,DEN Battleship E-130,cost,240,252\r\n");
    EXPECT_EQ(Tool(dir, "diff game game").status, 0);
}

// Without a data directory for the copies, an import writes nothing unless
// told to go without them. A relative XDG_DATA_HOME names none.
TEST_F(ToolTest, ImportWithoutADataDirectoryNeedsNoBackup)
{
    ASSERT_EQ(Tool(dir, "export game -o units.csv").status, 0);
    const std::string csv = ReadBytes(dir / "units.csv");
    const std::size_t cost = csv.find(",240,", csv.find("\r\n30,"));
    WriteBytes(dir / "units.csv", csv.substr(0, cost) + ",252," + csv.substr(cost + 5));
    const std::string noDataDir = "env -u HOME XDG_DATA_HOME=data";
    const ToolRun refused = Tool(dir, "import game units.csv", "", noDataDir);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("could not keep a copy of game/EQUIP97.EQP: neither XDG_DATA_HOME nor HOME names a "
                               "directory to keep copies in; nothing was written (--no-backup writes without a copy)"),
              std::string::npos) << refused.err;
    ExpectGameUntouched();
    const ToolRun written = Tool(dir, "import game units.csv --no-backup", "", noDataDir);
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_NE(ReadBytes(dir / "game/EQUIP97.EQP"), eqp);
    EXPECT_FALSE(std::filesystem::exists(dir / "data"));
}

TEST_F(ToolTest, BadInputIsReportedWithoutWritingAndTroubleExitsWith2)
{
    WriteBytes(dir / "bad.csv", "code,cost\r\n0,12\r\n1,13000\r\n2,x\r\n");
    const ToolRun bad = Tool(dir, "import game bad.csv");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("bad.csv:3:2: cost \"13000\""), std::string::npos) << bad.err;
    EXPECT_NE(bad.err.find("bad.csv:4:2: cost \"x\""), std::string::npos) << bad.err;
    ExpectGameUntouched();

    for (const char* command : {"export nowhere", "import game missing.csv", "import game game",
                                "diff game nowhere", "check nowhere", "units missing.sav",
                                "units game/EQUIP97.TXT", "export game -o nowhere/x.csv", "import", "frobnicate"}) {
        const ToolRun run = Tool(dir, command);
        EXPECT_EQ(run.status, 2) << command;
        EXPECT_NE(run.err, "") << command;
    }
    EXPECT_NE(Tool(dir, "frobnicate").err.find("unknown command \"frobnicate\""), std::string::npos);
    ExpectGameUntouched();
    EXPECT_EQ(Tool(dir, "--version").out, "dv2tool 1.5\n");
    EXPECT_EQ(Tool(dir, "import --help").status, 0);
}

// Country bytes that the country name does not show (here a second bit in
// a later byte) are a difference, and an import of the export carries them.
TEST_F(ToolTest, BytesTheNamedCellsDoNotShowAreDiffedAndImported)
{
    const auto copy = [&](const char* to) {
        std::filesystem::copy(dir / "game", dir / to, std::filesystem::copy_options::recursive);
    };
    copy("c4");
    std::string changed = eqp;
    changed[2 + 5 * 73 + 32] |= 1;
    WriteBytes(dir / "c4/EQUIP97.EQP", changed);
    const ToolRun diff = Tool(dir, "diff game c4");
    EXPECT_EQ(diff.status, 1);
    EXPECT_TRUE(diff.out.starts_with("5 \"")) << diff.out;
    EXPECT_NE(diff.out.find("\": raw x"), std::string::npos) << diff.out;
    EXPECT_EQ(std::ranges::count(diff.out, '\n'), 1);

    ASSERT_EQ(Tool(dir, "export c4 -o c4.csv").status, 0);
    copy("c5");
    const ToolRun import = Tool(dir, "import c5 c4.csv");
    EXPECT_EQ(import.out, diff.out);
    EXPECT_EQ(ReadBytes(dir / "c5/EQUIP97.EQP"), changed);
}

// From a pipe, with the changes as CSV or as lines whose quotes are
// escaped, and a dry run on a game that cannot be written.
TEST_F(ToolTest, ImportReadsAPipeAndADryRunNeedsNoWriting)
{
    ASSERT_EQ(Tool(dir, "export game -o units.csv").status, 0);
    const std::string csv = ReadBytes(dir / "units.csv");
    WriteBytes(dir / "units.csv", Replaced(csv, "\r\n30,DEN Battleship E-130,", "\r\n30,\"Say \"\"hi\"\"\\\","));
    const ToolRun lines = Tool(dir, "import game - --dry-run", "cat units.csv | ");
    EXPECT_EQ(lines.status, 0) << lines.err;
    EXPECT_EQ(lines.out, "30 \"DEN Battleship E-130\": name \"DEN Battleship E-130\" -> \"Say \\\"hi\\\"\\\\\"\n");
    EXPECT_EQ(Tool(dir, "import game /dev/stdin --dry-run", "cat units.csv | ").out, lines.out);
    const ToolRun asCsv = Tool(dir, "import --csv --dry-run game -", "cat units.csv | ");
    EXPECT_EQ(asCsv.out, "code,name,field,old,new\r\n30,DEN Battleship E-130,name,DEN Battleship E-130,\"Say \"\"hi\"\"\\\"\r\n");

    WriteBytes(dir / "big.csv", csv + std::string(4 * 1024 * 1024, '\n'));
    const ToolRun big = Tool(dir, "import game -", "cat big.csv | ");
    EXPECT_EQ(big.status, 1);
    EXPECT_NE(big.err.find("stdin:1:1: the file is larger"), std::string::npos) << big.err;

    // Root may write anything, so the dry run runs as nobody then.
    namespace fs = std::filesystem;
    for (const char* path : {"game/EQUIP97.EQP", "game/EQUIP97.TXT", "game", "game/SAVE/GAME1.CSV", "game/SAVE"})
        fs::permissions(dir / path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    fs::permissions(dir.path(), fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    const std::string asNobody = geteuid() == 0 ? "setpriv --reuid=nobody --regid=nogroup --clear-groups " : "";
    // A copy of the program, which nobody may run wherever the build lies.
    fs::copy_file(DV2TOOL, dir / "dv2tool");
    const int raw = std::system(("cd " + dir.path() + " && " + asNobody + "./dv2tool import game units.csv --dry-run"
                                 + " >out 2>err").c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 0) << ReadBytes(dir / "err");
    EXPECT_EQ(ReadBytes(dir / "out"), lines.out);
    const int units = std::system(("cd " + dir.path() + " && " + asNobody + "./dv2tool units game/SAVE/GAME1.CSV"
                                   + " >out 2>err").c_str());
    EXPECT_EQ(WIFEXITED(units) ? WEXITSTATUS(units) : -1, 0) << ReadBytes(dir / "err");
    ExpectGameUntouched();
}

// A reader that is gone before the list of changes comes (as "| head" is
// once it has its lines) does not stop the import: the list comes after.
TEST_F(ToolTest, ImportIsWrittenWhenNobodyReadsTheList)
{
    ASSERT_EQ(Tool(dir, "export game -o units.csv").status, 0);
    const std::string csv = ReadBytes(dir / "units.csv");
    const std::size_t cost = csv.find(",240,", csv.find("\r\n30,DEN Battleship E-130,"));
    WriteBytes(dir / "units.csv", csv.substr(0, cost) + ",252," + csv.substr(cost + 5));
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGPIPE, SIG_DFL);
        dup2(ends[1], STDOUT_FILENO);
        const std::string command = "cd " + dir.path() + " && XDG_DATA_HOME=" + dir.path() + "data " DV2TOOL
                                    " import game units.csv 2>err";
        execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
        _exit(127);
    }
    close(ends[1]);
    int raw = 0;
    waitpid(child, &raw, 0);
    EXPECT_NE(ReadBytes(dir / "game/EQUIP97.EQP"), eqp) << ReadBytes(dir / "err");
}

TEST_F(ToolTest, CheckAndUnitsReadTheDemoGame)
{
    const ToolRun check = Tool(dir, "check game");
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.out.find("7 \"GER Bicycle Rifles\": Infantry movement 9 is over 6\n"), std::string::npos);
    const ToolRun units = Tool(dir, "units game/SAVE/GAME1.CSV");
    EXPECT_EQ(units.status, 0) << units.err;
    EXPECT_TRUE(units.out.starts_with("no,offset,unit,unit_name,transport,transport_name,experience,fuel,"
                                      "total_strength,current_strength\r\n1,12000,1,BEL Tank B-101,0,,120,40,10,10\r\n"
                                      "2,12065,300,NOR Battleship O-400,585,Last Reserve Militia,"))
        << units.out;

    // A names file whose lines end in LF alone reads as one name.
    std::string lines = txt;
    std::erase(lines, '\r');
    WriteBytes(dir / "game/EQUIP97.TXT", lines);
    const ToolRun unixLines = Tool(dir, "check game");
    EXPECT_EQ(unixLines.status, 1);
    EXPECT_TRUE(unixLines.out.starts_with("EQUIP97.TXT has names for 1 of 586 unit types")) << unixLines.out;
}

}  // namespace
