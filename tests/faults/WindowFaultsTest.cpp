// Failures as the user meets them: through the editors' own commands, with
// the error box they show, the files on disk unchanged, and the next
// command working.
#include "data/Backups.h"
#include "tests/faults/Faults.h"
#include "tests/sgeditor/SGWindowsFixture.h"
#include "tests/uieditor/EditorFixture.h"

#include <filesystem>
#include <optional>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

ino_t Inode(const std::string& path)
{
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_ino;
}

struct Fault {
    const char* what;
    std::function<void()> apply;
    QString text;
    long sizeLimit;  // a full disk beyond this many bytes; 0: run as nobody
};

// The text of the box command shows under fault, answered with OK.
QString BoxTextUnder(const Fault& fault, const std::function<void()>& command)
{
    std::optional<AsNobody> nobody;
    std::optional<FileSizeLimit> limit;
    if (fault.sizeLimit > 0)
        limit.emplace(fault.sizeLimit);
    else
        nobody.emplace();
    return BoxText(command);
}

class SaveGameEditorFaultsTest : public SGWindowsTest {
protected:
    void SetUp() override
    {
        SGWindowsTest::SetUp();
        OpenToOthers(game);
        LoadCampaign();
        editor->sePrestige->setValue(1234);
        AnswerMessageBox(QMessageBox::No);  // leaving the unit asks whether to store it
        editor->btnNext->click();
    }
    bool SavedWithEdits() const
    {
        TSaveGame saved;
        return saved.LoadFromFile(Campaign()) && saved.Prestige() == 1234;
    }
};

TEST_F(SaveGameEditorFaultsTest, FailedSavesShowTheirTextAndLeaveTheFile)
{
    const std::string saveDir = game + "SAVE";
    const Fault faults[] = {
        {"file read-only", [&] { chmod(Campaign().c_str(), 0444); }, "File access denied.", 0},
        {"disk full half way", [] {}, "Disk full.", 20000},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        fault.apply();
        const DirContents before = ContentsOf(saveDir);
        const QString status = Status();
        EXPECT_EQ(BoxTextUnder(fault, [&] { editor->btnSave->click(); }), fault.text);
        EXPECT_EQ(ChangedPaths(before, ContentsOf(saveDir)), "");
        EXPECT_EQ(Status(), status);

        chmod(saveDir.c_str(), 0777);
        fs::remove_all(Campaign());
        fs::copy(DemoDir() + "SAVE/" + DemoSaves::CampaignFile, Campaign());
        OpenToOthers(game);
        editor->btnSave->click();
        EXPECT_EQ(Status(), "Save Game Data Saved");
        EXPECT_TRUE(SavedWithEdits());
    }
}

TEST_F(SaveGameEditorFaultsTest, RefusedFilesLeaveTheShownGameAndItsFile)
{
    const std::string big = Save("BIG.SAV");
    WriteBytes(big, std::string(SaveGameCapacity + 1, '\x01'));
    const DirContents before = ContentsOf(game + "SAVE");
    for (const std::string& path : {big, Save(DemoSaves::NoListFile)}) {
        SCOPED_TRACE(path);
        SeenMessage seen;
        Load(path, &seen);
        EXPECT_EQ(seen.icon, QMessageBox::Warning);
        EXPECT_TRUE(seen.text.contains(QString::fromStdString(path))) << seen.text.toStdString();
        EXPECT_EQ(editor->edtTotalUnit->text(), QString::number(DemoSaves::CampaignUnitCount));
        EXPECT_EQ(editor->edtUnitNo->text(), "2");
        EXPECT_EQ(editor->sePrestige->value(), 1234);
        EXPECT_EQ(Status(), "");
    }
    EXPECT_EQ(ChangedPaths(before, ContentsOf(game + "SAVE")), "");

    // The next save writes the game still shown, to its own file.
    editor->btnSave->click();
    EXPECT_TRUE(SavedWithEdits());
    EXPECT_EQ(ChangedPaths(before, ContentsOf(game + "SAVE")), std::string(DemoSaves::CampaignFile) + " ");
}

// A save whose copy cannot be made asks first: No writes nothing, Yes saves
// without the copy. Where copies can be made, the first save keeps the old
// file below its run's directory as it lies below the game directory.
TEST_F(SaveGameEditorFaultsTest, SaveAsksBeforeGoingOnWithoutACopy)
{
    const std::string old = ReadBytes(Campaign());
    SetBackupDir(Campaign() + "/backups");
    SeenMessage seen;
    AnswerMessageBox(QMessageBox::No, &seen);
    editor->btnSave->click();
    EXPECT_EQ(seen.text.toStdString(), "Could not keep a copy of " + Campaign() + ": Invalid filename. Save anyway?");
    EXPECT_EQ(ReadBytes(Campaign()), old);
    AnswerMessageBox(QMessageBox::Yes);
    editor->btnSave->click();
    EXPECT_TRUE(SavedWithEdits());

    const TempDir data;
    SetBackupDir(data / "backups");
    const std::string saved = ReadBytes(Campaign());
    editor->sePrestige->setValue(99);
    editor->btnSave->click();
    SetBackupDir("");
    const fs::directory_iterator runs(data / "backups");
    ASSERT_NE(runs, fs::directory_iterator());
    EXPECT_EQ(ReadBytes(runs->path() / "SAVE" / DemoSaves::CampaignFile), saved);
}

class UnitEditorFaultsTest : public EditorFixture {
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        OpenToOthers(work.path());
        Load();
        AnswerMessageBox(QMessageBox::Yes);  // a copy of the shown unit, so that the record file grows
        editor->btnCreateClick();
        ASSERT_EQ(Equipment.UnitCount, 587);
        table = std::make_unique<TEquipTable>(Equipment);
    }
    void ExpectTableKept() const
    {
        EXPECT_EQ(Equipment.UnitCount, table->UnitCount);
        EXPECT_TRUE(Equipment.Records == table->Records && Equipment.UnitNames == table->UnitNames);
    }
    const std::string eqp = game + EquipFileName;
    const std::string txt = game + NameFileName;
    std::unique_ptr<TEquipTable> table;
};

TEST_F(UnitEditorFaultsTest, FailedSavesShowTheirTextAndLeaveBothFiles)
{
    const Fault faults[] = {
        {"names file read-only", [&] { chmod(txt.c_str(), 0444); }, "File access denied.", 0},
        {"record file gone", [&] { fs::remove(eqp); }, "File not found.", 0},
        {"disk full half way", [] {}, "Disk full.", 20000},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        fault.apply();
        const DirContents before = ContentsOf(game);
        EXPECT_EQ(BoxTextUnder(fault, [&] { editor->btnSaveClick(); }), fault.text);
        EXPECT_EQ(ChangedPaths(before, ContentsOf(game)), "");
        ExpectTableKept();

        chmod(game.c_str(), 0777);
        CopyDemo(game);
        OpenToOthers(work.path());
        editor->btnSaveClick();
        EXPECT_EQ(Status(), "EQUIP97.EQP and EQUIP97.TXT has been saved");
        EXPECT_EQ(ReadBytes(eqp).substr(0, 2), "\x4B\x02");
    }
}

TEST_F(UnitEditorFaultsTest, FailedLoadsLeaveTheTableTheControlsAndTheFiles)
{
    Type(editor->edtUnitName, "Pending");
    const std::string demo = ReadBytes(DemoDir() + EquipFileName);
    WriteBytes(eqp, demo.substr(0, 1000));
    const DirContents before = ContentsOf(game);
    EXPECT_EQ(BoxText([&] { editor->btnLoadClick(); }), "Read beyond end of file.");
    EXPECT_EQ(ChangedPaths(before, ContentsOf(game)), "");
    ExpectTableKept();
    EXPECT_EQ(editor->seUnitCode->value(), 586);
    EXPECT_EQ(editor->edtUnitName->text(), "Pending");
    EXPECT_TRUE(editor->UnitChanged);
    EXPECT_EQ(Status(), "Unit Information has been changed");
    EXPECT_FALSE(editor->seUnitCode->isEnabled());
    WriteBytes(eqp, demo);
    editor->btnLoadClick();
    EXPECT_EQ(Status(), "Files loaded");
    EXPECT_EQ(Equipment.UnitCount, 586);
}

// A save cut short (here: its journal and kept old files written, and the
// record file replaced, when it was killed) is undone by the next load,
// which says so.
TEST_F(UnitEditorFaultsTest, LoadAfterAnInterruptedSaveSaysTheFilesWerePutBack)
{
    using namespace std::string_literals;
    const DirContents before = ContentsOf(game);
    std::string journal = "dv2 save journal\0"s;
    for (const std::string& path : {eqp, txt}) {
        fs::create_hard_link(path, fs::path(game) / ("." + fs::path(path).filename().string() + ".dv2-old"));
        journal += "L\0"s + std::to_string(Inode(path)) + '\0' + path + '\0';
    }
    WriteBytes(game + ".EQUIP97.EQP.dv2-journal", journal + "end\0"s);
    WriteBytes(game + "new", "\x02\x00" + std::string(2 * 73, '\x01'));
    fs::rename(game + "new", eqp);

    EXPECT_EQ(BoxText([&] { editor->btnLoadClick(); }),
              "The last save of EQUIP97.EQP and EQUIP97.TXT was interrupted before it was complete; the files are"
              " as they were before it.");
    EXPECT_EQ(ChangedPaths(before, ContentsOf(game)), "");
    EXPECT_EQ(Status(), "Files loaded");
    EXPECT_EQ(Equipment.UnitCount, 586);
}

}  // namespace
