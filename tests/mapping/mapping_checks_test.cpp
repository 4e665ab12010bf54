#include "mapping/mapping_checks.h"

#include <gtest/gtest.h>

namespace koru::mapping {
namespace {

TEST(MappingChecks, OperatorsAreTheClauseDialogsInAnySavedSpelling) {
    const std::pair<const char*, const char*> accepted[] = {
        {"=         ", "="},        {"<>", "<>"},  {"like      ", "like"},
        {"NOT LIKE  ", "not like"}, {" Is", "is"}, {"is not    ", "is not"}};
    for (const auto& [stored, op] : accepted) EXPECT_EQ(clauseOperator(stored), op) << stored;
    for (const char* refused : {"", "<>1 or 1<>", "= 1 --", "not  like", "in", "<",
                                "==", "is not null or 1=1", "like\t"}) {
        EXPECT_FALSE(clauseOperator(refused)) << refused;
    }
}

TEST(MappingChecks, NamesAreOneNameOrOneTableColumn) {
    for (const char* link : {"[Contacts].[CoID]", "Contacts.CoID", "[Order Details].[Unit Price]",
                             "Caf\xC3\xA9.No_1", "[Company].CoID", "[a;b].[--x]"}) {
        EXPECT_TRUE(isLinkColumn(link)) << link;
    }
    for (const char* link :
         {"", "CoID", "[Contacts]", "Contacts.", ".CoID", "[Contacts].[CoID] or 1=1",
          "Contacts.CoID--", "Contacts.CoID;", "[Contacts].[CoID]/*", "a.b.c", "[Contacts.CoID",
          "Contacts.[]", "Contacts.(CoID)", "Contacts.'x'", "Contacts. CoID", "1.2"}) {
        EXPECT_FALSE(isLinkColumn(link)) << link;
    }

    // Bracketed when used: blanks and ordinary punctuation are part of a name.
    for (const char* name : {"Order Details", "E-Mail", "Caf\xC3\xA9", "Phone #", "dbo.Contacts"}) {
        EXPECT_TRUE(isSourceName(name, false)) << name;
    }
    for (const char* name : {"", " ", "Contacts] where 1=1", "Region) or (1=1", "x'y", "a\"b",
                             "a;b", "First--Name", "a/*b", "a,b", "a=b", "a\tb"}) {
        EXPECT_FALSE(isSourceName(name, false)) << name;
    }
    // Spliced as they stand: only bare names.
    EXPECT_TRUE(isSourceName("Contacts", true));
    for (const char* name : {"Order Details", "E-Mail", "[Contacts]", "dbo.Contacts", "1st"}) {
        EXPECT_FALSE(isSourceName(name, true)) << name;
    }
    EXPECT_TRUE(isOneName("[Order Details]"));
    EXPECT_FALSE(isOneName("Contacts.CoID"));
}

TEST(MappingChecks, ParentColumnsAndDestinationFieldsComeFromTheProductsLists) {
    const std::pair<const char*, const char*> columns[] = {{"Alpha1", "Alpha1"},
                                                           {"ALPHA15", "Alpha15"},
                                                           {" num10 ", "Num10"},
                                                           {"emailid", "EmailID"},
                                                           {"WebID", "WebID"}};
    for (const auto& [text, column] : columns) EXPECT_EQ(ciidParentColumn(text), column) << text;
    for (const char* text : {"", "Alpha0", "Alpha16", "Alpha01", "Num11", "ID", "Parent",
                             "Alpha1 from ciid --", "Alpha1;", "ciid.Alpha1", "Alpha"}) {
        EXPECT_FALSE(ciidParentColumn(text)) << text;
    }

    EXPECT_TRUE(isDestinationField("CIID", "Alpha15"));
    EXPECT_TRUE(isDestinationField("ciid", "emailid"));
    EXPECT_TRUE(isDestinationField("AssetCiid", "Curr5"));
    EXPECT_TRUE(isDestinationField("AssetCiid", "DLinkID"));
    EXPECT_TRUE(isDestinationField("Knowledge", "KBSummary"));
    EXPECT_TRUE(isDestinationField("TEXTSEP", " - "));
    EXPECT_FALSE(isDestinationField("AssetCiid", "Alpha6"));
    EXPECT_FALSE(isDestinationField("CIID", "Alpha1, Parent"));
    EXPECT_FALSE(isDestinationField("CIID", "Parent"));
    EXPECT_FALSE(isDestinationTable("XFRHash"));
}

}  // namespace
}  // namespace koru::mapping
