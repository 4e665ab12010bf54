#include "mapping/level_values.h"

#include <gtest/gtest.h>

#include "support/embedded_destination.h"

namespace koru::mapping {
namespace {

TEST(LevelValues, TheAssetDetailKindFollowsTheMappedAssetFields) {
    EXPECT_EQ(assetDetailKindOf({}), 0);
    EXPECT_EQ(assetDetailKindOf({"AssetCiid.Alpha1", "AssetCiid.Num1"}), 0);
    EXPECT_EQ(assetDetailKindOf({"AssetCiid.AcquireDate"}), 1);
    EXPECT_EQ(assetDetailKindOf({"AssetCiid.Location", "AssetCiid.DepPeriod"}), 2);
    EXPECT_EQ(assetDetailKindOf({"AssetCiid.SalvagePrice"}), 2);
}

TEST(DbLevelValues, NextLeavesEachLevelItsJoinConditionAndKnowledgeBaseImportsOneLevel) {
    test::EmbeddedDestination destination;
    auto connection = destination.connect();
    connection->execute("INSERT INTO XFRTableLink (StructureID, sourceTable, sourceColumn, destinTable, destinColumn) "
                        "VALUES (2, 'Contact', 'ID', 'Detail', 'ContactID'), (2, 'Detail', 'Site', 'Site', 'Code'), "
                        "(3, 'PC', 'Tag', 'Asset', 'Tag')");
    wizard::Context context;
    context.Gstructures.resize(4);
    context.Gstructures[1].joinCondition = "stale";
    setLevelValuesForImport(*connection, context, {"AssetCiid.OriginalPrice"});
    EXPECT_EQ(context.Gstructures[1].joinCondition, "");
    EXPECT_EQ(context.Gstructures[2].joinCondition, "Contact.ID = Detail.ContactID and Detail.Site = Site.Code ");
    EXPECT_EQ(context.Gstructures[3].joinCondition, "PC.Tag = Asset.Tag ");  // " and " less four characters leaves its blank
    EXPECT_EQ(context.Gstructures[3].assetDetailKind, 1);

    useKnowledgeBaseLevel(context);
    ASSERT_EQ(context.Gstructures.size(), 2u);
    EXPECT_EQ(context.Gstructures[1].Name, "KB");
    EXPECT_TRUE(context.Gstructures[1].DLink.empty());
}

}  // namespace
}  // namespace koru::mapping
