#include "db/flat_file_connection.h"

#include <gtest/gtest.h>
#include <shapefil.h>

#include <filesystem>
#include <map>

#include "db/ado_types.h"
#include "db/connection_factory.h"
#include "db/source_dialect.h"
#include "support/embedded_destination.h"
#include "diag/text_encoding.h"
#include "support/files.h"
#include "support/fuzz.h"
#include "support/temp_home.h"

namespace koru::db {
namespace {

namespace fs = std::filesystem;

// "name type, ..." as columns() reports the table.
std::string typesOf(Connection& connection, const std::string& table) {
    std::string text;
    for (const FieldInfo& field : connection.columns(table)) {
        text += (text.empty() ? "" : ", ") + field.name + " " + field.typeName;
    }
    return text;
}

struct TextCase {
    std::string what;
    std::map<std::string, std::string> files;  // name in the folder -> bytes
    std::string options;                        // appended to the connection string
    std::string sql;
    std::string rows;
    std::string table = {};  // whose column types to compare with `types`
    std::string types = {};
};

TEST(DbFlatFiles, TextFilesAreTablesWithTheirValuesAsWritten) {
    const TextCase cases[] = {
        {"quotes hold the delimiter, line ends and doubled quotes; empty is null, \"\" is empty text",
         {{"people.csv", "Id,Name,Note\r\n1,\"Smith, Ann\",\"said \"\"hi\"\"\nthen left\"\r\n2,,\"\"\r\n"}},
         "",
         "SELECT Id, typeof(Id), Name, Note FROM people ORDER BY Id",
         "1|integer|Smith, Ann|said \"hi\"\nthen left\n2|integer|<null>|\n",
         "people",
         "Id integer, Name varchar(10), Note varchar(19)"},
        {"reserved words as names; whole numbers sort as numbers; other text stays as written",
         {{"orders.csv", "Order,Select,Amount,Code\n10,x,12.50,007\n9,y,3,12\n"}},
         "",
         "SELECT [Order], [Select], [Amount], Code, typeof(Code) FROM [orders] WHERE [Order] > '8' ORDER BY [Order]",
         "9|y|3|12|text\n10|x|12.50|007|text\n",
         "orders",
         "Order integer, Select varchar(1), Amount decimal(4,2), Code varchar(3)"},
        {"the delimiter is found from the first line; no heading gives F1, F2",
         {{"semi.txt", "7;\"a;b\"\n8;c\n"}},
         ";HDR=No",
         "SELECT F1, F2 FROM semi",
         "7|a;b\n8|c\n",
         "semi",
         "F1 integer, F2 varchar(3)"},
        {"tabs and pipes; dates and decimals",
         {{"tabbed.tsv", "Day\tPrice\n2024-02-29\t12.50\n2023-01-05\t3.125\n"},
          {"piped.csv", "A|B\n1|2024-01-05 10:30:00\n"}},
         "",
         "SELECT t.Day, t.Price, p.B FROM tabbed t, piped p ORDER BY t.Day",
         "2023-01-05|3.125|2024-01-05 10:30:00\n2024-02-29|12.50|2024-01-05 10:30:00\n",
         "tabbed",
         "Day date, Price decimal(5,3)"},
        {"Windows-1252 and UTF-8 with its byte-order mark are both read as UTF-8",
         {{"ansi.csv", "Name,City\nM\xfcller,K\xf6ln \x80\n"},
          {"utf8.csv", "\xEF\xBB\xBFName,City\nJ\xC3\xBCrgen Gro\xC3\x9F,Z\xC3\xBCrich\n"}},
         "",
         "SELECT Name, City FROM ansi UNION ALL SELECT [Name], City FROM utf8",
         "Müller|Köln €\nJürgen Groß|Zürich\n",
         "utf8",
         "Name varchar(11), City varchar(6)"},
        {"a given encoding and delimiter win over what the file looks like",
         {{"given.csv", "a,b|c\n\xC3\xA9,x|y\n"}},
         ";Delimiter=|;Encoding=Windows-1252",
         "SELECT [a,b], c FROM given",
         "Ã©,x|y\n"},
        {"a folder of two tables joins by key, bracketed names as the program writes them",
         {{"Company.csv", "CoID,CoName\n1,Veltrane\n2,O'Brien\n"},
          {"Department.csv", "DeptID,CoID,DeptName\n10,1,Help Desk\n20,2,Sales\n11,1,Finance\n"},
          {"notes.md", "not a table"}},
         "",
         "SELECT [Company].[CoName], [Department].[DeptName] FROM [Company] INNER JOIN [Department] ON "
         "[Department].[CoID] = [Company].[CoID] WHERE [Company].[CoID] = 1 ORDER BY [Department].[DeptID]",
         "Veltrane|Help Desk\nVeltrane|Finance\n"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempHome home;
        for (const auto& [name, bytes] : c.files) test::writeFile(home.path() / name, bytes);
        auto connection = openConnection("Provider=Text;Data Source=" + home.path().string() + c.options);
        EXPECT_EQ(connection->dbmsName(), "Text");
        EXPECT_EQ(test::rowsOf(*connection, c.sql), c.rows);
        if (!c.table.empty()) {
            EXPECT_EQ(typesOf(*connection, c.table), c.types);
        }
    }
}

TEST(DbFlatFiles, AFileIsOneTableAndRecordSetsReportItsTypes) {
    test::TempHome home;
    test::writeFile(home.path() / "prices.csv", "Item,Price\nPen,1.50\nBook,12.25\n");
    // A Jet string names the folder; the table also answers to Jet's name for it.
    std::string jet = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + home.path().string() +
                      ";Extended Properties=\"text;HDR=Yes;FMT=Delimited\"";
    for (const std::string& text : {"Provider=Text;Data Source=" + (home.path() / "prices.csv").string(), jet}) {
        SCOPED_TRACE(text);
        auto connection = openConnection(text);
        EXPECT_EQ(connection->tables(ObjectType::Table), std::vector<std::string>{"prices"});
        auto dialect = sourceDialectOf(*connection);
        auto rows = connection->query(dialect->selectTop(1, "[Price] From [prices] ORDER BY [Item]"));
        ASSERT_TRUE(rows->next());
        EXPECT_EQ(rows->value(0), "12.25");
        EXPECT_EQ(rows->field(0).adoType, ado::kNumeric);
        EXPECT_EQ(rows->field(0).numericScale, 2);
    }
    auto connection = openConnection(jet);
    EXPECT_EQ(test::rowsOf(*connection, "SELECT count(*) FROM [prices#csv]"), "2\n");
    EXPECT_EQ(typesOf(*connection, "prices#csv"), "Item varchar(4), Price decimal(4,2)");
}

// A dBase table made with shapelib, as other programs write them.
void writeDbf(const fs::path& file) {
    DBFHandle dbf = DBFCreateEx(file.c_str(), "LDID/87");  // Windows ANSI
    ASSERT_NE(dbf, nullptr);
    DBFAddField(dbf, "NAME", FTString, 20, 0);
    DBFAddField(dbf, "QTY", FTInteger, 5, 0);
    DBFAddField(dbf, "PRICE", FTDouble, 8, 2);
    DBFAddNativeFieldType(dbf, "BORN", 'D', 8, 0);
    DBFAddNativeFieldType(dbf, "ACTIVE", 'L', 1, 0);
    DBFAddField(dbf, "ORDER", FTString, 5, 0);
    const char* rows[][6] = {
        {"M\xfcller  ", "12", "12.5", "19990131", "T", " x"},
        {"Brown", "3", "0", "", "?", ""},
        {"Deleted", "1", "1", "20000101", "F", ""},
        {"Smith", nullptr, nullptr, nullptr, "n", nullptr},
    };
    for (int row = 0; row < 4; ++row) {
        for (int field = 0; field < 6; ++field) {
            const char* value = rows[row][field];
            if (!value) {
                DBFWriteNULLAttribute(dbf, row, field);
            } else if (field == 1) {
                DBFWriteIntegerAttribute(dbf, row, field, std::stoi(value));
            } else if (field == 2) {
                DBFWriteDoubleAttribute(dbf, row, field, std::stod(value));
            } else if (field == 3 || field == 4) {  // dates and logicals as other programs write them
                DBFWriteAttributeDirectly(dbf, row, field, const_cast<char*>(value));
            } else {
                DBFWriteStringAttribute(dbf, row, field, value);
            }
        }
    }
    DBFMarkRecordDeleted(dbf, 2, 1);
    DBFClose(dbf);
}

TEST(DbFlatFiles, DbfTablesReadTextNumbersDatesAndLogicalsLeavingDeletedRecordsOut) {
    test::TempHome home;
    writeDbf(home.path() / "stock.dbf");
    test::writeFile(home.path() / "readme.txt", "not a table of a DBF folder");
    auto connection = openConnection("Provider=DBF;Data Source=" + home.path().string());
    EXPECT_EQ(connection->dbmsName(), "DBF");
    EXPECT_EQ(connection->tables(ObjectType::Table), std::vector<std::string>{"stock"});
    EXPECT_EQ(test::rowsOf(*connection, "SELECT NAME, QTY, typeof(QTY), PRICE, BORN, ACTIVE, [ORDER] FROM stock "
                                        "ORDER BY NAME"),
              "Brown|3|integer|0.00|<null>|<null>|<null>\n"
              "Müller|12|integer|12.50|1999-01-31|1| x\n"
              "Smith|<null>|null|<null>|<null>|0|<null>\n");
    EXPECT_EQ(typesOf(*connection, "stock"),
              "NAME varchar(20), QTY integer, PRICE decimal(7,2), BORN date, ACTIVE bit, ORDER varchar(5)");
}

TEST(DbFlatFiles, WhatCannotBeReadIsRefusedSayingWhereAndNothingIsOpen) {
    struct Case {
        std::string what;
        std::map<std::string, std::string> files;
        std::string dataSource;  // under the folder
        std::string options;
        std::string message;
    };
    const Case cases[] = {
        {"a missing file", {}, "gone.csv", "", "gone.csv does not exist. Data Source names a file, or a folder of"},
        {"a folder without text files", {{"a.dbf", ""}}, "", "", "holds no .csv, .tsv or .txt files"},
        {"a row with a value too many",
         {{"a.csv", "A,B\n1,2\n\"x\ny\",3\n4,5,6\n"}},
         "a.csv", "", "a.csv, line 5: the row has 3 values where the first line has 2"},
        {"a quote inside a value", {{"a.csv", "A,B\n1,2\n3,say \"hi\"\n"}}, "a.csv", "", "a.csv, line 3: a quote"},
        {"a quote never closed", {{"a.csv", "A,B\n1,2\n3,\"open\n4,5\n"}}, "a.csv", "", "a.csv, line 3: a quoted value"},
        {"an empty file", {{"a.csv", ""}}, "a.csv", "", "a.csv is empty"},
        {"text that is not the UTF-8 it is said to be",
         {{"a.csv", "A\nok\nM\xfcller\n"}},
         "a.csv", ";Encoding=UTF-8", "a.csv, line 3: the text is not UTF-8. Give Encoding=Windows-1252"},
        {"two files for one table", {{"a.csv", "A\n1\n"}, {"A.txt", "A\n2\n"}}, "", "", "which would be one table"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempHome home;
        for (const auto& [name, bytes] : c.files) test::writeFile(home.path() / name, bytes);
        FlatFileConnection connection;
        try {
            connection.open("Provider=Text;Data Source=" + (home.path() / c.dataSource).string() + c.options);
            ADD_FAILURE() << "opened";
        } catch (const DbError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
        EXPECT_FALSE(connection.isOpen());
    }
}

// Whatever a text file holds, it opens with every value valid UTF-8 or is refused with DbError.
TEST(DbFlatFiles, HostileTextFilesOpenAsValidTextOrAreRefused) {
    const std::vector<std::string> kPieces = {",", ";", "\t", "|", "\"", "\"\"", "\n", "\r\n", "a", "12", "-0",
                                              "12.50", "2024-02-30", "\xFC", "\xC3\xA9", " ", "Order"};
    test::TempHome home;
    const fs::path file = home.path() / "fuzz.csv";
    test::Fuzz fuzz;
    while (fuzz.next()) {
        std::string bytes = fuzz.text(kPieces, 40, 8);
        test::writeFile(file, bytes);
        SCOPED_TRACE(fuzz.where() + ": " + ::testing::PrintToString(bytes));
        FlatFileConnection connection;
        try {
            connection.open("Provider=Text;Data Source=" + file.string());
        } catch (const DbError&) {
            EXPECT_FALSE(connection.isOpen());
            continue;
        }
        auto rows = connection.query("SELECT * FROM fuzz");
        while (rows->next()) {
            for (std::size_t i = 0; i < rows->fieldCount(); ++i) {
                auto value = rows->text(i);
                ASSERT_TRUE(!value || diag::isValidUtf8(*value));
            }
        }
        for (const FieldInfo& field : connection.columns("fuzz")) ASSERT_TRUE(diag::isValidUtf8(field.name));
    }
}

}  // namespace
}  // namespace koru::db
