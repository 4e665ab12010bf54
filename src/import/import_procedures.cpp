#include "import/import_procedures.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <unordered_map>

#include "db/error_map.h"
#include "db/import_sessions.h"
#include "db/key_collation.h"
#include "diag/text.h"
#include "diag/stage_clock.h"
#include "import/mssql_procedures.h"
#include "import/text_dates.h"

namespace koru::import {
namespace {

using db::Value;

// SQL Server: the procedures live in the destination and are executed by name.
class MssqlProcedures : public ImportProcedures {
public:
    void create(db::Connection& destination) override {
        for (const std::string& drop : mssqlProcedureDrops()) {
            try {
                destination.execute(drop);
            } catch (const db::DbError&) {
                // errors suppressed: the procedure may not exist yet
            }
        }
        for (const std::string& creation : mssqlProcedureCreations()) destination.execute(creation);
    }
    void XFR_Update_CIID(db::Connection& destination, std::int32_t importID, std::int32_t updateImportID) override {
        destination.execute("XFR_Update_CIID " + std::to_string(importID) + ", " + std::to_string(updateImportID));
    }
    void XFR_Update_KB(db::Connection& destination) override { destination.execute("XFR_Update_KB"); }
    void XFR_Update_DB_Hierachy(db::Connection& destination, std::int32_t importID, int level) override {
        destination.execute("XFR_Update_DB_Hierachy " + std::to_string(importID) + ", " + std::to_string(level));
    }
};

// Positions of the transfer columns the item procedure reads.
enum Column : std::size_t {
    kStructureId = 0,
    kXfrId = 1,
    kParent = 2,
    kItemFirst = 3,  // EmailID, WebID, Notes, Num1..Num10, Alpha1..Alpha15
    kStyleId = 31,
    kSlaProvider = 32,
    kAssetId = 34,
    kAssetFirst = 35,  // CostCentre .. Curr5, as kAssetColumns
    kDToolId = 41,
    kDLinkId = 43,
    kStructureParentId = 64,
};

constexpr int kItemCount = 28;

struct ItemColumn {
    std::string name;
    std::size_t width;
};

const std::vector<ItemColumn>& itemColumns() {
    static const std::vector<ItemColumn> columns = [] {
        std::vector<ItemColumn> list = {{"EmailID", 200}, {"WebID", 100}, {"Notes", 4000}};
        for (int n = 1; n <= 10; ++n) list.push_back({"Num" + std::to_string(n), 35});
        for (int n = 1; n <= 15; ++n) list.push_back({"Alpha" + std::to_string(n), 35});
        return list;
    }();
    return columns;
}

// Descending keys, rows with the same key in the reverse of their writing (levels are written
// in ascending order), as the transfer index holds them: every pass meets them in one order.
// Keys all in ASCII sort the same under NOCASE, the collation of that index, which saves a sort.
std::string transferOrder(db::Connection& destination) {
    auto beyondAscii = destination.query(
        "SELECT 1 FROM [XFRTransfer] WHERE length([XFRID]) <> length(CAST([XFRID] AS BLOB)) LIMIT 1");
    std::string collation = beyondAscii->next() ? db::kKeyCollation : "NOCASE";
    return " ORDER BY [XFRID] COLLATE " + collation + " DESC, [StructureID] DESC, rowid DESC";
}

// Recorded items by level and folded key, in a table of this connection alone: an index on
// XFRHASH under the key collation would break every program that opens the file without it.
void fillItemKeys(db::Connection& destination, const std::string& select) {
    destination.execute(
        "CREATE TEMP TABLE IF NOT EXISTS [koru_item_key] ([StructureID] int NOT NULL, [FoldedKey] text NOT NULL, "
        "[CIIDID] int, PRIMARY KEY ([StructureID], [FoldedKey]))");
    destination.execute("DELETE FROM temp.[koru_item_key]");
    // Where a level holds a key twice, the row `select` gives last replaces the others.
    if (!select.empty()) destination.execute("INSERT OR REPLACE INTO temp.[koru_item_key] " + select);
}

// `select` for fillItemKeys: the items of a session's level, or of a chain of sessions.
std::string itemKeysSql(const std::string& condition) {
    return std::string("SELECT h.[StructureID], ") + db::kKeyFold + "(h.[XFRID]), h.[CIIDID] FROM [XFRHASH] AS h " +
           condition + " AND h.[XFRID] IS NOT NULL ORDER BY h.[ImportID], h.rowid";
}

// The items that the sessions of `chain` recorded, where they still exist: the newest recording
// of a key wins, and an item deleted since is no match.
std::string recordedItemsSql(const std::vector<std::int32_t>& chain, const std::string& levelCondition = "") {
    return itemKeysSql("JOIN [CIID] AS c ON c.[ID] = h.[CIIDID] WHERE " + db::sessionCondition("h.[ImportID]", chain) +
                       levelCondition);
}

const std::string kItemKeyLookup = std::string("SELECT [CIIDID] FROM temp.[koru_item_key] WHERE [StructureID] = ? AND "
                                               "[FoldedKey] = ") + db::kKeyFold + "(?)";

std::string transferSelect(const std::string& order) {
    std::string sql = "SELECT [StructureID], [XFRID], [Parent], [EmailID], [WebID], [Notes]";
    for (int n = 1; n <= 10; ++n) sql += ", [Num" + std::to_string(n) + "]";
    for (int n = 1; n <= 15; ++n) sql += ", [Alpha" + std::to_string(n) + "]";
    sql += ", [StyleID], [SLAProvider], [StructureID], [AssetID], [CostCentre], [Location], [OriginalPrice], "
           "[SalvagePrice], [AcquireDate], [DepPeriod], [DToolID], [DDefault], [DLinkID]";
    for (const char* prefix : {"ANum", "AAlpha", "ADate", "ACurr"}) {
        for (int n = 1; n <= 5; ++n) sql += ", [" + std::string(prefix) + std::to_string(n) + "]";
    }
    return sql + ", [StructureParentID] FROM [XFRTransfer]" + order;
}

enum class AssetKind { Text, Money, Date, Integer };
struct AssetColumn {
    std::size_t position;
    std::string name;
    AssetKind kind;
    std::size_t width;
    // The transfer table names the numbered ones with an A: ADate1 for Date1.
    std::string transferName() const {
        bool numbered = std::isdigit(static_cast<unsigned char>(name.back())) != 0;
        return numbered ? "A" + name : name;
    }
};

// In the order the item procedure writes them.
const std::vector<AssetColumn>& assetColumns() {
    static const std::vector<AssetColumn> columns = [] {
        std::vector<AssetColumn> list = {{35, "CostCentre", AssetKind::Text, 50},
                                         {36, "Location", AssetKind::Text, 50},
                                         {37, "OriginalPrice", AssetKind::Money, 0},
                                         {39, "AcquireDate", AssetKind::Date, 0},
                                         {38, "SalvagePrice", AssetKind::Money, 0},
                                         {40, "DepPeriod", AssetKind::Integer, 0}};
        for (int n = 0; n < 5; ++n) list.push_back({44u + n, "Num" + std::to_string(n + 1), AssetKind::Text, 20});
        for (int n = 0; n < 5; ++n) list.push_back({49u + n, "Alpha" + std::to_string(n + 1), AssetKind::Text, 50});
        for (int n = 0; n < 5; ++n) list.push_back({54u + n, "Date" + std::to_string(n + 1), AssetKind::Date, 0});
        for (int n = 0; n < 5; ++n) list.push_back({59u + n, "Curr" + std::to_string(n + 1), AssetKind::Money, 0});
        return list;
    }();
    return columns;
}

std::int64_t integerOf(std::string_view text, const char* what) {
    std::string_view trimmed = diag::trimmedView(text);
    std::int64_t number = 0;
    auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), number);
    if (error != std::errc() || end != trimmed.data() + trimmed.size() || trimmed.empty()) {
        throw db::DbError(db::kErrCommandText, std::string("Conversion failed when converting the ") + what + " '" +
                                                   std::string(trimmed) + "' to int.");
    }
    return number;
}

// A money value as it comes back through a 20-character text: two decimals.
Value moneyOf(std::string_view text) {
    double value = std::strtod(std::string(text).c_str(), nullptr);
    double rounded = std::round(value * 100.0) / 100.0;
    if (rounded == std::floor(rounded) && std::fabs(rounded) < 9e15) return static_cast<std::int64_t>(rounded);
    return rounded;
}

// A date as it comes back through a 20-character text: to the minute. Text that SQL Server
// reads as no date fails the row there, and so it does here.
Value dateOf(std::string_view text, const std::string& column) {
    TextDate date = readTextDate(text);
    if (date.outcome != TextDate::Outcome::Date) {
        throw db::DbError(db::kErrCommandText, dateFailureText(date.outcome) + " (column " + column + ": '" +
                                                   diag::trimBlanks(text) + "')");
    }
    return date.value.substr(0, 17) + "00";
}

// Rows written under one savepoint: a savepoint per row would cost as much as a third of the rows'
// own writes.
constexpr std::size_t kBatchRows = 256;

// A row that the server refuses for its values fails alone; anything else ends the procedure.
bool isRowFault(const db::DbError& error) {
    return error.code() == db::kErrCommandText || error.code() == db::kErrIntegrityViolation ||
           error.code() == db::kErrDataOverflow;
}

// The embedded destination: the same steps, with prepared statements in one transaction.
class SqliteProcedures : public ImportProcedures {
public:
    void create(db::Connection& destination) override {
        destination.execute("CREATE TABLE IF NOT EXISTS [koru_trigger_switch] ([table_name] text PRIMARY KEY COLLATE "
                            "NOCASE, [enabled] int NOT NULL DEFAULT 1)");
    }

    void XFR_Update_CIID(db::Connection& destination, std::int32_t importID, std::int32_t updateImportID) override {
        ItemRun run(destination, importID, updateImportID);
        inOneTransaction(destination, [&] { run.all(); });
    }

    void XFR_Update_KB(db::Connection& destination) override {
        inOneTransaction(destination, [&] {
            auto insert = destination.prepare(
                "INSERT INTO [KNOWLEDGE] ([Definition], [Resolution], [Keywords], [CategoriesID]) VALUES (?, ?, ?, ?)");
            auto rows = destination.query(
                "SELECT [KBDetails], [KBReso], [KBSummary], [KBCatID] FROM [XFRTransfer]" + transferOrder(destination));
            const std::size_t widths[] = {4000, 4000, 255};
            std::vector<Value> values(4);
            while (rows->next()) {
                for (std::size_t i = 0; i < 3; ++i) {
                    auto text = rows->text(i);
                    values[i] = text ? Value(diag::leftChars(*text, widths[i])) : Value();
                }
                auto category = rows->text(3);
                values[3] = category ? Value(integerOf(*category, "category")) : Value();
                insert->execute(values);
            }
        });
    }

    void XFR_Update_DB_Hierachy(db::Connection& destination, std::int32_t importID, int level) override {
        // Where a level holds a key twice, the item recorded last is the parent, as a walk
        // over the level's items in recorded order leaves it. Items resolved when they were
        // written already have it; one without a parent keeps its null.
        std::string session = std::to_string(importID);
        // Which levels' children still lack their parent, found in one pass for the run: a level
        // outside it has nothing to resolve, and resolving one level leaves the others as found.
        if (m_unresolvedSession != importID) {
            m_unresolvedLevels.clear();
            auto rows = destination.query("SELECT DISTINCT [StructureParent] FROM [XFRHASH] WHERE [ImportID] = " +
                                          session + " AND [CIIDParent] IS NULL AND [StructureParent] > 0");
            while (rows->next()) m_unresolvedLevels.insert(integerOf(rows->text(0).value_or("0"), "parent level"));
            m_unresolvedSession = importID;
        }
        if (!m_unresolvedLevels.count(level)) return;
        std::string lvl = std::to_string(level);
        std::string unresolved =
            " WHERE [ImportID] = " + session + " AND [StructureParent] = " + lvl + " AND [CIIDParent] IS NULL";
        auto anyUnresolved = [&] {
            auto rows = destination.query("SELECT 1 FROM [XFRHASH]" + unresolved + " LIMIT 1");
            return rows->next();
        };
        std::string resolve = "UPDATE [XFRHASH] SET [CIIDParent] = (SELECT k.[CIIDID] FROM temp.[koru_item_key] AS k "
                              "WHERE k.[StructureID] = " + lvl + " AND k.[FoldedKey] = " + db::kKeyFold +
                              "([XFRHASH].[Parent]))" + unresolved;
        fillItemKeys(destination, anyUnresolved() ? itemKeysSql("WHERE h.[ImportID] = " + session +
                                                                " AND h.[StructureID] = " + lvl)
                                                  : std::string());
        destination.execute(resolve);
        // A parent that this run did not write: the item the updated sessions recorded for it.
        std::int32_t updated = 0;
        {
            auto rows = destination.query("SELECT [UpdateImportID] FROM [XFRTranLog] WHERE [ID] = " + session);
            if (rows->next()) updated = static_cast<std::int32_t>(integerOf(rows->text(0).value_or("0"), "session"));
        }
        std::vector<std::int32_t> chain = db::sessionChain(destination, updated);
        if (chain.empty() || !anyUnresolved()) return;
        fillItemKeys(destination, recordedItemsSql(chain, " AND h.[StructureID] = " + lvl));
        destination.execute(resolve);
    }

private:
    template <typename Work>
    static void inOneTransaction(db::Connection& destination, Work work) {
        destination.beginTransaction();
        try {
            work();
        } catch (...) {
            // What ran before the failing statement stays, as it would without a transaction.
            if (destination.isOpen() && destination.inTransaction()) destination.commit();
            throw;
        }
        destination.commit();
    }

    std::optional<std::int32_t> m_unresolvedSession;
    std::set<std::int64_t> m_unresolvedLevels;

    class ItemRun {
        using ParentKey = std::pair<std::int64_t, std::string>;
        static constexpr std::int64_t kNone = -1;
        // A parent level's key: the item it will be (the last of the key's rows; kNone once it
        // failed without a stand-in), and the last row of the key written so far.
        struct ParentItem {
            std::int64_t planned = kNone;
            std::int64_t written = kNone;
        };
        struct ParentKeyHash {
            std::size_t operator()(const ParentKey& key) const {
                return std::hash<std::string>()(key.second) * 31 + static_cast<std::size_t>(key.first);
            }
        };
        // Looked up once per row: hashed. Its entries stay where they are as it grows.
        using Parents = std::unordered_map<ParentKey, ParentItem, ParentKeyHash>;
        using ParentEntry = Parents::value_type;
        struct PlannedItem {
            std::int64_t id;
            ParentEntry* parent;  // the row's own key where its level is a parent level, else null
            std::int32_t level;
            bool update;
        };

    public:
        ItemRun(db::Connection& destination, std::int32_t importID, std::int32_t updateImportID)
            : m_db(destination), m_importId(importID), m_updateImportId(updateImportID) {}

        void all() {
            auto tables = m_db.query(
                "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'assetciid' COLLATE NOCASE");
            m_hasAssets = tables->next() && tables->value(std::size_t{0}).value_or("0") != "0";
            tables.reset();
            m_hash = m_db.prepare(
                "INSERT INTO [XFRHASH] ([CIIDID], [XFRID], [Parent], [ImportID], [StructureID], [StructureParent], "
                "[CIIDParent]) VALUES (?, ?, ?, ?, ?, ?, ?)");
            if (m_updateImportId > 0) {
                fillItemKeys(m_db, recordedItemsSql(db::sessionChain(m_db, m_updateImportId)));
                m_lookup = m_db.prepare(kItemKeyLookup);
            }
            m_rowStart = m_db.prepare("SAVEPOINT [koru_row]");
            m_rowEnd = m_db.prepare("RELEASE [koru_row]");
            m_rowUndo = m_db.prepare("ROLLBACK TO [koru_row]");
            m_batchStart = m_db.prepare("SAVEPOINT [koru_batch]");
            m_batchEnd = m_db.prepare("RELEASE [koru_batch]");
            m_batchUndo = m_db.prepare("ROLLBACK TO [koru_batch]");
            diag::stageLap("item procedure: items planned");
            std::string order = transferOrder(m_db);
            planItems(order);
            diag::stageLap("item procedure: rows written");
            m_replay = m_db.prepare(transferSelect(order) + " LIMIT ? OFFSET ?");
            m_rest = m_db.prepare(transferSelect(order) + " LIMIT -1 OFFSET ?");
            auto rows = m_db.query(transferSelect(order));
            // Rows go in batches under one savepoint; a batch with a refused row is undone and
            // written again a row at a time, so that the refused row fails alone.
            std::size_t batchFirst = 0;
            m_batchStart->execute({});
            for (m_position = 0; nextRow(rows, [&] { return m_rest->query({static_cast<std::int64_t>(m_position)}); });
                 ++m_position) {
                if (m_position - batchFirst == kBatchRows) {
                    m_batchEnd->execute({});
                    m_writtenUndo.clear();
                    batchFirst = m_position;
                    m_batchStart->execute({});
                }
                try {
                    writeRow(*rows, m_items.at(m_position));
                } catch (const db::DbError& error) {
                    if (!isRowFault(error) || !m_db.inTransaction()) throw;
                    replayBatch(batchFirst, m_position);
                    batchFirst = m_position + 1;
                    m_batchStart->execute({});
                }
            }
            diag::stageLap("item procedure: committed");
            m_batchEnd->execute({});
            rows.reset();
            if (m_failedRows == 0) return;
            repointChildrenOfFailedRows();
            throw db::DbError(db::kErrGeneralFailure, std::to_string(m_failedRows) +
                                                          " transfer rows failed; the first: " + m_firstFailure);
        }

    private:
        // Which item each row will be, in the order the rows are taken: an earlier session's item
        // or the next identity. Knowing that, a child gets its parent when it is written, as the
        // hierarchy step would give it (the last row of the parent's level with the parent's key),
        // and the later steps find nothing left to change.
        void planItems(const std::string& order) {
            std::set<std::int64_t> parentLevels;
            {
                auto levels = m_db.query("SELECT DISTINCT [StructureParentID] FROM [XFRTransfer] WHERE [StructureParentID] > 0");
                while (levels->next()) parentLevels.insert(integerOf(levels->text(0).value_or("0"), "parent level"));
            }
            m_nextId = 1;
            {
                auto top = m_db.query("SELECT coalesce(max([ID]), 0) FROM [CIID]");
                if (top->next()) m_nextId = integerOf(top->text(0).value_or("0"), "item id") + 1;
            }
            {
                auto sequence = m_db.query("SELECT count(*) FROM sqlite_master WHERE name = 'sqlite_sequence'");
                bool hasSequence = sequence->next() && sequence->value(std::size_t{0}).value_or("0") != "0";
                sequence.reset();
                if (hasSequence) {
                    auto seq = m_db.query("SELECT [seq] FROM [sqlite_sequence] WHERE [name] = 'CIID' COLLATE NOCASE");
                    if (seq->next()) m_nextId = std::max(m_nextId, integerOf(seq->text(0).value_or("0"), "item id") + 1);
                }
            }
            std::int64_t next = m_nextId;
            auto rows = m_db.query("SELECT [StructureID], [XFRID] FROM [XFRTransfer]" + order);
            while (rows->next()) {
                std::int64_t level = integerOf(rows->text(0).value_or(""), "structure level");
                std::string xfrid(rows->text(1).value_or(""));
                std::optional<std::int64_t> updateId;
                if (m_lookup) updateId = recordedItem(level, xfrid);
                std::int64_t id = updateId ? *updateId : next++;
                ParentEntry* parent = nullptr;
                if (parentLevels.count(level)) {
                    parent = &*m_parents.try_emplace(parentKeyOf(level, xfrid)).first;
                    parent->second.planned = id;
                }
                m_items.push_back({id, parent, static_cast<std::int32_t>(level), updateId.has_value()});
            }
        }

        static ParentKey parentKeyOf(std::int64_t level, std::string_view key) {
            return {level, db::foldKey(diag::trimmedView(key))};
        }

        // The item that the updated sessions recorded last for a level's key, if it still exists.
        std::optional<std::int64_t> recordedItem(std::int64_t level, const std::string& key) {
            auto found = m_lookup->query({level, key});
            if (!found->next()) return std::nullopt;
            auto id = found->text(0);
            return id ? std::optional<std::int64_t>(integerOf(*id, "item id")) : std::nullopt;
        }

        // The next row; where a rollback to a savepoint ended the read, the rows from m_position
        // on are read again.
        template <typename Reopen>
        static bool nextRow(std::unique_ptr<db::Recordset>& rows, Reopen reopen) {
            try {
                return rows->next();
            } catch (const db::DbError& error) {
                if (!db::readEndedByRollback(error)) throw;
            }
            rows.reset();
            rows = reopen();
            return rows->next();
        }

        // One row of a batch: what it wrote is undone with its batch if a later row is refused.
        void writeRow(const db::Recordset& rows, const PlannedItem& item) {
            row(rows, item);
            if (!item.parent) return;
            m_writtenUndo.emplace_back(item.parent, item.parent->second.written);
            item.parent->second.written = item.id;
        }

        // Undoes the batch from `first` and writes its rows again one at a time up to `last`, the
        // refused one, through the row savepoint.
        void replayBatch(std::size_t first, std::size_t last) {
            m_batchUndo->execute({});
            m_batchEnd->execute({});
            for (auto undo = m_writtenUndo.rbegin(); undo != m_writtenUndo.rend(); ++undo) {
                undo->first->second.written = undo->second;
            }
            m_writtenUndo.clear();
            auto again = m_replay->query({static_cast<std::int64_t>(last - first + 1), static_cast<std::int64_t>(first)});
            std::size_t position = m_position;
            auto rest = [&] {
                return m_replay->query({static_cast<std::int64_t>(last - m_position + 1),
                                        static_cast<std::int64_t>(m_position)});
            };
            for (m_position = first; m_position <= last && nextRow(again, rest); ++m_position) guardedRow(*again);
            m_position = position;
        }

        // A row that fails leaves nothing behind, and the rows after it go on: the items keep the
        // IDs planned for them, and the failed row's ID stays unused.
        void guardedRow(const db::Recordset& rows) {
            if (m_position >= m_items.size()) throw db::DbError(db::kErrGeneralFailure, "The transfer rows changed.");
            const PlannedItem& item = m_items[m_position];
            m_rowStart->execute({});
            try {
                row(rows, item);
            } catch (const db::DbError& error) {
                if (!isRowFault(error) || !m_db.inTransaction()) throw;
                m_rowUndo->execute({});
                m_rowEnd->execute({});
                rowFailed(rows, item, error);
                return;
            }
            m_rowEnd->execute({});
            if (item.parent) item.parent->second.written = item.id;
        }

        void rowFailed(const db::Recordset& rows, const PlannedItem& item, const db::DbError& error) {
            if (m_failedRows++ == 0) {
                // A refusal that names no column of its own says at least which table refused it.
                std::string what = error.what();
                if (what.find("(column ") == std::string::npos &&
                    what.find(std::string(m_writing) + ".") == std::string::npos) {
                    what += std::string(" (table ") + m_writing + ")";
                }
                m_firstFailure = "level " + std::to_string(item.level) + ", source key '" +
                                 diag::trimBlanks(rows.text(kXfrId).value_or("")) + "': " + what;
            }
            ParentEntry* planned = item.parent;
            if (!planned || planned->second.planned != item.id) return;
            // The children of a failed parent take what the hierarchy would find without it: the
            // last row of its key that was written (every other row of the key came before this
            // one), else the item an earlier session recorded, else none.
            std::optional<std::int64_t> standIn;
            if (planned->second.written != kNone) {
                standIn = planned->second.written;
            } else if (m_lookup) {
                standIn = recordedItem(item.level, planned->first.second);
            }
            if (standIn == item.id) return;
            m_standIns.emplace_back(item.id, standIn);
            planned->second.planned = standIn.value_or(kNone);
        }

        // Children written before their parent failed point at its planned ID: they move to its
        // stand-in, or to no parent (0 and a null CIIDParent) when there is none.
        void repointChildrenOfFailedRows() {
            auto items = m_db.prepare("UPDATE [CIID] SET [Parent] = ? WHERE [Parent] = ? AND [ID] >= ? AND [ID] IN "
                                      "(SELECT [CIIDID] FROM [XFRHASH] WHERE [ImportID] = ? AND [CIIDParent] = ?)");
            auto hash = m_db.prepare("UPDATE [XFRHASH] SET [CIIDParent] = ? WHERE [ImportID] = ? AND [CIIDParent] = ?");
            for (const auto& [failed, standIn] : m_standIns) {
                items->execute({standIn.value_or(0), failed, m_nextId, std::int64_t{m_importId}, failed});
                hash->execute({standIn ? Value(*standIn) : Value(), std::int64_t{m_importId}, failed});
            }
        }

    private:
        std::optional<std::string> textAt(const db::Recordset& rows, std::size_t position, std::size_t width) {
            auto text = rows.text(position);
            if (!text) return std::nullopt;
            return std::string(diag::trimmedView(width ? diag::leftView(*text, width) : *text));
        }

        void row(const db::Recordset& rows, const PlannedItem& item) {
            std::int64_t level = item.level;
            // Views into the current row, which stays current until the row is written.
            std::string_view xfrid = rows.text(kXfrId).value_or("");
            std::string_view parent = rows.text(kParent).value_or("");
            std::int64_t style = rows.text(kStyleId) ? integerOf(*rows.text(kStyleId), "style") : 0;
            std::int64_t sla = rows.text(kSlaProvider) ? integerOf(*rows.text(kSlaProvider), "flag") : 0;
            std::optional<std::int64_t> updateId;
            if (item.update) updateId = item.id;

            std::optional<std::int64_t> structureParent;
            if (auto text = rows.text(kStructureParentId)) structureParent = integerOf(*text, "parent level");
            std::optional<std::int64_t> ciidParent;
            if (structureParent && *structureParent > 0) {
                auto found = m_parents.find(parentKeyOf(*structureParent, parent));
                if (found != m_parents.end() && found->second.planned != kNone) {
                    ciidParent = found->second.planned;
                } else if (m_lookup) {
                    // A parent this run did not touch: the item an earlier session recorded for it.
                    ciidParent = recordedItem(*structureParent, diag::trimBlanks(parent));
                }
            }

            std::uint32_t mask = 0;
            // Kept from row to row: the vector and its strings keep their room.
            std::vector<Value>& values = m_itemValues;
            values.resize(kItemCount + 5);
            std::size_t count = 4;  // id, parent, style and flag go first
            for (int i = 0; i < kItemCount; ++i) {
                auto text = rows.text(kItemFirst + i);
                if (!text) continue;
                mask |= 1u << i;
                std::size_t width = itemColumns()[i].width;
                std::string_view kept = diag::trimmedView(width ? diag::leftView(*text, width) : *text);
                Value& value = values[count++];
                if (auto* string = std::get_if<std::string>(&value)) string->assign(kept);
                else value.emplace<std::string>(kept);
            }
            std::int64_t ciidId;
            std::int64_t newParent = 0;
            m_writing = "CIID";
            if (updateId) {
                values[3] = style;
                values[count++] = *updateId;
                values.resize(count);
                values.erase(values.begin(), values.begin() + 3);
                statementFor(m_itemUpdates, mask, [&] { return itemUpdateSql(mask); })->execute(values);
                ciidId = *updateId;
            } else {
                // A top-level item takes its parent text as the CIID id of its parent; the others
                // start under 0, which the history of a new asset records.
                newParent = level == 1 ? integerOf(parent, "parent") : 0;
                std::int64_t parentNow = level == 1 ? newParent : ciidParent.value_or(0);
                values[0] = item.id;
                values[1] = parentNow;
                values[2] = style;
                values[3] = sla;
                values.resize(count);
                statementFor(m_itemInserts, mask, [&] { return itemInsertSql(mask); })->execute(values);
                ciidId = m_db.lastInsertId();
                if (ciidId != item.id) throw db::DbError(db::kErrGeneralFailure, "An item was not given the expected ID.");
            }

            if (m_hasAssets) asset(rows, ciidId, updateId.has_value(), style, newParent);

            if (structureParent) {
                m_writing = "XFRHASH";
                std::vector<Value>& hash = m_hashValues;
                hash.resize(7);
                hash[0] = ciidId;
                for (std::size_t i : {std::size_t{1}, std::size_t{2}}) {
                    std::string_view key = diag::trimmedView(i == 1 ? xfrid : parent);
                    if (auto* string = std::get_if<std::string>(&hash[i])) string->assign(key);
                    else hash[i].emplace<std::string>(key);
                }
                hash[3] = std::int64_t{m_importId};
                hash[4] = level;
                hash[5] = *structureParent;
                hash[6] = ciidParent ? Value(*ciidParent) : Value();
                m_hash->execute(hash);
            }

            auto linkId = textAt(rows, kDLinkId, 50);
            auto tool = rows.text(kDToolId);
            if (linkId && tool) externalLink(ciidId, integerOf(*tool, "application"), *linkId);
        }

        void asset(const db::Recordset& rows, std::int64_t ciidId, bool update, std::int64_t style,
                   std::int64_t newParent) {
            m_writing = "AssetCIID";
            auto assetId = textAt(rows, kAssetId, 50);
            std::uint32_t mask = 0;
            bool useValue = false, useDep = false;
            std::vector<Value> values;
            const auto& columns = assetColumns();
            for (std::size_t i = 0; i < columns.size(); ++i) {
                const AssetColumn& column = columns[i];
                auto text = rows.text(column.position);
                if (!text) continue;
                mask |= 1u << i;
                switch (column.kind) {
                    case AssetKind::Text: values.emplace_back(diag::trimBlanks(diag::leftChars(*text, column.width))); break;
                    case AssetKind::Money: values.push_back(moneyOf(*text)); break;
                    case AssetKind::Date: values.push_back(dateOf(*text, column.transferName())); break;
                    case AssetKind::Integer: values.emplace_back(integerOf(*text, column.name.c_str())); break;
                }
                if (i == 0 || i == 2 || i == 3) {
                    useValue = true;
                    useDep = false;
                } else if (i == 4 || i == 5) {
                    useValue = true;
                    useDep = true;
                }
            }
            if (update) {
                // An update never raises the value and depreciation flags.
                std::vector<Value> bound = {Value(style)};
                if (assetId) bound.emplace_back(*assetId);
                bound.insert(bound.end(), values.begin(), values.end());
                bound.emplace_back(ciidId);
                std::uint64_t key = mask | (assetId ? 1ull << 40 : 0);
                statementFor(m_assetUpdates, key, [&] { return assetUpdateSql(mask, assetId.has_value()); })
                    ->execute(bound);
                return;
            }
            std::vector<Value> bound = {Value(ciidId), Value(assetId.value_or("")), Value(style)};
            bound.insert(bound.end(), values.begin(), values.end());
            bound.emplace_back(std::int64_t{useValue});
            bound.emplace_back(std::int64_t{useDep});
            std::uint64_t key = mask | (useDep ? 1ull << 40 : 0);
            statementFor(m_assetInserts, key, [&] { return assetInsertSql(mask, useDep); })->execute(bound);
            newAssetRows(ciidId, newParent);
        }

        void newAssetRows(std::int64_t ciidId, std::int64_t newParent) {
            const std::string now = "datetime('now', 'localtime')";
            if (!m_newAsset[0]) {
                m_newAsset[0] = m_db.prepare("INSERT INTO [ASSETMaintain] ([CIIDID]) VALUES (?)");
                m_newAsset[1] = m_db.prepare("INSERT INTO [VISITING] ([StartDate], [Status], [CIIDID], [TrackUser]) "
                                             "VALUES (" + now + ", '1', ?, 'XFR')");
                m_newAsset[2] = m_db.prepare("INSERT INTO [AssetCIIDHistory] ([CIIDID], [Date], [Time], [Username]) "
                                             "VALUES (?, " + now + ", " + now + ", 'XFR')");
                m_newAsset[3] = m_db.prepare("INSERT INTO [AssetMaintainHistory] ([CIIDID], [Date], [Time], [Username]) "
                                             "VALUES (?, " + now + ", " + now + ", 'XFR')");
                m_newAsset[4] = m_db.prepare("INSERT INTO [CIIDHistory] ([CIIDID], [Parent], [Date], [Time], [Username]) "
                                             "VALUES (?, ?, " + now + ", " + now + ", 'XFR')");
            }
            static const char* const tables[] = {"ASSETMaintain", "VISITING", "AssetCIIDHistory",
                                                 "AssetMaintainHistory", "CIIDHistory"};
            for (int i = 0; i < 5; ++i) {
                m_writing = tables[i];
                if (i < 4) m_newAsset[i]->execute({ciidId});
                else m_newAsset[i]->execute({ciidId, newParent});
            }
        }

        void externalLink(std::int64_t ciidId, std::int64_t appId, const std::string& linkId) {
            if (!m_linkCount) {
                m_linkCount = m_db.prepare("SELECT count(*) FROM [ExtLinks] WHERE [CIID] = ? AND [AppID] = ?");
                m_linkUpdate = m_db.prepare("UPDATE [ExtLinks] SET [LinkID] = ? WHERE [CIID] = ? AND [AppID] = ?");
                m_linkInsert = m_db.prepare("INSERT INTO [ExtLinks] ([CIID], [AppID], [LinkID]) VALUES (?, ?, ?)");
            }
            m_writing = "ExtLinks";
            auto count = m_linkCount->query({ciidId, appId});
            bool exists = count->next() && count->value(std::size_t{0}).value_or("0") != "0";
            count.reset();
            if (exists) {
                m_linkUpdate->execute({linkId, ciidId, appId});
            } else {
                m_linkInsert->execute({ciidId, appId, linkId});
            }
        }

        template <typename Key, typename Make>
        db::Statement* statementFor(std::unordered_map<Key, std::unique_ptr<db::Statement>>& cache, Key key,
                                    Make make) {
            auto& statement = cache[key];
            if (!statement) statement = m_db.prepare(make());
            return statement.get();
        }

        static std::string itemInsertSql(std::uint32_t mask) {
            std::string columns = "[ID], [Parent], [StyleID], [SLAProvider]", marks = "?, ?, ?, ?";
            for (int i = 0; i < kItemCount; ++i) {
                if (!(mask & (1u << i))) continue;
                columns += ", [" + itemColumns()[i].name + "]";
                marks += ", ?";
            }
            return "INSERT INTO [CIID] (" + columns + ") VALUES (" + marks + ")";
        }

        static std::string itemUpdateSql(std::uint32_t mask) {
            std::string sql = "UPDATE [CIID] SET [StyleID] = ?";
            for (int i = 0; i < kItemCount; ++i) {
                if (mask & (1u << i)) sql += ", [" + itemColumns()[i].name + "] = ?";
            }
            return sql + " WHERE [ID] = ?";
        }

        static std::string assetInsertSql(std::uint32_t mask, bool useDep) {
            std::string columns = "[CIIDID], [AssetID], [StyleID], [UserName], [ManualTrackingFlag], [UseMaintain], [Leased]";
            std::string marks = "?, ?, ?, 'XFR', 1, 0, 0";
            for (std::size_t i = 0; i < assetColumns().size(); ++i) {
                if (!(mask & (1u << i))) continue;
                columns += ", [" + assetColumns()[i].name + "]";
                marks += ", ?";
            }
            columns += ", [UseValue], [UseDep]";
            marks += ", ?, ?";
            if (useDep) {
                columns += ", [DepType]";
                marks += ", 1";
            }
            return "INSERT INTO [AssetCIID] (" + columns + ") VALUES (" + marks + ")";
        }

        static std::string assetUpdateSql(std::uint32_t mask, bool withAssetId) {
            std::string sql = "UPDATE [AssetCIID] SET [StyleID] = ?, [UserName] = 'XFR'";
            if (withAssetId) sql += ", [AssetID] = ?";
            for (std::size_t i = 0; i < assetColumns().size(); ++i) {
                if (mask & (1u << i)) sql += ", [" + assetColumns()[i].name + "] = ?";
            }
            return sql + ", [UseValue] = 0, [UseDep] = 0 WHERE [CIIDID] = ?";
        }

        db::Connection& m_db;
        std::int32_t m_importId;
        std::int32_t m_updateImportId;
        bool m_hasAssets = false;
        std::vector<PlannedItem> m_items;
        std::size_t m_position = 0;
        std::int64_t m_nextId = 1;
        Parents m_parents;
        std::vector<std::pair<std::int64_t, std::optional<std::int64_t>>> m_standIns;
        std::size_t m_failedRows = 0;
        std::string m_firstFailure;
        const char* m_writing = "CIID";  // the table the current row is being written to
        std::unique_ptr<db::Statement> m_hash, m_lookup, m_linkCount, m_linkUpdate, m_linkInsert;
        std::unique_ptr<db::Statement> m_rowStart, m_rowEnd, m_rowUndo, m_batchStart, m_batchEnd, m_batchUndo, m_replay, m_rest;
        // What each row of the open batch changed in m_parents, to put back when it is undone.
        std::vector<std::pair<ParentEntry*, std::int64_t>> m_writtenUndo;
        std::unique_ptr<db::Statement> m_newAsset[5];
        std::unordered_map<std::uint32_t, std::unique_ptr<db::Statement>> m_itemInserts, m_itemUpdates;
        std::vector<Value> m_itemValues, m_hashValues;  // reused by every row
        std::unordered_map<std::uint64_t, std::unique_ptr<db::Statement>> m_assetInserts, m_assetUpdates;
    };
};

}  // namespace

std::unique_ptr<ImportProcedures> makeImportProcedures(db::DestinationDialect::Kind kind) {
    if (kind == db::DestinationDialect::Kind::Mssql) return std::make_unique<MssqlProcedures>();
    return std::make_unique<SqliteProcedures>();
}

bool Create_XFR_SPs(db::Connection& destination, ImportProcedures& procedures, diag::ErrorReporter& reporter) {
    try {
        procedures.create(destination);
    } catch (const db::DbError& error) {
        reporter.UT_Report_Error(error.toErrorRecord(), "DB_MOD:Create_XFR_SPs", "");
        return false;
    }
    return true;
}

}  // namespace koru::import
