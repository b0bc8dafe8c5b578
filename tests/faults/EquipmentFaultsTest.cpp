#include "data/Equipment.h"
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
    const std::string records = std::string(10 * EquipRecordSize, '\x07');
    const StepFault faults[] = {
        {"save: directory read-only", readOnly(dir.path()), save, "File access denied"},
        {"save: record file read-only", readOnly(eqp), save, "File access denied"},
        {"save: names file read-only", readOnly(txt), save, "File access denied"},
        {"save: names file a directory", byDirectory(txt), save, "File access denied"},
        {"save: record file gone", [&] { fs::remove(eqp); }, save, "File not found"},
        {"save: disk full half way", [] {}, save, "Disk full", 20000},
        {"load: half a count", damage("\x05"), load(damaged, txt), "Read beyond end of file"},
        {"load: cut inside a record", damage(CountBytes(20) + records), load(damaged, txt), "Read beyond end of file"},
        {"load: count 0", damage(CountBytes(0) + records), load(damaged, txt), damaged + " holds 0 unit types"},
        {"load: count 1", damage(CountBytes(1) + records), load(damaged, txt), damaged + " holds 1 unit type, but"},
        {"load: count 1025", damage(CountBytes(1025) + std::string(1025 * EquipRecordSize, '\x07')),
         load(damaged, txt), damaged + " holds 1025 unit types"},
        {"load: names file missing", damage(CountBytes(2) + records), load(damaged, dir / "no.txt"), "File not found"},
        {"load: record file missing", [] {}, load(dir / "no.eqp", txt), "File not found"},
        {"load: record file a directory", byDirectory(eqp), load(eqp, txt), "File access denied"},
        {"load: record file read-only", readOnly(eqp), load(eqp, txt), "File access denied"},
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

}  // namespace
