#include "mapping/mapping_file_format.h"

#include <gtest/gtest.h>

namespace koru::mapping {
namespace {

TEST(MappingFileFormat, ReadsFieldsBetweenDoubleCommas) {
    std::string clause = "'2',, 'Contacts',, 'Region',, '<>        ',, 'North',, '1',, 'True'";
    EXPECT_EQ(UT_Count_TXTFile_Parameters(clause), 7);
    EXPECT_EQ(UT_ParamsOnLine(clause), 7);
    EXPECT_EQ(Read_From_File(clause, 1), "'2'");
    EXPECT_EQ(Read_From_File(clause, 4), "'<>        '");  // blanks inside the quotes stay
    EXPECT_EQ(Read_From_File(clause, 7), "1");
    EXPECT_EQ(Read_From_File("'a',, 'False'", 2), "0");
    EXPECT_EQ(Read_From_File("'a',, 'false'", 2), "'false'");  // only the exact forms convert
    EXPECT_EQ(Read_From_File("'a',, 'b'", 3), "");

    std::string structure = "'1 ',, 'Company',, '',, '[Company].[CoID]',, '',, '',,'2' ,,'5'";
    EXPECT_EQ(UT_Count_TXTFile_Parameters(structure), 8);
    EXPECT_EQ(Read_From_File(structure, 1), "'1 '");
    EXPECT_EQ(Read_From_File(structure, 6), "''");
    EXPECT_EQ(Read_From_File(structure, 7), "'2'");
    EXPECT_EQ(Read_From_File(structure, 8), "'5'");

    // A table-link line ends with a separator and a blank.
    EXPECT_EQ(UT_Count_TXTFile_Parameters("'1',, 'a',, 'b',, 'c',, 'd',, "), 6);
}

TEST(MappingFileFormat, OlderLinesAreReadAsTheCurrentForm) {
    std::string older = "1, 'Company', 'CoName', 'CIID', 'Alpha1', '1'";
    std::string current = upgradeOlderLine(older);
    EXPECT_EQ(current, "1,, 'Company',, 'CoName',, 'CIID',, 'Alpha1',, '1'");
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(Read_From_File(current, n),
                  Read_From_File("1,, 'Company',, 'CoName',, 'CIID',, 'Alpha1',, '1'", n));
    }
    EXPECT_EQ(upgradeOlderLine("'a',, 'b, c'"), "'a',, 'b, c'");  // current lines are left alone
}

TEST(MappingFileFormat, AFieldIsOneQuotedValueAndNothingElse) {
    EXPECT_EQ(fieldValue("'Contacts'", false), "Contacts");
    EXPECT_EQ(fieldValue(" '' ", false), "");
    EXPECT_EQ(fieldValue("'1 '", false), "1 ");
    EXPECT_EQ(fieldValue("12", true), "12");
    EXPECT_FALSE(fieldValue("12", false));
    EXPECT_FALSE(fieldValue("'x'); delete from CIID; --'", false));
    EXPECT_FALSE(fieldValue("'O'Brien'", false));
    EXPECT_FALSE(fieldValue("'a' || 'b'", false));
    EXPECT_FALSE(fieldValue("1; drop table CIID", true));
    EXPECT_FALSE(fieldValue("'", false));
    EXPECT_FALSE(fieldValue("", false));
}

TEST(MappingFileFormat, IntegerColumnsStoreWhatTheServerStores) {
    EXPECT_EQ(integerColumnValue(""), 0);
    EXPECT_EQ(integerColumnValue("1 "), 1);
    EXPECT_EQ(integerColumnValue(" 42"), 42);
    EXPECT_EQ(integerColumnValue("True"), 1);
    EXPECT_EQ(integerColumnValue("False"), 0);
    EXPECT_EQ(integerColumnValue("-3"), -3);
    EXPECT_FALSE(integerColumnValue("x"));
    EXPECT_FALSE(integerColumnValue("1.5"));
    EXPECT_FALSE(integerColumnValue("1 2"));
}

TEST(MappingFileFormat, LinesAreWrittenWithTheirOwnSpacing) {
    EXPECT_EQ(clauseLine({"2", "Contacts", "Region", "<>        ", "North", "1", "True"}),
              "'2',, 'Contacts',, 'Region',, '<>        ',, 'North',, '1',, 'True'");
    EXPECT_EQ(tableLinkLine({"1", "Contacts", "DeptCode", "Departments", std::nullopt}),
              "'1',, 'Contacts',, 'DeptCode',, 'Departments',, '',, ");
    EXPECT_EQ(structureLine({"1", "Company", std::nullopt, "[Company].[CoID]", std::nullopt, std::nullopt, "2"}, 5),
              "'1 ',, 'Company',, '',, '[Company].[CoID]',, '',, '',,'2' ,,'5'");
    EXPECT_EQ(structureLine({"2", "Dept", "[D].[Co]", "[D].[Id]", "1", "True", ""}, 0),
              "'2 ',, 'Dept',, '[D].[Co]',, '[D].[Id]',, '1',, 'True',, '' ,,'0'");
    EXPECT_EQ(mappingLine({"1", "Company", "CoName", "CIID", "Alpha1", "1"}),
              "1,, 'Company',, 'CoName',, 'CIID',, 'Alpha1',, '1'");
    EXPECT_EQ(parentFileText(120, "Alpha1", "Alpha2", 3, 1, 0),
              "GenParent=120;SourceCol=Alpha1;DestinCol=Alpha2;StyleID=3;Distinct=1;EXLAppLinkID=0;");
}

TEST(MappingFileFormat, ParentSettingsAreFoundInAnyOrder) {
    ParentSettings settings =
        parseParentFile("Distinct=1;StyleID=;DestinCol=Alpha2;SourceCol=Alpha1;GenParent=2.5;");
    EXPECT_EQ(settings.GenParent, 2);  // rounded half to even
    EXPECT_EQ(settings.SourceCol, "Alpha1");
    EXPECT_EQ(settings.DestinCol, "Alpha2");
    EXPECT_FALSE(settings.StyleID);
    EXPECT_EQ(settings.Distinct, 1);
    EXPECT_FALSE(settings.EXLAppLinkID);

    ParentSettings full = parseParentFile(parentFileText(7, "", "", 4, 0, 9));
    EXPECT_EQ(full.GenParent, 7);
    EXPECT_EQ(full.StyleID, 4);
    EXPECT_EQ(full.EXLAppLinkID, 9);
    EXPECT_EQ(parseParentFile("GenParent=3.5;SourceCol=;DestinCol=;StyleID=;Distinct=0;").GenParent, 4);

    EXPECT_THROW(parseParentFile("GenParent=1;SourceCol=;DestinCol=;StyleID=;"), std::invalid_argument);
    EXPECT_THROW(parseParentFile("GenParent=1;SourceCol=;DestinCol=;StyleID=x;Distinct=0;"), std::invalid_argument);
    EXPECT_THROW(parseParentFile("GenParent=1;SourceCol=;DestinCol=;StyleID=;Distinct=;"), std::invalid_argument);
    EXPECT_THROW(parseParentFile("GenParent=99999999999;SourceCol=;DestinCol=;StyleID=;Distinct=0;"),
                 std::invalid_argument);
}

TEST(MappingFileFormat, FindComboItemByItemData) {
    wizard::ListBox styles;
    styles.addItem("Company", 5);
    styles.addItem("Contact", 7);
    styles.addItem("Again", 7);
    EXPECT_EQ(UT_Find_ComboItem(styles, 7), 1);
    EXPECT_EQ(UT_Find_ComboItem(styles, 5), 0);
    EXPECT_EQ(UT_Find_ComboItem(styles, 9), -1);
}

}  // namespace
}  // namespace koru::mapping
