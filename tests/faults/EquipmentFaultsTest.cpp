#include "data/Equipment.h"
#include "data/FileError.h"
#include "tests/faults/Faults.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
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

// The demo game, loaded and edited as a user would before saving: a name,
// a cost, and a unit added, so that the record file has to grow.
class EquipmentFaultsTest : public testing::Test {
protected:
    void SetUp() override
    {
        CopyDemo(dir.path());
        OpenToOthers(dir.path());
        LoadEquipment(eqp, txt);
        Equipment.UnitNames[1] = "Edited";
        Equipment.Records[1][Field::Cost] ^= 1;
        ASSERT_EQ(AddUnit(2), 586);
    }

    // After a failure the table still holds the edits: saving it elsewhere
    // works and reads back as the same table.
    void ExpectNextSaveWorks()
    {
        TempDir other;
        CopyDemo(other.path());
        const auto table = std::make_unique<TEquipTable>(Equipment);
        SaveEquipment(other / EquipFileName, other / NameFileName);
        LoadEquipment(other / EquipFileName, other / NameFileName);
        EXPECT_TRUE(SameTable(Equipment, *table));
    }

    TempDir dir;
    const std::string eqp = dir / EquipFileName;
    const std::string txt = dir / NameFileName;
};

TEST_F(EquipmentFaultsTest, FailedSavesLeaveBothFilesAndTheTable)
{
    const auto readOnly = [](const std::string& path) { chmod(path.c_str(), 0444); };
    const auto byDirectory = [](const std::string& path) {
        fs::remove(path);
        fs::create_directory(path);
    };
    struct Fault {
        const char* what;
        std::function<void()> apply;
        std::string text;
        long sizeLimit = 0;
        std::string txtPath;
    };
    const std::string lockedDir = dir / "locked/";
    const Fault faults[] = {
        {"directory read-only", [&] { chmod(dir.path().c_str(), 0555); }, "File access denied", 0, ""},
        {"record file read-only", [&] { readOnly(eqp); }, "File access denied", 0, ""},
        {"names file read-only", [&] { readOnly(txt); }, "File access denied", 0, ""},
        {"record file a directory", [&] { byDirectory(eqp); }, "File access denied", 0, ""},
        {"names file a directory", [&] { byDirectory(txt); }, "File access denied", 0, ""},
        {"record file gone", [&] { fs::remove(eqp); }, "File not found", 0, ""},
        {"disk full half way", [] {}, "Disk full", 20000, ""},
        {"names file in a read-only directory",
         [&] {
             fs::create_directory(lockedDir);
             fs::copy(txt, lockedDir + NameFileName);
             OpenToOthers(lockedDir);
             chmod(lockedDir.c_str(), 0555);
         },
         "File access denied", 0, lockedDir + NameFileName},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        SetUp();
        const auto table = std::make_unique<TEquipTable>(Equipment);
        fault.apply();
        const DirContents before = ContentsOf(dir.path());
        const std::string names = fault.txtPath.empty() ? txt : fault.txtPath;
        EXPECT_EQ(FaultText(fault.sizeLimit, fault.text, [&] { SaveEquipment(eqp, names); }), fault.text);
        EXPECT_EQ(ChangedPaths(before, ContentsOf(dir.path())), "");
        EXPECT_TRUE(SameTable(Equipment, *table));
        ExpectNextSaveWorks();
        chmod(dir.path().c_str(), 0777);
        chmod(lockedDir.c_str(), 0777);
        fs::remove_all(dir.path() + "locked");
        fs::remove_all(eqp);
        fs::remove_all(txt);
    }
}

TEST_F(EquipmentFaultsTest, FailedLoadsLeaveTheFilesAndTheTable)
{
    const std::string demo = ReadBytes(eqp);
    const std::string damaged = dir / "DAMAGED.EQP", folder = dir / "DIR", readOnly = dir / "RO.EQP";
    fs::create_directory(folder);
    fs::copy(eqp, readOnly);
    chmod(readOnly.c_str(), 0444);
    const std::string records = demo.substr(2, 10 * EquipRecordSize);
    const struct {
        const char* what;
        std::string eqpBytes, eqpPath, txtPath, text;
    } damages[] = {
        {"empty", "", damaged, txt, "Read beyond end of file"},
        {"half a count", "\x05", damaged, txt, "Read beyond end of file"},
        {"cut inside a record", demo.substr(0, 2 + 100 * EquipRecordSize + 30), damaged, txt, "Read beyond end of file"},
        {"count 0", CountBytes(0) + records, damaged, txt, damaged + " holds 0 unit types"},
        {"count 1", CountBytes(1) + records, damaged, txt, damaged + " holds 1 unit types"},
        {"count 1025", CountBytes(1025) + std::string(1025 * EquipRecordSize, '\x07'), damaged, txt,
         damaged + " holds 1025 unit types"},
        {"count 65535", CountBytes(65535) + records, damaged, txt, damaged + " holds 65535 unit types"},
        {"names file missing", CountBytes(2) + records, damaged, dir / "missing.txt", "File not found"},
        {"names file a directory", CountBytes(2) + records, damaged, folder, "File access denied"},
        {"record file missing", "", dir / "missing.eqp", txt, "File not found"},
        {"record file a directory", "", folder, txt, "File access denied"},
        {"record file read-only", "", readOnly, txt, "File access denied"},
    };
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.what);
        WriteBytes(damaged, damage.eqpBytes);
        chmod(damaged.c_str(), 0666);
        const auto table = std::make_unique<TEquipTable>(Equipment);
        const DirContents before = ContentsOf(dir.path());
        {
            AsNobody nobody;
            const std::string text = ErrorText([&] { LoadEquipment(damage.eqpPath, damage.txtPath); });
            EXPECT_NE(text.find(damage.text), std::string::npos) << text;
        }
        EXPECT_EQ(ChangedPaths(before, ContentsOf(dir.path())), "");
        EXPECT_TRUE(SameTable(Equipment, *table));
    }
    ExpectNextSaveWorks();
    LoadEquipment(eqp, txt);  // and the good pair still loads
    EXPECT_EQ(Equipment.UnitCount, 586);
}

}  // namespace
