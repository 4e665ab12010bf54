#include "restore/import_deletion.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "restore/imported_destination.h"
#include "support/failing_connection.h"
#include "support/lock_holder.h"
#include "support/recording_reporter.h"

namespace koru::restore {
namespace {

using test::ImportedDestination;

// A table the deletion cleans and the column that names what a row belongs to.
struct Cleaned {
    const char* table;
    const char* key;
};
const std::vector<Cleaned> kRequestTables = {{"Ties", "RQID"},         {"RequestLog", "RequestID"},
                                             {"RequestAction", "RequestID"}, {"RequestActivity", "RequestID"},
                                             {"attach", "Rqid"},       {"UdfVals", "Rqid"},
                                             {"Request", "ID"}};
const std::vector<Cleaned> kAssetTables = {{"CIIDHistory", "CIIDID"},  {"AssetCIIDHistory", "CIIDID"},
                                           {"AssetMaintainHistory", "CIIDID"}, {"AssetMaintain", "CIIDID"},
                                           {"VISITING", "CIIDID"},     {"AssetAttach", "CIIDID"},
                                           {"AssetCIID", "CIIDID"},    {"ExtLinks", "CIID"}};

// A list that matches no row.
const std::string kNothing = "SELECT 0 WHERE 0";

std::string itemsOf(std::int32_t session) {
    return "SELECT CIIDID FROM XFRHash WHERE ImportID = " + std::to_string(session);
}

std::string rowsOutside(ImportedDestination& d, const Cleaned& cleaned, const std::string& gone) {
    return d.rows("SELECT * FROM [" + std::string(cleaned.table) + "] WHERE [" + cleaned.key + "] NOT IN (" + gone +
                  ") ORDER BY rowid");
}

// Every table the deletion may clean, whole.
std::string snapshot(ImportedDestination& d) {
    std::string all = d.rows("SELECT * FROM CIID ORDER BY ID");
    for (const auto& tables : {kRequestTables, d.context.LGEnabled ? kAssetTables : std::vector<Cleaned>{}}) {
        for (const Cleaned& cleaned : tables) all += rowsOutside(d, cleaned, kNothing);
    }
    return all;
}

// Names each item with its parent's name, so that rows of different runs compare.
const char* kTree =
    "SELECT c.Alpha1, p.Alpha1 FROM CIID c LEFT JOIN CIID p ON p.ID = c.Parent WHERE c.ID > 3 ORDER BY 1, 2";

void addRequest(ImportedDestination& d, int request, const std::string& item) {
    std::string id = std::to_string(request);
    d.execute("INSERT INTO Request (ID, Summary) VALUES (" + id + ", 'broken')");
    d.execute("INSERT INTO Ties (RQID, CIID) VALUES (" + id + ", " + item + ")");
    for (const char* table : {"RequestLog", "RequestAction", "RequestActivity"}) {
        d.execute("INSERT INTO " + std::string(table) + " (RequestID) VALUES (" + id + ")");
    }
    for (const char* table : {"attach", "UdfVals"}) d.execute("INSERT INTO " + std::string(table) + " (Rqid) VALUES (" + id + ")");
}

TEST(DbImportDeletion, RemovesOneSessionAndNothingElseOnEitherProduct) {
    for (db::Product product : {db::Product::Tickora, db::Product::Ledgora}) {
        ImportedDestination d(product);
        SCOPED_TRACE(d.context.LGEnabled ? "Ledgora" : "Tickora");
        std::int32_t first = d.import();
        std::string ann = d.rows("SELECT ID FROM CIID WHERE Alpha1 = 'Ann'");
        ann.pop_back();
        // Made by a user under an imported contact whose company the session also imported.
        d.execute("INSERT INTO CIID (Parent, StyleID, Alpha1) VALUES (" + ann + ", 4, 'User PC')");
        addRequest(d, 1, ann);
        addRequest(d, 2, "3");
        if (d.context.LGEnabled) {
            for (const std::string& item : {ann, std::string("3")}) {
                d.execute("INSERT INTO AssetAttach (CIIDID) VALUES (" + item + ")");
                d.execute("INSERT INTO ExtLinks (CIID, AppID, LinkID) VALUES (" + item + ", 1, 'L')");
            }
        }
        std::int32_t second = d.import();

        std::string gone = itemsOf(first);
        std::string goneRequests = d.context.LGEnabled ? kNothing : "SELECT RQID FROM Ties WHERE CIID IN (" + gone + ")";
        std::vector<std::pair<Cleaned, std::string>> expected;
        for (const Cleaned& cleaned : kRequestTables) expected.emplace_back(cleaned, rowsOutside(d, cleaned, goneRequests));
        if (d.context.LGEnabled) {
            for (const Cleaned& cleaned : kAssetTables) {
                expected.emplace_back(cleaned, rowsOutside(d, cleaned, gone));
                EXPECT_NE(expected.back().second, rowsOutside(d, cleaned, kNothing)) << cleaned.table << " has no rows to delete";
            }
        }
        expected.emplace_back(Cleaned{"XFRHASH", "ImportID"}, rowsOutside(d, {"XFRHASH", "ImportID"}, std::to_string(first)));
        expected.emplace_back(Cleaned{"XFRTranLog", "ID"}, rowsOutside(d, {"XFRTranLog", "ID"}, std::to_string(first)));

        test::RecordingReporter reporter;
        std::vector<std::pair<std::int64_t, std::int64_t>> progress;
        DeletionResult result = deleteImportSession(d.context, reporter, first, [&](std::int64_t total, std::int64_t done) {
            progress.emplace_back(total, done);
        });
        EXPECT_TRUE(result.success);
        EXPECT_TRUE(reporter.reports.empty());
        EXPECT_EQ(result.itemsDeleted, 5);
        EXPECT_EQ(result.itemsKept, 0);
        EXPECT_EQ(result.requestsDeleted, d.context.LGEnabled ? 0 : 1);
        EXPECT_EQ(result.hashRowsRemoved, 5);
        ASSERT_EQ(progress.size(), 6u);
        EXPECT_EQ(progress.front(), std::make_pair(std::int64_t{5}, std::int64_t{0}));
        EXPECT_EQ(progress.back(), std::make_pair(std::int64_t{5}, std::int64_t{5}));

        for (const auto& [cleaned, rows] : expected) EXPECT_EQ(rowsOutside(d, cleaned, kNothing), rows) << cleaned.table;
        // The second session's items stay; the user's item climbs to the first company's parent.
        EXPECT_EQ(d.rows(kTree), "Alpha|Veltrane Ltd\nAnn|Alpha\nBeta|Veltrane Ltd\nCarl|Beta\nOlivia|Alpha\n"
                                 "User PC|Veltrane Ltd\n");
        EXPECT_EQ(d.rows("SELECT count(*) FROM CIID WHERE ID IN (" + itemsOf(second) + ")"), "5\n");
        EXPECT_EQ(d.rows("SELECT group_concat(enabled) FROM koru_trigger_switch"), d.context.LGEnabled ? "1,1,1\n" : "1\n");
    }
}

TEST(DbImportDeletion, UpdatesGoFirstWithoutTheirBaseAndTheBaseLeavesTheProductAsItWas) {
    ImportedDestination d(db::Product::Ledgora);
    std::string before = snapshot(d);
    std::int32_t base = d.import();
    d.context.source().execute("INSERT INTO Contact VALUES ('c4', 'B', 'Dora')");
    std::int32_t update = d.import(2, base);
    d.context.source().execute("INSERT INTO Contact VALUES ('c5', 'A', 'Eli')");
    std::int32_t later = d.import(2, update);
    test::RecordingReporter reporter;

    // Undoing the middle update keeps what the base made and what the later run added.
    DeletionResult result = deleteImportSession(d.context, reporter, update);
    EXPECT_TRUE(result.success);
    EXPECT_EQ(std::make_pair(result.itemsDeleted, result.itemsKept), std::make_pair(std::int64_t{1}, std::int64_t{5}));
    EXPECT_EQ(d.rows(kTree), "Alpha|Veltrane Ltd\nAnn|Alpha\nBeta|Veltrane Ltd\nCarl|Beta\nEli|Alpha\nOlivia|Alpha\n");
    // The later run now updates the base, so its chain still reaches it.
    EXPECT_EQ(d.rows("SELECT ID, UpdateImportID FROM XFRTranLog ORDER BY ID"),
              std::to_string(base) + "|0\n" + std::to_string(later) + "|" + std::to_string(base) + "\n");

    result = deleteImportSession(d.context, reporter, later);
    EXPECT_EQ(std::make_pair(result.itemsDeleted, result.itemsKept), std::make_pair(std::int64_t{1}, std::int64_t{5}));
    result = deleteImportSession(d.context, reporter, base);
    EXPECT_EQ(result.itemsDeleted, 5);
    EXPECT_TRUE(reporter.reports.empty());
    EXPECT_EQ(snapshot(d), before);
    EXPECT_EQ(d.rows("SELECT (SELECT count(*) FROM XFRHash) + (SELECT count(*) FROM XFRTranLog)"), "0\n");
}

TEST(DbImportDeletion, ToleratesARefusedMoveAndAStoppedDeletionSwitchesTriggersOnAndCanBeRepeated) {
    ImportedDestination d(db::Product::Ledgora);
    std::int32_t session = d.import();
    auto refuse = [&](const std::string& statement, std::int32_t code) {
        auto real = std::move(d.context.DestinationConnection);
        auto failing = std::make_unique<test::FailingConnection>(std::move(real), statement, code, 1);
        test::FailingConnection* raw = failing.get();
        d.context.DestinationConnection = std::move(failing);
        return raw;
    };
    test::RecordingReporter reporter;

    // An import or undo running elsewhere: after the wait nothing is done, and the refusal names it.
    {
        test::LockHolder other(d.destination.folder() / "TICKORDB.db");
        ASSERT_TRUE(other.held());
        d.context.DestinDBName = "TICKORDB";
        d.context.destinationLockWait = std::chrono::milliseconds(100);
        DeletionResult busy = deleteImportSession(d.context, reporter, session);
        EXPECT_FALSE(busy.success);
        EXPECT_NE(busy.refusal.find("running on the database TICKORDB ("), std::string::npos) << busy.refusal;
        EXPECT_TRUE(reporter.reports.empty());
        EXPECT_EQ(d.rows("SELECT count(*) FROM CIID WHERE ID IN (" + itemsOf(session) + ")"), "5\n");
    }

    test::FailingConnection* failing = refuse("DELETE FROM [AssetAttach] WHERE [CIIDID] = ?", db::kErrGeneralFailure);
    DeletionResult stopped = deleteImportSession(d.context, reporter, session);
    EXPECT_FALSE(stopped.success);
    EXPECT_EQ(failing->attempts, 1);
    ASSERT_EQ(reporter.reports.size(), 1u);
    EXPECT_EQ(reporter.reports[0].location, "frmRestoration:cmdDelete_Click");
    EXPECT_EQ(reporter.reports[0].number, db::kErrGeneralFailure);
    EXPECT_EQ(d.rows("SELECT group_concat(enabled) FROM koru_trigger_switch"), "1,1,1\n");
    EXPECT_EQ(d.rows("SELECT count(*) FROM XFRTranLog"), "1\n");
    EXPECT_EQ(d.rows("SELECT count(*) FROM CIID WHERE ID IN (" + itemsOf(session) + ")"), "5\n");

    // Again, with the first move refused as an integrity violation: the rest goes on.
    failing = refuse("UPDATE [CIID] SET [Parent] = ? WHERE [Parent] = ?", db::kErrIntegrityViolation);
    DeletionResult repeated = deleteImportSession(d.context, reporter, session);
    EXPECT_TRUE(repeated.success);
    EXPECT_EQ(failing->attempts, 5);
    EXPECT_EQ(reporter.reports.size(), 1u);
    EXPECT_EQ(repeated.itemsDeleted, 5);
    EXPECT_EQ(d.rows("SELECT count(*) FROM CIID WHERE ID > 3"), "0\n");
}

TEST(DbImportDeletion, ItemsDeletedByOtherMeansAreSkippedAndTheSessionStillGoes) {
    ImportedDestination d(db::Product::Tickora);
    test::RecordingReporter reporter;
    std::int32_t partly = d.import();
    d.execute("DELETE FROM CIID WHERE Alpha1 IN ('Beta', 'Carl')");
    std::int32_t wholly = d.import();
    d.execute("DELETE FROM CIID WHERE ID IN (" + itemsOf(wholly) + ")");

    struct Case {
        std::int32_t session;
        std::int64_t items;
    };
    for (Case c : {Case{partly, 3}, Case{wholly, 0}}) {
        std::int64_t total = -1;
        EXPECT_EQ(importItemCount(d.context, c.session), c.items);
        DeletionResult result = deleteImportSession(d.context, reporter, c.session,
                                                    [&](std::int64_t all, std::int64_t) { total = all; });
        EXPECT_TRUE(result.success);
        EXPECT_EQ(total, c.items);
        EXPECT_EQ(result.itemsDeleted, c.items);
        EXPECT_EQ(result.hashRowsRemoved, 5);
    }
    EXPECT_EQ(d.rows("SELECT (SELECT count(*) FROM XFRHash) + (SELECT count(*) FROM XFRTranLog) + "
                     "(SELECT count(*) FROM CIID WHERE ID > 3)"),
              "0\n");
    EXPECT_TRUE(reporter.reports.empty());
}

// The product's rows without their ids, so that two databases compare.
std::string productRows(ImportedDestination& d) {
    std::string all = d.rows(kTree) + d.rows("SELECT XFRID, StructureID FROM XFRHash ORDER BY 1, 2") +
                      d.rows("SELECT * FROM koru_trigger_switch ORDER BY 1");
    for (const Cleaned& cleaned : kAssetTables) {
        std::string table = cleaned.table;
        all += table + "\n" +
               d.rows("SELECT c.Alpha1, count(*) FROM [" + table + "] t LEFT JOIN CIID c ON c.ID = t.[" + cleaned.key +
                      "] GROUP BY c.Alpha1 ORDER BY 1");
    }
    return all;
}

TEST(DbImportDeletion, AFailedRunDeletedAndRunAgainEqualsOneCleanRun) {
    ImportedDestination clean(db::Product::Ledgora);
    clean.import();

    ImportedDestination d(db::Product::Ledgora);
    auto real = std::move(d.context.DestinationConnection);
    d.context.DestinationConnection = std::make_unique<test::FailingConnection>(
        std::move(real), "UPDATE [CIID] SET [Parent] = [XFRHASH]*", db::kErrGeneralFailure, 1);
    std::int32_t failed = d.import(0, 0, false);
    ASSERT_NE(d.rows("SELECT count(*) FROM XFRHash"), "0\n");
    test::RecordingReporter reporter;
    EXPECT_TRUE(deleteImportSession(d.context, reporter, failed).success);
    d.import();
    EXPECT_EQ(productRows(d), productRows(clean));
}

}  // namespace
}  // namespace koru::restore
