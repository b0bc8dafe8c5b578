#include "data/Equipment.h"
#include "tests/faults/Faults.h"
#include "tests/support/TestSupport.h"
#include "tools/makedemo/DemoUnits.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

bool SameTable(const TEquipTable& a, const TEquipTable& b)
{
    return a.UnitCount == b.UnitCount && a.Records == b.Records && a.UnitNames == b.UnitNames;
}

std::string CountBytes(std::uint16_t count)
{
    return {static_cast<char>(count % 256), static_cast<char>(count / 256)};
}

// Every failed save or load leaves both files, the directory and the table
// as they were, and the table can still be saved elsewhere. The table is
// the demo, edited as a user would: a name, a cost, and a unit added, so
// that the record file has to grow.
TEST(EquipmentFaultsTest, FailedSavesAndLoadsLeaveTheFilesAndTheTable)
{
    const TempDir dir;
    const std::string eqp = dir / EquipFileName, txt = dir / NameFileName, damaged = dir / "DAMAGED.EQP";
    const auto save = [&] { SaveEquipment(eqp, txt); };
    const auto load = [&](const std::string& eqpPath, const std::string& txtPath) {
        return [=] { LoadEquipment(eqpPath, txtPath); };
    };
    const auto damage = [&](const std::string& bytes) {
        return [=] {
            WriteBytes(damaged, bytes);
            chmod(damaged.c_str(), 0666);
        };
    };
    const auto readOnly = [](const std::string& path) { return [=] { chmod(path.c_str(), 0444); }; };
    const auto byDirectory = [](const std::string& path) {
        return [=] {
            fs::remove(path);
            fs::create_directory(path);
        };
    };
    const auto pipe = [](const std::string& path) { return [=] { MakePipe(path); }; };
    const auto loop = [](const std::string& path) {
        return [=] {
            fs::remove(path);
            fs::create_symlink(path, path);
        };
    };
    const std::string records = std::string(10 * EquipRecordSize, '\x07');
    const StepFault faults[] = {
        {"save: record file read-only", readOnly(eqp), save, "File access denied"},
        {"save: names file read-only", readOnly(txt), save, "File access denied"},
        {"save: names file a directory", byDirectory(txt), save, "File access denied"},
        {"save: names file a pipe", pipe(txt), save, txt + " is not an ordinary file"},
        {"save: names file a link to itself", loop(txt), save, "Invalid filename"},
        {"save: record file gone", [&] { fs::remove(eqp); }, save, "File not found"},
        {"save: disk full half way", [] {}, save, "Disk full", 20000},
        {"load: half a count", damage("\x05"), load(damaged, txt), "Read beyond end of file"},
        {"load: cut inside the last record", damage(CountBytes(10) + records.substr(1)), load(damaged, txt),
         "Read beyond end of file"},
        {"load: count 0", damage(CountBytes(0) + records), load(damaged, txt), damaged + " holds 0 unit types"},
        {"load: count 1", damage(CountBytes(1) + records), load(damaged, txt), damaged + " holds 1 unit type, but"},
        {"load: count 1025", damage(CountBytes(1025) + std::string(1025 * EquipRecordSize, '\x07')),
         load(damaged, txt), damaged + " holds 1025 unit types"},
        {"load: names file missing", damage(CountBytes(2) + records), load(damaged, dir / "no.txt"), "File not found"},
        {"load: record file missing", [] {}, load(dir / "no.eqp", txt), "File not found"},
        {"load: record file a directory", byDirectory(eqp), load(eqp, txt), "File access denied"},
        {"load: record file read-only", readOnly(eqp), load(eqp, txt), "File access denied"},
        {"load: record file a pipe", pipe(eqp), load(eqp, txt), eqp + " is not an ordinary file"},
        {"load: names file a pipe", pipe(txt), load(eqp, txt), txt + " is not an ordinary file"},
        {"load: names file a device",
         [&] {
             fs::remove(txt);
             fs::create_symlink("/dev/zero", txt);
         },
         load(eqp, txt), txt + " is not an ordinary file"},
        {"load: record file a link to itself", loop(eqp), load(eqp, txt), "Invalid filename"},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.what);
        fs::remove_all(eqp);
        fs::remove_all(txt);
        CopyDemo(dir.path());
        OpenToOthers(dir.path());
        LoadEquipment(eqp, txt);
        Equipment.UnitNames[1] = "Edited";
        Equipment.Records[1][Field::Cost] ^= 1;
        ASSERT_EQ(AddUnit(2), 586);
        const auto table = std::make_unique<TEquipTable>(Equipment);
        ExpectStepFails(fault, dir.path());
        EXPECT_TRUE(SameTable(Equipment, *table));

        const TempDir other;
        CopyDemo(other.path());
        SaveEquipment(other / EquipFileName, other / NameFileName);
        LoadEquipment(other / EquipFileName, other / NameFileName);
        EXPECT_TRUE(SameTable(Equipment, *table));
        chmod(dir.path().c_str(), 0777);
    }
}

// Where the old files cannot be replaced by new ones without losing their
// owner, their other names or their directory's consent, they are written
// in place, whole; a huge sparse file costs only its data. Saved as
// "nobody" where the owner or the directory must stand in the way.
TEST(EquipmentFaultsTest, SavesWriteWholeWhatCannotBeReplaced)
{
    const TempDir dir;
    const std::string eqp = dir / EquipFileName, txt = dir / NameFileName;
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    const off_t huge = 200'000'000'000;
    struct Case {
        const char* what;
        std::function<void()> apply;
        bool asNobody;
        uid_t eqpOwner;
    };
    const Case cases[] = {
        {"directory read-only", [&] { chmod(dir.path().c_str(), 0555); }, true, 0},
        {"files of another user", [] {}, true, 0},
        {"names file of another user in a sticky directory",
         [&] {
             chmod(dir.path().c_str(), 01777);
             chown(eqp.c_str(), nobody->pw_uid, nobody->pw_gid);
         },
         true, nobody->pw_uid},
        {"record file with a second name", [&] { link(eqp.c_str(), (dir / "LINK.EQP").c_str()); }, false, 0},
        {"record file of 200 GB, sparse", [&] { truncate(eqp.c_str(), huge); }, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir / "LINK.EQP");
        CopyDemo(dir.path());
        chown(eqp.c_str(), 0, 0);
        OpenToOthers(dir.path());
        c.apply();
        LoadEquipment(eqp, txt);
        ASSERT_EQ(AddUnit(2), 586);
        Equipment.UnitNames[586] = "Added";
        const TempDir other;
        CopyDemo(other.path());
        SaveEquipment(other / EquipFileName, other / NameFileName);
        const std::size_t recordBytes = 2 + 587 * EquipRecordSize;

        const auto save = [&] { SaveEquipment(eqp, txt); };
        EXPECT_EQ(c.asNobody ? FaultText(0, "", save) : ErrorText(save), "no error");
        EXPECT_EQ(ReadBytes(eqp, recordBytes), ReadBytes(other / EquipFileName, recordBytes));
        EXPECT_EQ(ReadBytes(txt), ReadBytes(other / NameFileName));
        struct stat st {};
        stat(eqp.c_str(), &st);
        EXPECT_EQ(st.st_uid, c.eqpOwner);
        if (fs::exists(dir / "LINK.EQP")) {
            EXPECT_EQ(ReadBytes(dir / "LINK.EQP"), ReadBytes(eqp));
        }
        chmod(dir.path().c_str(), 0777);
    }
    EXPECT_EQ(fs::file_size(eqp), huge);
}

// A catalogue that may only be read: the editor's load refuses it, since
// it must be able to save it; reading it into a table of one's own, as
// dv2tool export, diff and check do, does not.
TEST(EquipmentFaultsTest, ReadOnlyCatalogueIsReadButNotLoadedForEditing)
{
    const TempDir dir;
    CopyDemo(dir.path());
    OpenToOthers(dir.path());
    const std::string eqp = dir / EquipFileName, txt = dir / NameFileName;
    chmod(eqp.c_str(), 0444);
    chmod(txt.c_str(), 0444);
    const AsNobody nobody;
    EXPECT_EQ(ErrorText([&] { LoadEquipment(eqp, txt); }), "File access denied");
    auto table = std::make_unique<TEquipTable>();
    LoadEquipFile(eqp, *table);
    LoadNameFile(txt, *table);
    EXPECT_EQ(table->UnitCount, DemoUnit::Count);
}

// Of a names file of 200 GB whose first line end is at its end, the first
// name is its first 28 bytes, and the hole is not read: neither by the load
// nor by dv2tool check, which measures the lines.
TEST(EquipmentFaultsTest, HugeSparseNamesFileLoads)
{
    const TempDir dir;
    CopyDemo(dir.path());
    const std::string txt = dir / NameFileName;
    constexpr std::uint64_t huge = 200'000'000'000;
    fs::resize_file(txt, 0);
    fs::resize_file(txt, huge - 5);
    std::ofstream(txt, std::ios::binary | std::ios::app) << "\r\nend";
    LoadEquipment(dir / EquipFileName, txt);
    EXPECT_EQ(Equipment.UnitNames[0], std::string(28, '\0'));
    EXPECT_EQ(Equipment.UnitNames[1], "end");
    EXPECT_EQ(Equipment.UnitNames[Equipment.UnitCount - 1], "");
    EXPECT_EQ(NameLineLengths(txt, Equipment.UnitCount), (std::vector<std::uint64_t>{huge - 5, 3}));

    // All hole: one line as long as the file, and no second name.
    fs::resize_file(txt, 0);
    fs::resize_file(txt, huge);
    LoadEquipment(dir / EquipFileName, txt);
    EXPECT_EQ(Equipment.UnitNames[0], std::string(28, '\0'));
    EXPECT_EQ(Equipment.UnitNames[1], "");
    EXPECT_EQ(NameLineLengths(txt, Equipment.UnitCount), std::vector<std::uint64_t>{huge});
}

}  // namespace
