#include "data/Equipment.h"
#include "data/FileIO.h"
#include "sgeditor/SaveGame.h"
#include "tests/faults/Faults.h"
#include "tests/support/GameFormat.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <dlfcn.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace {

// How a save is stopped at its k-th step that changes the disk: killed
// before it, as by kill -9 or a power cut; that step failing; or that step
// and every later one failing, so that putting back fails too.
enum class Stop { Kill, Fail, FailFromThere };

int StepsToStop = 0;  // 0: no stop armed
Stop How = Stop::Kill;
bool Stopped = false;
// With a pipe's two ends, the first rename signals on the one and waits on
// the other: a save paused once its journal is written.
int PausedOut = -1, ResumeIn = -1;

// Whether the step that calls this must fail.
bool StopsHere()
{
    if (StepsToStop == 0 || --StepsToStop > 0)
        return false;
    Stopped = true;
    if (How == Stop::Kill)
        kill(getpid(), SIGKILL);
    StepsToStop = How == Stop::FailFromThere ? 1 : 0;
    errno = EIO;
    return true;
}

template <class Function>
Function* Real(const char* name)
{
    return reinterpret_cast<Function*>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// Every step of the program that changes the disk comes through these,
// which stand in for the C library's in the file layer linked into this test.
extern "C" {
int rename(const char* from, const char* to) noexcept
{
    static auto* real = Real<int(const char*, const char*)>("rename");
    if (char signal = 0; PausedOut >= 0 && write(std::exchange(PausedOut, -1), &signal, 1) == 1)
        (void)!read(ResumeIn, &signal, 1);
    return StopsHere() ? -1 : real(from, to);
}
int link(const char* from, const char* to) noexcept
{
    static auto* real = Real<int(const char*, const char*)>("link");
    return StopsHere() ? -1 : real(from, to);
}
int unlink(const char* path) noexcept
{
    static auto* real = Real<int(const char*)>("unlink");
    return StopsHere() ? -1 : real(path);
}
ssize_t pwrite(int fd, const void* buffer, size_t size, off_t offset)
{
    static auto* real = Real<ssize_t(int, const void*, size_t, off_t)>("pwrite");
    return StopsHere() ? -1 : real(fd, buffer, size, offset);
}
// What a killed process wrote stays in memory for the next one to read,
// so the flush itself does not matter here, and is left out for speed.
int fsync(int)
{
    return StopsHere() ? -1 : 0;
}
int ftruncate(int fd, off_t size) noexcept
{
    static auto* real = Real<int(int, off_t)>("ftruncate");
    return StopsHere() ? -1 : real(fd, size);
}
}

namespace {

namespace Eqp = GameFormat::Eqp;
namespace Sav = GameFormat::Sav;

// A save of files in a directory, and the load that follows it.
struct SaveCase {
    const char* what;
    std::function<void(const std::string& dir)> setUp;  // writes the old files
    std::function<void()> prepare;                      // loads them and edits, in memory
    std::function<void()> save, load;
    // Without a journal, only a failure can be undone, not a kill.
    bool journaled = true;
};

// The outcome of a save or load stopped at step k, as the child's exit status.
enum Outcome { NotReached = 10, ReachedAndFailed, ReachedButSucceeded };

int StoppedAt(const std::function<void()>& run, int k, Stop how, bool asNobody)
{
    const pid_t child = fork();
    if (child == 0) {
        std::optional<AsNobody> nobody;
        if (asNobody)
            nobody.emplace();
        How = how;
        StepsToStop = k;
        const std::string error = ErrorText(run);
        StepsToStop = 0;
        _exit(!Stopped ? NotReached : error != "no error" ? ReachedAndFailed : ReachedButSucceeded);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status);
}

// A save stopped at any one of its steps, in any of the three ways, leaves
// the directory so that the next load finds all the old files or all the
// new ones, exactly: nothing mixed, nothing missing, nothing left over,
// even when that load is killed too while it puts files back, and one more
// follows. A
// save that failed leaves the old files at once, unless putting back
// failed too; one that said it succeeded, the new ones.
void ExpectEveryStopRecovers(const SaveCase& c)
{
    SCOPED_TRACE(c.what);
    const TempDir dir;
    c.setUp(dir.path());
    const DirContents before = ContentsOf(dir.path());
    c.prepare();
    c.save();
    const DirContents after = ContentsOf(dir.path());
    ASSERT_NE(ChangedPaths(before, after), "");
    // Stops the save at step k and kills the first load at its step j (none
    // for 0); false when the save or that load has fewer steps.
    const auto stopAt = [&](Stop how, int k, int j) {
        SCOPED_TRACE("save stopped in way " + std::to_string(int(how)) + " at step " + std::to_string(k)
                     + ", load killed at step " + std::to_string(j));
        fs::remove_all(dir.path());
        fs::create_directory(dir.path());
        c.setUp(dir.path());
        c.prepare();
        const int outcome = StoppedAt(c.save, k, how, !c.journaled);
        if (outcome == NotReached)
            return false;
        EXPECT_TRUE(outcome == ReachedAndFailed || outcome == ReachedButSucceeded || outcome == SIGKILL) << outcome;
        if (j == 0 && outcome == ReachedAndFailed && how == Stop::Fail) {
            EXPECT_EQ(ChangedPaths(before, ContentsOf(dir.path())), "");
        }
        // A load has files to put back only where the save left its journal.
        const auto journal = [](const auto& entry) { return entry.first.ends_with(".dv2-journal"); };
        if (j > 0
            && (std::ranges::none_of(ContentsOf(dir.path()), journal)
                || StoppedAt(c.load, j, Stop::Kill, false) == NotReached))
            return false;
        ErrorText(c.load);
        const DirContents loaded = ContentsOf(dir.path());
        if (outcome == ReachedButSucceeded) {
            EXPECT_EQ(ChangedPaths(after, loaded), "");
        } else {
            EXPECT_TRUE(ChangedPaths(before, loaded).empty() || ChangedPaths(after, loaded).empty())
                << "old: " << ChangedPaths(before, loaded) << "new: " << ChangedPaths(after, loaded);
        }
        return true;
    };
    for (const Stop how : {Stop::Kill, Stop::Fail, Stop::FailFromThere}) {
        if (!c.journaled && how != Stop::Fail)
            continue;
        for (int k = 1; stopAt(how, k, 0); ++k)
            for (int j = 1; how == Stop::Kill && stopAt(how, k, j); ++j) {
            }
    }
}

std::string EqpBytes(std::uint16_t count)
{
    std::string bytes{static_cast<char>(count % 256), static_cast<char>(count / 256)};
    for (std::uint16_t k = 0; k < count; ++k)
        bytes += std::string(1, static_cast<char>(k)) + std::string(Eqp::RecordSize - 1, '\x07');
    return bytes + "bytes after the records";
}

// Bytes with a unit list of five units (codes 1 to 5) at 12000.
std::string SaveGameBytes()
{
    std::string bytes(13000, '\x09');
    for (std::size_t k = 0; k < 5; ++k) {
        const std::size_t p = 12000 + Sav::RecordSize * k;
        bytes[p] = bytes[p + Sav::TypeCodeCopy] = static_cast<char>(1 + k);
        bytes[p + 1] = bytes[p + Sav::TypeCodeCopy + 1] = 0;
    }
    return bytes;
}

TEST(SaveStepsTest, SavesStoppedAtAnyStepLeaveOldOrNewFilesAfterTheNextLoad)
{
    std::string eqp, txt, sav;
    const auto pair = [&](bool withNames, bool secondName) {
        return [=, &eqp, &txt](const std::string& dir) {
            eqp = dir + "EQUIP97.EQP";
            txt = dir + "EQUIP97.TXT";
            WriteBytes(eqp, EqpBytes(4));
            if (withNames)
                WriteBytes(txt, "zero\r\none\r\ntwo\r\nthree\r\nlines beyond the count\r\n");
            if (secondName)  // written in place, so kept by a copy
                fs::create_hard_link(eqp, dir + "SECOND.EQP");
        };
    };
    const auto pairInClosedDirectory = [&](const std::string& dir) {
        pair(true, false)(dir);
        OpenToOthers(dir);
        chmod(dir.c_str(), 0555);
    };
    const auto editTable = [&] {
        TEquipTable table;
        LoadEquipFile(eqp, table);
        Equipment = table;
        Equipment.UnitNames[1] = "Edited";
        Equipment.Records[1][Eqp::Cost] = 99;
        AddUnit(2);
    };
    const auto savePair = [&] { SaveEquipment(eqp, txt); };
    // From the game's directory by relative names, as a tool run there does;
    // loaded by the absolute ones, as the editor does.
    const auto savePairFromItsDirectory = [&] {
        const fs::path was = fs::current_path();
        fs::current_path(fs::path(eqp).parent_path());
        SaveEquipment("EQUIP97.EQP", "EQUIP97.TXT");
        fs::current_path(was);
    };
    const auto loadPair = [&] { LoadEquipment(eqp, txt); };

    TSaveGame game;
    const auto saveGame = [&](bool secondName) {
        return [=, &sav](const std::string& dir) {
            sav = dir + "GAME1.CSV";
            WriteBytes(sav, SaveGameBytes());
            if (secondName)
                fs::create_hard_link(sav, dir + "SECOND.CSV");
        };
    };
    const auto editGame = [&] {
        game.LoadFromFile(sav);
        game.SetPrestige(1234);
        game.WriteUnit(2, {3, 1, 500, 30, 10, 9});
    };
    const auto loadGame = [&] { TSaveGame().LoadFromFile(sav); };

    const SaveCase cases[] = {
        {"the pair", pair(true, false), editTable, savePair, loadPair},
        {"the pair saved by relative names", pair(true, false), editTable, savePairFromItsDirectory, loadPair},
        {"the pair, the names file new", pair(false, false), editTable, savePair, loadPair},
        {"the pair, the record file written in place", pair(true, true), editTable, savePair, loadPair},
        {"the pair in a directory that takes no new file", pairInClosedDirectory, editTable, savePair, loadPair, false},
        {"a save game", saveGame(false), editGame, [&] { game.SaveToFile(sav); }, loadGame},
        {"a save game written in place", saveGame(true), editGame, [&] { game.SaveToFile(sav); }, loadGame},
    };
    for (const SaveCase& c : cases)
        ExpectEveryStopRecovers(c);
}

// A save run in a child process, paused at its first rename, once its
// journal is written; writing a byte to resume lets it go on.
struct PausedSave {
    pid_t pid;
    int resume;
};
PausedSave StartPausedSave(const std::function<void()>& save)
{
    int paused[2], resume[2];
    if (pipe(paused) != 0 || pipe(resume) != 0)
        throw std::runtime_error("no pipe");
    const pid_t pid = fork();
    if (pid == 0) {
        PausedOut = paused[1];
        ResumeIn = resume[0];
        _exit(ErrorText(save) == "no error" ? 0 : 1);
    }
    char signal = 0;
    EXPECT_EQ(read(paused[0], &signal, 1), 1);
    return {pid, resume[1]};
}

// A load while a save of the same files is under way waits for the save,
// instead of taking its journal for an interrupted save's and undoing it.
TEST(SaveStepsTest, ALoadWaitsForASaveUnderWay)
{
    const TempDir dir;
    const std::string eqp = dir / "EQUIP97.EQP", txt = dir / "EQUIP97.TXT";
    WriteBytes(eqp, EqpBytes(4));
    WriteBytes(txt, "zero\r\none\r\ntwo\r\nthree\r\n");
    LoadEquipment(eqp, txt);
    Equipment.UnitNames[1] = "Edited";
    const PausedSave saver = StartPausedSave([&] { SaveEquipment(eqp, txt); });
    const pid_t loader = fork();
    if (loader == 0)
        _exit(ErrorText([&] { LoadEquipment(eqp, txt); }) == "no error" ? 0 : 1);
    // Time for a load that does not wait to undo the save.
    int loaded = -1;
    for (int k = 0; k < 50 && waitpid(loader, &loaded, WNOHANG) == 0; ++k)
        usleep(10000);
    ASSERT_EQ(write(saver.resume, "", 1), 1);
    int saved = -1;
    waitpid(saver.pid, &saved, 0);
    if (loaded == -1)
        waitpid(loader, &loaded, 0);
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(loaded, 0);
    EXPECT_EQ(ReadBytes(txt), "zero\r\nEdited\r\ntwo\r\nthree\r\n");
}

// A save game killed before its file was replaced is put back by the next
// load, which says so of the one file.
TEST(SaveStepsTest, LoadOfAKilledSaveGameSaysItWasPutBack)
{
    const TempDir dir;
    const std::string sav = dir / "GAME1.CSV";
    WriteBytes(sav, SaveGameBytes());
    TSaveGame game;
    ASSERT_TRUE(game.LoadFromFile(sav));
    game.SetPrestige(1234);
    const PausedSave saver = StartPausedSave([&] { game.SaveToFile(sav); });
    kill(saver.pid, SIGKILL);
    waitpid(saver.pid, nullptr, 0);
    ASSERT_TRUE(game.LoadFromFile(sav));
    EXPECT_EQ(game.Recovered(),
              "The last save of GAME1.CSV was interrupted before it was complete; the file is as it was before it.");
    EXPECT_EQ(ReadBytes(sav), SaveGameBytes());
}

}  // namespace
