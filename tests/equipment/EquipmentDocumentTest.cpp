// The equipment document tells its windows of every change, done or undone.
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "equipment/EquipmentDocument.h"
#include "tests/support/GameFormat.h"
#include "tests/support/TestSupport.h"

namespace Eqp = GameFormat::Eqp;

TEST(EquipmentDocumentTest, EveryChangeIsOneStepAndSignalsWhatItChanged)
{
    TempDir work;
    const std::string game = work / "game/";
    CopyDemo(game);
    EquipmentDocument document;
    QSignalSpy reloaded(&document, &EquipmentDocument::reloaded);
    QSignalSpy unitsChanged(&document, &EquipmentDocument::unitsChanged);

    // A failed load changes nothing and tells nobody.
    EXPECT_ANY_THROW(document.Load(game + "MISSING.EQP", game + "EQUIP97.TXT"));
    EXPECT_EQ(reloaded.count(), 0);
    document.Load(game + "EQUIP97.EQP", game + "EQUIP97.TXT");
    EXPECT_EQ(reloaded.count(), 1);
    const TEquipTable loaded = Equipment;

    document.EditUnits("nothing", {5}, [] {});
    EXPECT_EQ(document.History()->count(), 0);
    EXPECT_EQ(unitsChanged.count(), 0);
    document.EditUnits("Fuel", {5, 6}, [] { Equipment.Records[6][Eqp::Fuel] ^= 1; });
    ASSERT_EQ(unitsChanged.count(), 1);
    EXPECT_EQ(unitsChanged.takeFirst().at(0).value<std::vector<std::uint16_t>>(),
              (std::vector<std::uint16_t>{5, 6}));
    document.History()->undo();
    EXPECT_EQ(unitsChanged.count(), 1);
    EXPECT_EQ(Equipment.Records[6], loaded.Records[6]);

    const int created = document.CreateUnitFrom(3);
    EXPECT_EQ(created, loaded.UnitCount);
    EXPECT_EQ(reloaded.count(), 2);
    document.History()->undo();
    EXPECT_EQ(reloaded.count(), 3);
    EXPECT_EQ(Equipment.UnitCount, loaded.UnitCount);
    EXPECT_EQ(Equipment.Records, loaded.Records);
}
