#include "wizard/text_helpers.h"

#include <gtest/gtest.h>

namespace koru::wizard {
namespace {

TEST(TextHelpers, BracketNameQuotesEveryNameUnlessBracketsAreOff) {
    EXPECT_EQ(UT_Bracket_Name("Order Details", false), "[Order Details]");
    EXPECT_EQ(UT_Bracket_Name("Order Details", true), "Order Details");
    EXPECT_EQ(UT_Bracket_Name("", false), "[]");
    // A "]" inside is doubled, so the bracketed name reads back as written.
    EXPECT_EQ(UT_Bracket_Name("Odd]Name", false), "[Odd]]Name]");
    EXPECT_EQ(UT_Bracket_Name("[x]", false), "[[x]]]");
}

TEST(TextHelpers, SplitTableColumnAtTheFirstPoint) {
    EXPECT_EQ(UT_Split_Table_Column(true, "dbo.Orders.ID"), "dbo");
    EXPECT_EQ(UT_Split_Table_Column(false, "dbo.Orders.ID"), "Orders.ID");
    EXPECT_EQ(UT_Split_Table_Column(true, "NoPoint"), "NoPoint");
    EXPECT_EQ(UT_Split_Table_Column(false, "NoPoint"), "");
}

TEST(TextHelpers, RemoveQuotesChangesTheArgumentToo) {
    std::string text = "O'Brien said \"hi\"";
    EXPECT_EQ(UT_Remove_Quotes(text), "O`Brien said `hi`");
    EXPECT_EQ(text, "O`Brien said `hi`");
    EXPECT_EQ(UT_Remove_Quotes_Value("a'b"), "a`b");

    ComboBox criteria;
    criteria.text = "Name = 'Smith";
    criteria.selStart = 8;
    UT_Clean_Combo_Text(criteria);
    EXPECT_EQ(criteria.text, "Name = `Smith");
    EXPECT_EQ(criteria.selStart, 8);
}

TEST(TextHelpers, NodeKeysSplitAtTheirMarkers) {
    EXPECT_EQ(UT_Key_Left("Contacts@--##--@Name"), "Contacts");
    EXPECT_EQ(UT_Key_Right("Contacts@--##--@Name"), "Name");
    EXPECT_EQ(UT_Key_Right("a@--##--@b@--##--@c"), "b@--##--@c");
    EXPECT_EQ(UT_Key_Left("plain"), "plain");
    EXPECT_EQ(UT_Key_Right("plain"), "");

    EXPECT_EQ(UT_Mapping_Row_ID("CIID.Alpha1--MP12"), 12);
    EXPECT_EQ(UT_Mapping_Row_ID("A--MP1--MP305"), 305);
    EXPECT_THROW(UT_Mapping_Row_ID("CIID.Alpha1"), std::invalid_argument);
    EXPECT_THROW(UT_Mapping_Row_ID("x--MPabc"), std::invalid_argument);
    EXPECT_THROW(UT_Mapping_Row_ID("x--MP40000"), std::invalid_argument);  // not 16-bit
}

}  // namespace
}  // namespace koru::wizard
