#include "import/transfer_row.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "db/ado_types.h"
#include "import/extraction.h"
#include "import/import_statements.h"
#include "support/embedded_destination.h"
#include "support/scripted_connection.h"

namespace koru::import {
namespace {

TEST(TransferValues, NumbersAreTheLeadingNumberRoundedHalfToEven) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"12.5", 12}, {"13.5", 14}, {"99.99", 100}, {"-2.5", -2}, {"0.5", 0}, {"abc", 0},   {"12abc", 12},
        {"1 2", 12},  {"1,234", 1}, {"1e3", 1000},  {"3E", 3},    {"+7", 7},   {"", 0},     {"2147483647", 2147483647},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(G_Num_Convert(text), expected) << text;
    EXPECT_THROW(G_Num_Convert("2147483648"), std::overflow_error);
    EXPECT_THROW(G_Num_Convert("-1e12"), std::overflow_error);
    for (const char* infinite : {"+Inf", "-infinity", " NaN", "Infinity"}) {
        EXPECT_THROW(G_Num_Convert(infinite), std::overflow_error) << infinite;
    }
}

TEST(TransferValues, FieldsAreConvertedByKind) {
    constexpr int kText = 200, kNumber = 3;
    struct Case {
        std::optional<std::string> value;
        int adoType;
        const char* kind;
        int maxLength;
        std::string expected;
    };
    const std::string longText(40, 'x');
    const std::string umlauts = std::string(34, 'a') + "\xC3\xBC\xC3\xBC";  // 34 + 2 characters
    const Case cases[] = {
        {"2008-03-05 14:07:00", db::ado::kDbTimeStamp, "alpha", 0, "05-Mar-2008 14:07:00"},
        {"2008-02-01", db::ado::kDbDate, "num", 0, "03208"},
        {"2008-12-31", db::ado::kDbDate, "num", 0, "36608"},  // a leap year's last day
        {"1925-01-02", db::ado::kDbDate, "num", 0, "00225"},
        {"2008-03-05 14:07:00", db::ado::kDbTimeStamp, "date", 0, "2008-03-05"},
        {"2008-03-05", db::ado::kDbDate, "exl", 0, ""},
        {"   ", db::ado::kDbDate, "alpha", 0, ""},
        {std::nullopt, db::ado::kDbDate, "alpha", 0, ""},
        {std::nullopt, kText, "alpha", 0, ""},
        {" O'Brien \"Jr\" ", kText, "alpha", 0, "O`Brien `Jr`"},
        {longText, kText, "alpha", 0, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
        {longText, kText, "num", 0, "xxxxxxxxxxxxxxxxxxxx"},
        {longText, kText, "alpha", 38, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
        {std::string(60, 'y'), kText, "exl", 10, "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy"},
        {"12.5", kNumber, "num", 0, "12.5"},
        // Cut at characters, never inside one.
        {umlauts, kText, "alpha", 0, std::string(34, 'a') + "\xC3\xBC"},
    };
    for (const Case& c : cases) {
        SourceField field{c.value ? std::optional<std::string_view>(*c.value) : std::nullopt, c.adoType};
        EXPECT_EQ(ut_get_inserted_text(field, c.kind, c.maxLength), c.expected)
            << c.value.value_or("<null>") << " as " << c.kind;
    }
}

// One source row through a layout: the values in column order and the text SQL Server gets.
TEST(TransferValues, ARowBecomesItsColumnsAndValues) {
    wizard::StructureLevel contact;
    contact.ULink = "[Contact].[DeptID]";
    contact.ULinkID = 2;
    contact.DLink = "[Contact].[ContactID]";
    contact.StyleID = 3;
    auto mapping = [](const char* table, const char* column) {
        mapping::ColumnMapping row;
        row.sourceTable = "Contact";
        row.sourceColumn = "x";
        row.destinTable = table;
        row.destinColumn = column;
        return row;
    };
    std::vector<mapping::ColumnMapping> mapped = {mapping("CIID", "Alpha1"), mapping("CIID", "Num2"),
                                                  mapping("AssetCiid", "Curr1"), mapping("AssetCiid", "Location"),
                                                  mapping("Knowledge", "CatID"), mapping("CIID", "Notes")};
    TransferOptions options;
    options.discovery = 4;
    options.makeDefaultExl = true;
    TransferLayout layout(3, contact, mapped, options);
    EXPECT_EQ(layout.columns(),
              (std::vector<std::string>{"StructureID", "XFRID", "Parent", "StructureParentID", "StyleID", "SLAProvider",
                                        "DToolID", "DDefault", "Alpha1", "Num2", "ACurr1", "Location", "Notes"}));

    test::TableRecordset rows({"XFR1", "XFR2", "XFR3", "XFR4", "XFR5", "XFR6", "ContactID", "DeptID"},
                              {{" Dara O'N\xC3\xA9ill ", "13.5", "99.99", std::nullopt, "7", "  "," 102 ", std::nullopt}});
    ASSERT_TRUE(rows.next());
    layout.bind(rows);
    std::vector<TransferValue> values;
    layout.values(rows, values);
    EXPECT_EQ(layout.insertText(values),
              "Insert Into XFRTransfer (StructureID, XFRID, Parent, StructureParentID, StyleID, SLAProvider, DToolID, "
              "DDefault, Alpha1, Num2, ACurr1, Location, Notes) Values (3,  N'102'  , N''  , 2 , 3, 0, 4, 1, "
              "N'Dara O`N\xC3\xA9ill', 14, 100, NULL , NULL )");
    EXPECT_EQ(layout.parameterisedInsert(),
              "INSERT INTO [XFRTransfer] ([StructureID], [XFRID], [Parent], [StructureParentID], [StyleID], "
              "[SLAProvider], [DToolID], [DDefault], [Alpha1], [Num2], [ACurr1], [Location], [Notes]) VALUES (?, ?, "
              "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
}

// The embedded destination's writer holds rows back and writes them in the order the item step
// reads them; rows of long texts go in before the level ends, so that a level's rows are never
// all held at once.
TEST(TransferWriter, EmbeddedRowsGoInKeyOrderAndLongTextsDoNotWaitForTheLevelEnd) {
    test::EmbeddedDestination embedded;
    auto connection = embedded.connect();
    db::Connection& destination = *connection;
    for (const std::string& statement : importStatementsFor(db::DestinationDialect::Kind::Sqlite).createTransferTable())
        destination.execute(statement);
    mapping::ColumnMapping notes;
    notes.sourceTable = "Faq";
    notes.sourceColumn = "Answer";
    notes.destinTable = "CIID";
    notes.destinColumn = "Notes";
    wizard::StructureLevel level;
    level.DLink = "[Faq].[ID]";
    TransferLayout layout(1, level, {notes}, {});
    auto text = [](std::optional<std::string> value) {
        TransferValue cell;
        if (value) {
            cell.kind = TransferValue::Kind::Text;
            cell.text = *value;
        }
        return cell;
    };
    // StructureID, XFRID, Parent, StructureParentID, StyleID, SLAProvider, Notes
    auto row = [&](std::optional<std::string> key, std::string note) {
        std::vector<TransferValue> values(7);
        for (std::size_t i : {0, 4, 5}) values[i].kind = TransferValue::Kind::Number;
        values[1] = text(key);
        values[2] = text(std::string());
        values[6] = text(note);
        return values;
    };
    auto writer = makeTransferWriter(destination, db::DestinationDialect::Kind::Sqlite);
    writer->beginLevel(layout);
    for (auto key : {std::optional<std::string>("b"), std::optional<std::string>(), std::optional<std::string>("A"),
                     std::optional<std::string>("c"), std::optional<std::string>("a")}) {
        writer->write(row(key, "short"));
    }
    writer->endLevel();
    EXPECT_EQ(test::rowsOf(destination, "SELECT ifnull(XFRID, '-') FROM XFRTransfer ORDER BY rowid"),
              "c\nb\nA\na\n-\n");

    writer->beginLevel(layout);
    const std::string longNote(4000, 'n');
    for (int i = 0; i < 2000; ++i) writer->write(row("k" + std::to_string(i), longNote));
    EXPECT_GT(std::stol(test::rowsOf(destination, "SELECT count(*) FROM XFRTransfer")), 5);
    writer->finish();
    EXPECT_EQ(test::rowsOf(destination, "SELECT count(*), sum(length(Notes)) FROM XFRTransfer WHERE XFRID LIKE 'k%'"),
              "2000|8000000\n");
    EXPECT_FALSE(destination.inTransaction());
}

}  // namespace
}  // namespace koru::import
