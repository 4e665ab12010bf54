#include "restore/import_deletion.h"

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "db/destination_lock.h"
#include "import/import_statements.h"
#include "wizard/error_trap.h"

namespace koru::restore {
namespace {

constexpr const char* kLocation = "frmRestoration:cmdDelete_Click";
// Items per transaction on the embedded destination.
constexpr std::int64_t kBatchItems = 500;

// Every statement of the deletion; '?' stands for a number, in order.
enum Sql {
    kCount,
    kItems,
    kKept,
    kTies,
    kDeleteTies,
    kDeleteRequestLog,
    kDeleteRequestAction,
    kDeleteRequestActivity,
    kDeleteAttach,
    kDeleteUdfVals,
    kDeleteRequest,
    kMoveChildren,
    kDeleteCIIDHistory,
    kDeleteAssetCIIDHistory,
    kDeleteAssetMaintainHistory,
    kDeleteAssetMaintain,
    kDeleteVisiting,
    kDeleteAssetAttach,
    kDeleteAssetCIID,
    kDeleteExtLinks,
    kDeleteItem,
    kBaseOf,
    kDeleteHash,
    kDeleteTranLog,
    kRepoint,
    kSqlCount
};

// As SQL Server has always been sent them. The item's own row goes by its id, not through a
// positioned delete on an open record set; the earlier-session test and the re-pointing of the
// sessions that updated this one are statements of their own.
const std::array<const char*, kSqlCount> kMssql = {
    "Select count(r.ciidid) as CT From ciid c, xfrhash r where importid = ? and r.ciidid = c.id",
    "Select c.parent, r.ciidid From ciid c, xfrhash r where importid = ? and r.ciidid = c.id",
    "Select distinct r.ciidid From xfrhash r where r.importid = ? and exists "
    "(Select e.ciidid From xfrhash e where e.ciidid = r.ciidid and e.importid < ?)",
    "Select rqid from ties where ciid=?",
    "Delete From Ties Where RQID=?",
    "Delete From RequestLog Where RequestID=?",
    "Delete From RequestAction Where RequestID='?'",
    "Delete From RequestActivity Where RequestID='?'",
    "Delete from attach where rqid='?'",
    "Delete from UdfVals where Rqid = ?",
    "Delete From Request Where ID=?",
    "Update Ciid set parent = ? where parent = ?",
    "Delete From CIIDHistory Where CIIDID = ?",
    "Delete From AssetCIIDHistory Where CIIDID = ?",
    "Delete From AssetMaintainHistory Where CIIDID = ?",
    "Delete From AssetMaintain Where CIIDID = ?",
    "Delete From Visiting Where CIIDID = ?",
    "Delete From AssetAttach Where CIIDID = ?",
    "Delete From AssetCIID Where CIIDID = ?",
    "Delete From ExtLinks Where CIID = ?",
    "Delete From Ciid Where ID = ?",
    "Select UpdateImportID from XFRTranLog where ID = ?",
    "Delete from xfrhash where importid = ?",
    "Delete from xfrtranlog where id = ?",
    "Update XFRTranLog set UpdateImportID = ? where UpdateImportID = ?",
};

const std::array<const char*, kSqlCount> kSqlite = {
    "SELECT count(r.[CIIDID]) AS CT FROM [CIID] c, [XFRHASH] r WHERE r.[ImportID] = ? AND r.[CIIDID] = c.[ID]",
    "SELECT c.[Parent], r.[CIIDID] FROM [CIID] c, [XFRHASH] r WHERE r.[ImportID] = ? AND r.[CIIDID] = c.[ID]",
    "SELECT DISTINCT r.[CIIDID] FROM [XFRHASH] r WHERE r.[ImportID] = ? AND EXISTS "
    "(SELECT 1 FROM [XFRHASH] e WHERE e.[CIIDID] = r.[CIIDID] AND e.[ImportID] < ?)",
    "SELECT [RQID] FROM [Ties] WHERE [CIID] = ?",
    "DELETE FROM [Ties] WHERE [RQID] = ?",
    "DELETE FROM [RequestLog] WHERE [RequestID] = ?",
    "DELETE FROM [RequestAction] WHERE [RequestID] = ?",
    "DELETE FROM [RequestActivity] WHERE [RequestID] = ?",
    "DELETE FROM [attach] WHERE [Rqid] = ?",
    "DELETE FROM [UdfVals] WHERE [Rqid] = ?",
    "DELETE FROM [Request] WHERE [ID] = ?",
    "UPDATE [CIID] SET [Parent] = ? WHERE [Parent] = ?",
    "DELETE FROM [CIIDHistory] WHERE [CIIDID] = ?",
    "DELETE FROM [AssetCIIDHistory] WHERE [CIIDID] = ?",
    "DELETE FROM [AssetMaintainHistory] WHERE [CIIDID] = ?",
    "DELETE FROM [AssetMaintain] WHERE [CIIDID] = ?",
    "DELETE FROM [VISITING] WHERE [CIIDID] = ?",
    "DELETE FROM [AssetAttach] WHERE [CIIDID] = ?",
    "DELETE FROM [AssetCIID] WHERE [CIIDID] = ?",
    "DELETE FROM [ExtLinks] WHERE [CIID] = ?",
    "DELETE FROM [CIID] WHERE [ID] = ?",
    "SELECT [UpdateImportID] FROM [XFRTranLog] WHERE [ID] = ?",
    "DELETE FROM [XFRHASH] WHERE [ImportID] = ?",
    "DELETE FROM [XFRTranLog] WHERE [ID] = ?",
    "UPDATE [XFRTranLog] SET [UpdateImportID] = ? WHERE [UpdateImportID] = ?",
};

const std::array<Sql, 7> kRequestDeletes = {kDeleteTies,   kDeleteRequestLog, kDeleteRequestAction, kDeleteRequestActivity,
                                            kDeleteAttach, kDeleteUdfVals,    kDeleteRequest};
const std::array<Sql, 8> kCompanionDeletes = {kDeleteCIIDHistory, kDeleteAssetCIIDHistory, kDeleteAssetMaintainHistory,
                                              kDeleteAssetMaintain, kDeleteVisiting, kDeleteAssetAttach,
                                              kDeleteAssetCIID, kDeleteExtLinks};
const std::array<const char*, 3> kTriggerTables = {"assetciid", "ciid", "assetmaintain"};

using Rows = std::vector<std::vector<std::optional<std::string>>>;
using Numbers = std::vector<std::int64_t>;

std::int64_t numberOf(const std::optional<std::string>& text) {
    if (!text) return 0;
    try {
        return std::stoll(*text);
    } catch (const std::exception&) {
        return 0;
    }
}

// Runs the statements of one dialect.
class Runner {
public:
    explicit Runner(db::Connection& destination) : m_db(destination) {}
    virtual ~Runner() = default;
    virtual Rows rows(Sql sql, const Numbers& values) = 0;
    // Rows changed; -1 when the database does not say.
    virtual std::int64_t run(Sql sql, const Numbers& values) = 0;
    // Indexes the per-item statements need, where the database lacks them.
    virtual void prepareIndexes(bool assets) { (void)assets; }
    // A batch of items begins or ends; what ran is kept either way, as autocommit keeps it.
    virtual void begin() {}
    virtual void commit() {}

protected:
    static Rows readAll(db::Recordset& recordset) {
        Rows all;
        while (recordset.next()) {
            std::vector<std::optional<std::string>> row;
            for (std::size_t i = 0; i < recordset.fieldCount(); ++i) row.push_back(recordset.value(i));
            all.push_back(std::move(row));
        }
        return all;
    }

    db::Connection& m_db;
};

// SQL Server: the texts with the numbers written in, each statement on its own.
class MssqlRunner : public Runner {
public:
    using Runner::Runner;
    Rows rows(Sql sql, const Numbers& values) override {
        auto recordset = m_db.query(text(sql, values));
        return readAll(*recordset);
    }
    std::int64_t run(Sql sql, const Numbers& values) override {
        m_db.execute(text(sql, values));
        return m_db.affectedRows();
    }

private:
    static std::string text(Sql sql, const Numbers& values) {
        std::string statement = kMssql[sql];
        std::size_t from = 0;
        for (std::int64_t value : values) {
            std::size_t mark = statement.find('?', from);
            std::string number = std::to_string(value);
            statement.replace(mark, 1, number);
            from = mark + number.size();
        }
        return statement;
    }
};

// The embedded destination: prepared statements, items committed in batches.
class SqliteRunner : public Runner {
public:
    using Runner::Runner;
    ~SqliteRunner() override {
        try {
            commit();
        } catch (const std::exception&) {
            // the deletion ends here anyway; its error has been reported
        }
    }
    Rows rows(Sql sql, const Numbers& values) override {
        auto recordset = statement(sql).query(bound(values));
        return readAll(*recordset);
    }
    std::int64_t run(Sql sql, const Numbers& values) override { return statement(sql).execute(bound(values)); }

    void prepareIndexes(bool assets) override {
        std::vector<std::array<const char*, 3>> indexes = {{"IX_CIID_Parent", "CIID", "[Parent]"},
                                                           {"koru_XFRHASH_CIIDID", "XFRHASH", "[CIIDID], [ImportID]"}};
        if (assets) {
            indexes.insert(indexes.end(), {{"koru_CIIDHistory_CIIDID", "CIIDHistory", "[CIIDID]"},
                                           {"koru_AssetCIIDHistory_CIIDID", "AssetCIIDHistory", "[CIIDID]"},
                                           {"koru_AssetMaintainHistory_CIIDID", "AssetMaintainHistory", "[CIIDID]"},
                                           {"koru_AssetMaintain_CIIDID", "AssetMaintain", "[CIIDID]"},
                                           {"koru_VISITING_CIIDID", "VISITING", "[CIIDID]"},
                                           {"koru_AssetAttach_CIIDID", "AssetAttach", "[CIIDID]"},
                                           {"IX_AssetCIID_CIIDID", "AssetCIID", "[CIIDID]"},
                                           {"koru_ExtLinks_CIID", "ExtLinks", "[CIID]"}});
        } else {
            indexes.insert(indexes.end(), {{"koru_Ties_CIID", "Ties", "[CIID]"},
                                           {"koru_Ties_RQID", "Ties", "[RQID]"},
                                           {"koru_RequestLog_RequestID", "RequestLog", "[RequestID]"},
                                           {"koru_RequestAction_RequestID", "RequestAction", "[RequestID]"},
                                           {"koru_RequestActivity_RequestID", "RequestActivity", "[RequestID]"},
                                           {"koru_attach_Rqid", "attach", "[Rqid]"},
                                           {"koru_UdfVals_Rqid", "UdfVals", "[Rqid]"}});
        }
        auto exists = m_db.prepare("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE");
        for (const auto& [name, table, columns] : indexes) {
            if (numberOf(readAll(*exists->query({std::string(table)})).at(0).at(0)) == 0) continue;
            try {
                m_db.execute("CREATE INDEX IF NOT EXISTS [" + std::string(name) + "] ON [" + table + "] (" + columns +
                             ")");
            } catch (const db::DbError&) {
                // Only speed is lost: a product table without the column has nothing to delete by it.
            }
        }
    }

    void begin() override {
        if (!m_db.inTransaction()) m_db.beginTransaction();
    }
    void commit() override {
        if (m_db.isOpen() && m_db.inTransaction()) m_db.commit();
    }

private:
    db::Statement& statement(Sql sql) {
        auto& prepared = m_statements[sql];
        if (!prepared) prepared = m_db.prepare(kSqlite[sql]);
        return *prepared;
    }
    static std::vector<db::Value> bound(const Numbers& values) { return {values.begin(), values.end()}; }

    std::map<Sql, std::unique_ptr<db::Statement>> m_statements;
};

std::unique_ptr<Runner> makeRunner(db::DestinationDialect::Kind kind, db::Connection& destination) {
    if (kind == db::DestinationDialect::Kind::Mssql) return std::make_unique<MssqlRunner>(destination);
    return std::make_unique<SqliteRunner>(destination);
}

// The product triggers while the items go; on again on every way out.
class TriggersOff {
public:
    TriggersOff(db::Connection& destination, const import::ImportStatements& statements)
        : m_db(destination), m_statements(statements) {}
    ~TriggersOff() { restore(); }
    void disable() {
        m_off = true;
        for (const char* table : kTriggerTables) m_db.execute(m_statements.disableTriggers(table));
    }
    void enable() {
        for (const char* table : kTriggerTables) m_db.execute(m_statements.enableTriggers(table));
        m_off = false;
    }
    // After a failure: each table is tried, whatever the others do.
    void restore() noexcept {
        if (!m_off) return;
        m_off = false;
        for (const char* table : kTriggerTables) {
            try {
                m_db.execute(m_statements.enableTriggers(table));
            } catch (const std::exception&) {
                // the failure that stopped the deletion is the one reported
            }
        }
    }

private:
    db::Connection& m_db;
    const import::ImportStatements& m_statements;
    bool m_off = false;
};

// Deletes every request tied to one item; false after a reported failure, which stops this
// item's requests but not the deletion.
bool UT_Delete_Requests(Runner& runner, diag::ErrorReporter& reporter, std::int64_t ciidID, std::int64_t& deleted) {
    Rows requests;
    try {
        requests = runner.rows(kTies, {ciidID});
    } catch (const db::DbError&) {
        return false;  // errors suppressed: a product without requests has no Ties table
    }
    for (const auto& request : requests) {
        std::int64_t rqid = numberOf(request.at(0));
        try {
            for (Sql sql : kRequestDeletes) runner.run(sql, {rqid});
        } catch (const std::exception& error) {
            reporter.UT_Report_Error(wizard::errorRecordOf(error), "UT_Delete_Requests",
                                     "Error deleting Request ID:" + std::to_string(rqid));
            return false;
        }
        ++deleted;
    }
    return true;
}

}  // namespace

std::int64_t importItemCount(wizard::Context& context, std::int32_t importId) {
    auto runner = makeRunner(context.dialect().kind(), context.destination());
    Rows count = runner->rows(kCount, {importId});
    return count.empty() ? 0 : numberOf(count.front().at(0));
}

DeletionResult deleteImportSession(wizard::Context& context, diag::ErrorReporter& reporter, std::int32_t importId,
                                   const DeletionProgress& progress) {
    DeletionResult result;
    try {
        db::Connection& destination = context.destination();
        db::DestinationDialect::Kind kind = context.dialect().kind();
        std::shared_ptr<db::DestinationLock> lock = context.destinationLock();
        if (!lock->acquire(context.destinationLockWait)) {
            result.refusal = db::destinationBusyMessage(context.DestinDBName, lock->holder());
            return result;
        }
        std::unique_ptr<Runner> runner = makeRunner(kind, destination);
        TriggersOff triggers(destination, import::importStatementsFor(kind));
        const std::int64_t session = importId;
        try {
            runner->prepareIndexes(context.LGEnabled);
            if (context.LGEnabled) triggers.disable();

            Rows count = runner->rows(kCount, {session});
            std::int64_t total = count.empty() ? 0 : numberOf(count.front().at(0));
            if (progress) progress(total, 0);
            Rows items = runner->rows(kItems, {session});
            std::set<std::int64_t> kept;
            for (const auto& row : runner->rows(kKept, {session, session})) kept.insert(numberOf(row.at(0)));

            // Each listed item's parent as it is now: moving an item's children changes the
            // parent of those listed below it, which the rows read above do not show.
            std::unordered_map<std::int64_t, std::int64_t> parentOf;
            std::unordered_multimap<std::int64_t, std::int64_t> listedChildren;
            for (const auto& row : items) {
                // A null parent is the root.
                std::int64_t id = numberOf(row.at(1));
                if (parentOf.emplace(id, numberOf(row.at(0))).second) listedChildren.emplace(numberOf(row.at(0)), id);
            }
            std::unordered_set<std::int64_t> processed;

            runner->begin();
            std::int64_t done = 0;
            for (const auto& row : items) {
                std::int64_t id = numberOf(row.at(1));
                std::int64_t parent = parentOf[id];
                bool listedBefore = !processed.insert(id).second;  // a second hash row of the item
                if (listedBefore) {
                    ++done;
                    if (progress) progress(total, done);
                    continue;
                }
                if (kept.count(id)) {
                    ++result.itemsKept;
                } else {
                    if (!context.LGEnabled) UT_Delete_Requests(*runner, reporter, id, result.requestsDeleted);
                    try {
                        runner->run(kMoveChildren, {parent, id});
                        auto [first, last] = listedChildren.equal_range(id);
                        std::vector<std::int64_t> moved;
                        for (auto child = first; child != last; ++child) moved.push_back(child->second);
                        listedChildren.erase(first, last);
                        for (std::int64_t child : moved) {
                            parentOf[child] = parent;
                            listedChildren.emplace(parent, child);
                        }
                    } catch (const db::DbError& error) {
                        if (error.code() != db::kErrIntegrityViolation) throw;
                        // errors suppressed: a child the product refuses to move stays where it is
                    }
                    if (context.LGEnabled) {
                        for (Sql sql : kCompanionDeletes) runner->run(sql, {id});
                    }
                    runner->run(kDeleteItem, {id});
                    ++result.itemsDeleted;
                }
                ++done;
                if (progress) progress(total, done);
                if (done % kBatchItems == 0) {
                    runner->commit();
                    runner->begin();
                }
            }
            runner->commit();
            if (context.LGEnabled) triggers.enable();

            runner->begin();
            Rows base = runner->rows(kBaseOf, {session});
            std::int64_t updated = base.empty() ? 0 : numberOf(base.front().at(0));
            result.hashRowsRemoved = runner->run(kDeleteHash, {session});
            runner->run(kDeleteTranLog, {session});
            // Sessions that updated this one now update what it updated, so their chain holds.
            runner->run(kRepoint, {updated, session});
            runner->commit();
            result.success = true;
        } catch (const std::exception&) {
            try {
                runner->commit();
            } catch (const std::exception&) {
                // the error that stopped the deletion is the one to report
            }
            triggers.restore();
            throw;
        }
    } catch (const std::exception& error) {
        reporter.UT_Report_Error(wizard::errorRecordOf(error), kLocation, "");
    }
    return result;
}

}  // namespace koru::restore
