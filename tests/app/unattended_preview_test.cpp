#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "db/sqlite_connection.h"
#include "support/unattended_program.h"

namespace koru::app {
namespace {

using test::Outcome;

class DbUnattendedPreview : public ::testing::Test, protected test::UnattendedProgram {
protected:
    // Every table of the destination, its schema and its triggers, row for row.
    std::string snapshot() {
        std::string all = rows("SELECT type, name, sql FROM sqlite_master ORDER BY name");
        std::istringstream tables(rows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
        for (std::string table; std::getline(tables, table);) {
            all += "[" + table + "]\n" + rows("SELECT * FROM [" + table + "]");
        }
        return all;
    }
    Outcome preview(char update) {
        return run(std::string("--preview \"/MapFile='demo.xfo'\" /Product=tickora /UserID=admin \"/Update='") +
                   update + "'\"");
    }
    // The level lines of a preview, without their names: read, create, update, move, failing.
    static std::string counts(const std::string& out) {
        std::istringstream lines(out);
        std::string table;
        for (std::string line; std::getline(lines, line);) {
            if (std::count(line.begin(), line.end(), '\t') != 5) continue;
            table += line.substr(line.find('\t') + 1) + "\n";
        }
        return table;
    }
    // The items the newest session created and updated on a level: "created|updated".
    std::string done(const std::string& itemsBefore, int level) {
        std::string counts = rows("SELECT count(DISTINCT CASE WHEN h.CIIDID > " + itemsBefore +
                                  " THEN h.CIIDID END), count(DISTINCT CASE WHEN h.CIIDID <= " + itemsBefore +
                                  " THEN h.CIIDID END) FROM XFRHash h WHERE h.ImportID = (SELECT max(ID) FROM "
                                  "XFRTranLog) AND h.StructureID = " + std::to_string(level));
        counts.pop_back();
        return counts;
    }
};

struct PreviewCase {
    const char* what;
    std::vector<std::string> before;  // source changes after a first plain import; none: no import
    char update;
};

TEST_F(DbUnattendedPreview, ChangesNothingAndCountsWhatTheRunThenDoes) {
    const PreviewCase cases[] = {
        {"first import", {}, '0'},
        {"update data", {"UPDATE Company SET Phone = '+64 4 555 0199' WHERE CoID = 1",
                         "INSERT INTO Company VALUES (6, 'Othco', NULL, NULL, NULL, NULL)"}, '1'},
        {"update + new", {"INSERT INTO Company VALUES (5, 'Newco', NULL, NULL, NULL, NULL)"}, '2'},
        {"add new only", {"INSERT INTO Company VALUES (7, 'Thirdco', NULL, NULL, NULL, NULL)"}, '3'},
        {"plain import again", {}, '0'},
    };
    bool imported = false;
    for (const PreviewCase& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.before.empty() && !imported) {
            ASSERT_EQ(import('0').status, 0);
            imported = true;
        }
        for (const std::string& change : c.before) changeSource(change);
        std::string before = snapshot();
        Outcome previewed = preview(c.update);
        ASSERT_EQ(previewed.status, 0) << previewed.err;
        EXPECT_EQ(snapshot(), before) << "the preview changed the destination";
        std::string itemsBefore = rows("SELECT coalesce(max(ID), 0) FROM CIID");
        itemsBefore.pop_back();
        ASSERT_EQ(import(c.update).status, 0);
        imported = true;
        // read|create|update|move|failing against create|update of the run.
        std::string expected;
        std::istringstream lines(counts(previewed.out));
        int level = 0;
        for (std::string line; std::getline(lines, line);) {
            std::string run = done(itemsBefore, ++level);
            std::istringstream fields(line);
            std::string read, create, update, move, failing;
            std::getline(fields, read, '\t');
            std::getline(fields, create, '\t');
            std::getline(fields, update, '\t');
            std::getline(fields, move, '\t');
            std::getline(fields, failing, '\t');
            EXPECT_EQ(create + "|" + update, run) << previewed.out;
            EXPECT_EQ(failing, "0") << previewed.out;
        }
        EXPECT_EQ(level, 5) << previewed.out;
    }
}

TEST_F(DbUnattendedPreview, ARunThatWouldFailIsPreviewedAsFailingAndChangesNothing) {
    struct Failing {
        std::string source;       // what makes the run fail
        std::string destination;  // a product rule refusing a row, or nothing
        std::string says;
    };
    const Failing cases[] = {
        {"UPDATE Contact SET StaffNo = 99999999999 WHERE ContactID = 100", "",
         "The run would fail: XFR Import Failed At Stage : Writing To Temp Table\nlevel 3 (Contact), source key "
         "'100', column Num1: Overflow: '99999999999' is not a 32-bit number"},
        {"INSERT INTO Company VALUES (8, 'Refused Ltd', NULL, NULL, NULL, NULL)",
         "CREATE TRIGGER refuse BEFORE INSERT ON CIID WHEN new.Alpha1 = 'Refused Ltd' BEGIN "
         "SELECT RAISE(ABORT, 'refused by the product'); END",
         "The run would fail: XFR Import Failed At Stage : Updating Live Database\n1 transfer rows failed; the "
         "first: level 1 (Company), source key '8': refused by the product (table CIID)"},
    };
    ASSERT_EQ(import('0').status, 0);
    for (const Failing& c : cases) {
        SCOPED_TRACE(c.says);
        changeSource(c.source);
        if (!c.destination.empty()) {
            db::SqliteConnection destination;
            destination.open(db::embeddedDestinationString(home.path(), "TICKORDB"));
            destination.execute(c.destination);
        }
        std::string before = snapshot();
        Outcome previewed = preview('2');
        EXPECT_EQ(previewed.status, 1);
        EXPECT_NE(previewed.out.find(c.says), std::string::npos) << previewed.out << previewed.err;
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(import('2').status, 1) << "the run itself fails as previewed";
        changeSource("DELETE FROM Company WHERE CoID = 8");
        changeSource("UPDATE Contact SET StaffNo = 1 WHERE ContactID = 100");
    }
}

}  // namespace
}  // namespace koru::app
