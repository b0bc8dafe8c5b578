#include "data/EquipCsv.h"
#include "tests/uieditor/EditorFixture.h"

#include <QMenuBar>
#include <QPlainTextEdit>

namespace {

class CsvMenuTest : public EditorFixture {
protected:
    // Imports the file through the Tools menu; returns the errors the
    // error dialog listed, answering it.
    QString Import(const std::string& path)
    {
        QString listed;
        QTimer errorsSeen;
        QObject::connect(&errorsSeen, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && modal->objectName() == QLatin1String("dlgCsvErrors")) {
                listed = modal->findChild<QPlainTextEdit*>(QStringLiteral("edtErrors"))->toPlainText();
                modal->close();
            }
        });
        errorsSeen.start(10);
        AnswerFileDialog(QString::fromStdString(path));
        editor->mnuImportCsv->trigger();
        return listed;
    }
};

TEST_F(CsvMenuTest, AnEditedExportImportsIntoTheTableInMemoryAndSaveWritesIt)
{
    const QList<QAction*> menus = editor->mnuMain->actions();
    EXPECT_EQ(menus.back()->text(), "&Tools");
    EXPECT_EQ(menus.back()->menu()->actions(), (QList<QAction*>{editor->mnuExportCsv, editor->mnuImportCsv}));
    Load();
    editor->seUnitCode->setValue(DemoUnit::Cost20);
    const std::string csvPath = work / "units.csv";
    AnswerFileDialog(QString::fromStdString(csvPath));
    editor->mnuExportCsv->trigger();
    std::string csv = ReadBytes(csvPath);
    ASSERT_EQ(csv, ExportEquipCsv(Equipment));
    EXPECT_EQ(Status(), "Unit information has been exported");
    // Imported as it is, it changes nothing: no step, nothing to save.
    EXPECT_EQ(Import(csvPath), "");
    EXPECT_EQ(Status(), "The CSV file changes no unit information");
    EXPECT_FALSE(editor->mnuUndo->isEnabled() || editor->isWindowModified());

    const std::size_t cost = csv.find(",240,", csv.find("\r\n30,"));
    WriteBytes(csvPath, csv.replace(cost, 5, ",252,"));
    const std::string eqp = ReadBytes(game + EquipFileName);
    EXPECT_EQ(Import(csvPath), "");
    EXPECT_EQ(Equipment.Records[DemoUnit::Cost20][Field::Cost], 21);
    EXPECT_EQ(Spin("seCost")->value(), 252);
    EXPECT_EQ(ReadBytes(game + EquipFileName), eqp);

    editor->btnSaveClick();
    std::string saved = eqp;
    saved[2 + DemoUnit::Cost20 * EquipRecordSize + Field::Cost] = 21;
    EXPECT_EQ(ReadBytes(game + EquipFileName), saved);
}

TEST_F(CsvMenuTest, ImportErrorsAreListedInOneDialogAndTheTableStaysAsItWas)
{
    Load();
    const auto before = std::make_unique<TEquipTable>(Equipment);
    const std::string csvPath = work / "bad.csv";
    WriteBytes(csvPath, "code,cost,name\r\n0,12,A\r\n1,99999,B\r\n2,12,\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"
                        "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"
                        "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"
                        "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"
                        "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\r\n");
    const QString listed = Import(csvPath);
    EXPECT_EQ(listed, QString::fromStdString(csvPath + ":3:2: cost \"99999\" is not a number from 0 to 3060\n"
                                             + csvPath + ":4:3: the name is longer than 28 characters\n"));
    EXPECT_EQ(Equipment.UnitCount, before->UnitCount);
    EXPECT_EQ(Equipment.Records, before->Records);
    EXPECT_EQ(Equipment.UnitNames, before->UnitNames);
}

}  // namespace
