#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <set>
#include <sstream>

#include "app/application.h"
#include "db/db_test_support.h"
#include "db/product_schema.h"
#include "db/repository.h"
#include "db/sqlite_connection.h"
#include "diag/stop_request.h"
#include "import/extraction.h"
#include "import/import_info_screen.h"
#include "import/import_preview.h"
#include "import/import_screen.h"
#include "mapping/level_values.h"
#include "mapping/mapping_files.h"
#include "mapping/mapping_repository.h"
#include "restore/import_deletion.h"
#include "support/embedded_destination.h"
#include "support/failing_connection.h"
#include "support/files.h"
#include "support/recording_connection.h"
#include "support/temp_home.h"
#include "wizard/error_console.h"
#include "wizard/scripted_dialogs.h"

namespace koru::import {
namespace {

namespace fs = std::filesystem;
using wizard::MsgResult;
using wizard::ScreenId;

// A scenario file: header lines "key=value", then sections. [source] creates the source
// database (later ones change it), [product] replaces the demo product database by the
// tables it creates, [mapping] and [destination] run on the destination ([mapping NAME] is
// the saved mapping NAME, loaded again by a run's Mapping=NAME), [run] sets Context values and
// presses Start, [undo ID] deletes a session (or the newest: latest), [expect SQL] lists the
// rows the query must return. [file NAME] writes a file into the program folder; [load NAME]
// loads the mapping files of template NAME ("loaded=0": they are refused; "message^=" expects
// a message that begins so, "console=" an error report; "$HOME" is the program folder). A
// run's "error=TEXT" expects TEXT in an error report, "log=TEXT" in XFRLog.log.
// After every run that reached its items, nothing may be lost: each level's items are the rows
// its source statement returned, less rows without a key in an update run, rows the failure
// message counts, rows a run's "left=LEVEL:N" declares (a recorded key the source took for
// new, which adding new only leaves) and rows its "merged=LEVEL:N" declares (they updated an
// item another row of the run updated too).
// A scenario with update runs runs again with every recorded key compared by the run itself
// instead of listed in the source statement, and must leave the same rows; one whose header
// says "many-keys=1" records more keys than a statement as shipped may list, and runs again
// with the lists as long as they grow. As shipped, no source statement is longer than the
// shipped limit. A header "keys-compared-here=differs" says why the first does not hold.
struct Section {
    std::string name;
    std::string argument;
    std::vector<std::string> lines;
};

struct Scenario {
    std::map<std::string, std::string> header;
    std::vector<Section> sections;
};

Scenario readScenario(const fs::path& file) {
    std::ifstream in(file);
    Scenario scenario;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[' && line.back() == ']') {
            std::string inside = line.substr(1, line.size() - 2);
            std::size_t blank = inside.find(' ');
            scenario.sections.push_back({inside.substr(0, blank),
                                         blank == std::string::npos ? "" : inside.substr(blank + 1), {}});
        } else if (scenario.sections.empty()) {
            std::size_t equals = line.find('=');
            scenario.header[line.substr(0, equals)] = line.substr(equals + 1);
        } else {
            scenario.sections.back().lines.push_back(line);
        }
    }
    return scenario;
}

// Statements of a section: a statement ends with a line ending in ";".
std::vector<std::string> statementsOf(const Section& section) {
    std::vector<std::string> statements;
    std::string current;
    for (const std::string& line : section.lines) {
        current += (current.empty() ? "" : "\n") + line;
        if (line.back() == ';') {
            statements.push_back(current.substr(0, current.size() - 1));
            current.clear();
        }
    }
    if (!current.empty()) statements.push_back(current);
    return statements;
}

std::string unescaped(std::string text) {
    for (std::size_t at; (at = text.find("\\r\\n")) != std::string::npos;) text.replace(at, 4, "\r\n");
    for (std::size_t at; (at = text.find("\\n")) != std::string::npos;) text.replace(at, 2, "\n");
    return text;
}

// How an update run's source statements carry the recorded keys.
enum class KeyLists { AsShipped, Never, Always };

// The limit of a source statement that lists keys, as shipped.
const std::size_t kShippedLimit = wizard::Context().statementLimit;

class ScenarioRunner {
public:
    ScenarioRunner(const fs::path& file, KeyLists lists, bool preview = false)
        : m_file(file), m_scenario(readScenario(file)), m_lists(lists), m_previewFirst(preview) {
        if (lists == KeyLists::Never) context.statementLimit = 0;
        if (lists == KeyLists::Always) context.statementLimit = std::numeric_limits<std::size_t>::max();
    }

    void run() {
        createDestination();
        for (const Section& section : m_scenario.sections) {
            SCOPED_TRACE(m_file.filename().string() + " [" + section.name + " " + section.argument + "]");
            if (section.name == "source") {
                source(section);
            } else if (section.name == "mapping" && !section.argument.empty()) {
                m_mappings[section.argument] = statementsOf(section);
                useMapping(section.argument);
            } else if (section.name == "mapping" || section.name == "destination") {
                for (const std::string& statement : statementsOf(section)) m_destination->execute(statement);
            } else if (section.name == "file") {
                std::string text;
                for (const std::string& line : section.lines) text += line + "\r\n";
                test::writeFile(home.path() / section.argument, text);
            } else if (section.name == "load") {
                load(section);
            } else if (section.name == "undo") {
                undo(section.argument);
            } else if (section.name == "run") {
                start(section);
            } else if (section.name == "expect") {
                std::string expected;
                for (const std::string& line : section.lines) expected += line + "\n";
                EXPECT_EQ(test::rowsOf(context.destination(), section.argument), expected) << section.argument;
            } else if (section.name != "product") {
                ADD_FAILURE() << "unknown section " << section.name;
            }
        }
        if (m_lists == KeyLists::Always) {
            EXPECT_GT(m_longestStatement, kShippedLimit) << "the keys fit in a list";
        }
    }

private:
    void createDestination() {
        std::string pattern = (home.path() / "dest-XXXXXX").string();
        m_folder = ::mkdtemp(pattern.data());
        const Section* product = nullptr;
        for (const Section& section : m_scenario.sections) {
            if (section.name == "product") product = &section;
        }
        if (product) {
            std::string sql;
            for (const std::string& statement : statementsOf(*product)) sql += statement + ";\n";
            test::createSqliteFile(m_folder / "TICKORDB.db", sql);
        } else {
            db::createProductDatabase(m_folder, "TICKORDB",
                                      m_scenario.header["product"] == "Ledgora" ? db::Product::Ledgora
                                                                                : db::Product::Tickora,
                                      true);
        }
        auto destination = std::make_unique<db::SqliteConnection>();
        destination->open(db::embeddedDestinationString(m_folder, "TICKORDB"));
        m_destination = destination.get();
        context.DestinationConnection = std::move(destination);
        context.destinationDialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Sqlite);
        db::Repository repository(*m_destination, db::sqliteRepositoryStatements(), application.reporter());
        ASSERT_TRUE(repository.Create_XFR_Tables() && repository.Create_XFR_Indexes());
        context.LGEnabled = repository.Is_LG_Enabled();
        context.EXLValid = repository.Validate_EXT_DB();
    }

    // A named mapping is saved as that file: loading it replaces the mapping under edit.
    void useMapping(const std::string& name) {
        for (const char* table : {"XFRStructure", "XFRMappings", "XFRClause", "XFRTableLink"}) {
            m_destination->execute(std::string("DELETE FROM ") + table);
        }
        for (const std::string& statement : m_mappings.at(name)) m_destination->execute(statement);
        context.MapFileName = name;
    }

    // Deletes a session as the history screen does; "latest" is the newest.
    void undo(const std::string& session) {
        std::int32_t id = session == "latest"
                              ? std::stoi(test::rowsOf(context.destination(), "SELECT max(ID) FROM XFRTranLog"))
                              : std::stoi(session);
        EXPECT_TRUE(restore::deleteImportSession(context, application.reporter(), id).success) << "undo " << id;
    }

    void load(const Section& section) {
        bool loaded = true;
        std::vector<std::string> consoles, expectedConsoles;
        host.onModal = [&](wizard::Screen& screen) {
            if (auto* console = dynamic_cast<wizard::ErrorConsole*>(&screen)) consoles.push_back(console->lblError.caption);
        };
        for (const std::string& line : section.lines) {
            std::size_t equals = line.find('=');
            std::string value = unescaped(line.substr(equals + 1));
            for (std::size_t at; (at = value.find("$HOME")) != std::string::npos;) value.replace(at, 5, home.path().string());
            if (line.rfind("message=", 0) == 0) dialogs.expectMessage(value);
            else if (line.rfind("message^=", 0) == 0) dialogs.expectMessageStartingWith(value);
            else if (line.rfind("loaded=", 0) == 0) loaded = value == "1";
            else if (line.rfind("console=", 0) == 0) expectedConsoles.push_back(value);
            else ADD_FAILURE() << "unknown load setting " << line;
        }
        mapping::MappingFiles files(context, dialogs, application.reporter());
        EXPECT_EQ(files.UT_Load_Mappings_To_TXT((home.path() / section.argument).string()), loaded);
        host.onModal = nullptr;
        EXPECT_EQ(dialogs.pending(), 0u) << "messages expected but not shown";
        EXPECT_EQ(consoles, expectedConsoles);
    }

    void source(const Section& section) {
        if (!context.SourceConnection) {
            fs::path file = m_folder / "source.db";
            std::string sql;
            for (const std::string& statement : statementsOf(section)) sql += statement + ";\n";
            test::createSqliteFile(file, sql);
            auto source = std::make_unique<db::SqliteConnection>();
            std::string catalog = m_scenario.header["catalog"];
            source->open("Provider=SQLite;Data Source=" + file.string() +
                         (catalog.empty() ? "" : ";Initial Catalog=" + catalog + ";"));
            auto recording = std::make_unique<test::RecordingConnection>(std::move(source));
            m_source = recording.get();
            context.SourceConnection = std::move(recording);
            return;
        }
        for (const std::string& statement : statementsOf(section)) context.SourceConnection->execute(statement);
    }

    void start(const Section& section) {
        std::vector<std::string> assetFields;
        std::vector<std::string> expectedConsoles;
        std::vector<std::string> expectedErrors, expectedLog;
        bool anyMessage = false;
        bool abort = false;
        bool refused = false;
        std::vector<std::pair<std::string, MsgResult>> messages;
        std::optional<int> expectedExit;
        std::map<int, long> merged, left;
        for (const std::string& line : section.lines) {
            std::size_t equals = line.find('=');
            std::string key = line.substr(0, equals);
            std::string value = unescaped(line.substr(equals + 1));
            auto number = [&] { return std::stoi(value); };
            if (key == "Distinct") context.Distinct = number();
            else if (key == "DelRoot") context.chkDelRoot = number();
            else if (key == "GenParent") context.GenParent = number();
            else if (key == "Mapping") useMapping(value);
            else if (key == "UpdateMode") context.UpdateMode = static_cast<std::int16_t>(number());
            else if (key == "UpdateImportID") {
                context.UpdateImportID = value == "latest"
                                             ? UT_GET_LATEST_Transaction_ImportID(context, application.reporter())
                                             : number();
            }
            else if (key == "MoveIfNotInSource") context.MoveIfNotInSource = number();
            else if (key == "NewParentID") context.NewParentID = number();
            else if (key == "SourceCol") context.SourceCol = value;
            else if (key == "DestinCol") context.DestinCol = value;
            else if (key == "StyleID") context.StyleID = static_cast<std::int16_t>(number());
            else if (key == "KBImport") context.KBImport = number();
            else if (key == "KBCategoryID") context.KBCategoryID = number();
            else if (key == "Discovery") context.cboDiscovery = number();
            else if (key == "MakeDefaultEXL") context.chkMakeDefaultEXL = number();
            else if (key == "txtSConn") context.txtSConn = value;
            else if (key == "Unattended") context.Unattended = number();
            else if (key == "AssetField") assetFields.push_back(value);
            else if (key == "abort") abort = number();
            else if (key == "exit") expectedExit = number();
            else if (key == "console") expectedConsoles.push_back(value);
            else if (key == "error") expectedErrors.push_back(value);
            else if (key == "log") expectedLog.push_back(value);
            else if (key == "merged") merged[std::stoi(value)] = std::stol(value.substr(value.find(':') + 1));
            else if (key == "left") left[std::stoi(value)] = std::stol(value.substr(value.find(':') + 1));
            else if (key.rfind("message", 0) == 0) {
                anyMessage = true;
                MsgResult answer = key == "message:Retry"   ? MsgResult::Retry
                                   : key == "message:Abort" ? MsgResult::Abort
                                   : key == "message:Ignore" ? MsgResult::Ignore
                                                            : MsgResult::OK;
                messages.emplace_back(value, answer);
            } else if (key == "refuse") {
                refused = true;
                // code*times:statement
                std::size_t star = value.find('*'), colon = value.find(':');
                auto real = std::move(context.DestinationConnection);
                context.DestinationConnection = std::make_unique<test::FailingConnection>(
                    std::move(real), value.substr(colon + 1),
                    static_cast<std::int32_t>(std::stoul(value.substr(0, star), nullptr, 16)),
                    std::stoi(value.substr(star + 1, colon - star - 1)));
            } else {
                ADD_FAILURE() << "unknown run setting " << key;
            }
        }
        if (!anyMessage && !context.Unattended && !abort) {
            messages.emplace_back(kNotice, MsgResult::OK);
            messages.emplace_back(kCompleted, MsgResult::OK);
        }

        mapping::rebuildStructureLevels(context.destination(), context);
        if (context.KBImport) mapping::useKnowledgeBaseLevel(context);
        mapping::setLevelValuesForImport(context.destination(), context, assetFields);

        std::vector<std::string> consoles;
        std::string errors;
        host.onModal = [&](wizard::Screen& screen) {
            if (auto* info = dynamic_cast<ImportInfoScreen*>(&screen)) {
                abort ? info->cmdQuit_Click() : info->cmdSave_Click();
            } else if (auto* console = dynamic_cast<wizard::ErrorConsole*>(&screen)) {
                std::string full = console->txtFullError.text;
                consoles.push_back(console->lblError.caption + " @ " + full.substr(full.rfind("Occured On : ") + 13));
                errors += full;
            }
        };
        application.navigator().unloadScreen(ScreenId::frmDBSave);
        auto* screen = dynamic_cast<ImportScreen*>(application.navigator().loadScreen(ScreenId::frmDBSave));
        ASSERT_NE(screen, nullptr);
        // A refusal would be spent by the preview; an aborted run has nothing to preview.
        bool previewed = m_previewFirst && !refused && !abort;
        if (previewed) preview(*screen, messages);
        for (const auto& [text, answer] : messages) dialogs.expectMessage(text, answer);
        std::optional<int> exit;
        std::size_t shownBefore = dialogs.shown().size();
        long articlesBefore = context.KBImport ? countOf("SELECT count(*) FROM KNOWLEDGE") : 0;
        std::int64_t itemsBefore = context.KBImport ? articlesBefore : highestItemId(context.destination());
        std::map<std::string, std::string> parentsBefore = parents();
        test::writeFile(home.path() / "TKImportLog.on", "");
        fs::remove(home.path() / "TKImportLog.log");
        if (m_source) m_source->takeLongest();
        try {
            screen->cmdStart_Click();
        } catch (const diag::ProcessEnd& end) {
            exit = end.status;
        }
        std::size_t longest = m_source ? m_source->takeLongest() : 0;
        m_longestStatement = std::max(m_longestStatement, longest);
        if (m_lists == KeyLists::AsShipped) {
            EXPECT_LE(longest, kShippedLimit) << "longest source statement";
        }
        diag::clearStopRequest();
        host.onModal = nullptr;  // it holds this run's locals
        checkNothingLost(*screen, exit, shownBefore, merged, left, articlesBefore);
        if (previewed) {
            checkPreviewed(*screen, exit, shownBefore, itemsBefore, parentsBefore);
            EXPECT_FALSE(screen->txtPreview.visible) << "a run hides the preview before it";
        }
        EXPECT_EQ(exit, expectedExit) << home.read("XFRLog.log");
        EXPECT_EQ(dialogs.pending(), 0u) << "messages expected but not shown";
        EXPECT_EQ(consoles, expectedConsoles);
        for (const std::string& error : expectedErrors) EXPECT_NE(errors.find(error), std::string::npos) << errors;
        for (const std::string& line : expectedLog) {
            EXPECT_NE(home.read("XFRLog.log").find(line), std::string::npos) << home.read("XFRLog.log");
        }
        context.Unattended = false;
    }

    long countOf(const std::string& sql) { return std::stol(test::rowsOf(context.destination(), sql)); }

    // Every table of the destination, its schema and its triggers, row for row.
    std::string snapshot() {
        std::string rows = test::rowsOf(*m_destination, "SELECT type, name, sql FROM sqlite_master ORDER BY name");
        std::istringstream tables(test::rowsOf(*m_destination, "SELECT name FROM sqlite_master WHERE type = 'table'"));
        for (std::string table; std::getline(tables, table);) {
            rows += "[" + table + "]\n" + test::rowsOf(*m_destination, "SELECT * FROM [" + table + "]");
        }
        return rows;
    }

    std::map<std::string, std::string> parents() {
        std::map<std::string, std::string> parentOf;
        if (context.KBImport) return parentOf;
        std::istringstream rows(test::rowsOf(*m_destination, "SELECT ID, Parent FROM CIID"));
        for (std::string row; std::getline(rows, row);) parentOf[row.substr(0, row.find('|'))] = row.substr(row.find('|') + 1);
        return parentOf;
    }

    // The preview shows what the run will show, but for the notice and the success message, and
    // leaves every table as it was.
    void preview(ImportScreen& screen, const std::vector<std::pair<std::string, MsgResult>>& messages) {
        SCOPED_TRACE("preview");
        std::string before = snapshot();
        for (const auto& [text, answer] : messages) {
            if (text != kNotice && text != kCompleted) dialogs.expectMessage(text, answer);
        }
        auto onModal = std::exchange(host.onModal, [](wizard::Screen&) {});
        test::writeFile(home.path() / "TKImportLog.on", "");
        screen.cmdPreview_Click();
        diag::clearStopRequest();
        host.onModal = onModal;
        EXPECT_EQ(dialogs.pending(), 0u) << "messages of the run that the preview did not show";
        EXPECT_EQ(snapshot(), before) << "the preview changed the destination";
        m_previewed = screen.preview();
        // The screen shows it, failing or not, until the next preview.
        EXPECT_TRUE(screen.txtPreview.visible && screen.cmdPreview.enabled);
        EXPECT_EQ(screen.txtPreview.text.find("The run would fail: ") != std::string::npos, m_previewed.failed)
            << screen.txtPreview.text;
    }

    // The previewed counts are what the run did: items created and updated per level, items it
    // moved (their parent changed), the rows it read and the rows that failed.
    void checkPreviewed(const ImportScreen& screen, std::optional<int> exit, std::size_t shownBefore,
                        std::int64_t itemsBefore, const std::map<std::string, std::string>& parentsBefore) {
        SCOPED_TRACE("previewed counts");
        bool succeeded = exit == 0;
        for (std::size_t i = shownBefore; i < dialogs.shown().size(); ++i) {
            succeeded = succeeded || dialogs.shown()[i].text == kCompleted;
        }
        EXPECT_EQ(m_previewed.failed, !succeeded) << m_previewed.failure;
        std::map<int, long> moved;
        if (context.MoveIfNotInSource && !context.KBImport) {
            std::map<int, std::set<std::string>> movedIds;
            std::istringstream rows(test::rowsOf(
                *m_destination, "SELECT h.StructureID, c.ID, c.Parent FROM CIID c JOIN XFRHash h ON h.CIIDID = c.ID "
                                "WHERE h.ImportID <> " + std::to_string(screen.importId())));
            for (std::string row; std::getline(rows, row);) {
                std::istringstream fields(row);
                std::string level, id, parent;
                std::getline(fields, level, '|');
                std::getline(fields, id, '|');
                std::getline(fields, parent, '|');
                auto was = parentsBefore.find(id);
                if (parent == std::to_string(context.NewParentID) && was != parentsBefore.end() && was->second != parent) {
                    movedIds[std::stoi(level)].insert(id);
                }
            }
            for (const auto& [level, ids] : movedIds) moved[level] = static_cast<long>(ids.size());
        }
        ImportPreview done;
        countPreview(*m_destination, context.Gstructures, screen.importId(), context.UpdateImportID > 0,
                     context.KBImport, itemsBefore, moved, done);
        ASSERT_EQ(m_previewed.levels.size(), done.levels.size());
        long created = 0;
        for (std::size_t i = 0; i < done.levels.size(); ++i) {
            const LevelPreview& previewed = m_previewed.levels[i];
            const LevelPreview& level = done.levels[i];
            SCOPED_TRACE("level " + std::to_string(i + 1));
            EXPECT_EQ(previewed.create, level.create);
            EXPECT_EQ(previewed.update, level.update);
            EXPECT_EQ(previewed.move, level.move);
            EXPECT_EQ(previewed.failing, level.failing);
            EXPECT_EQ(previewed.read, level.read);
            created += level.create;
        }
        if (context.KBImport) return;
        // A failed run may hold items it could not record.
        if (succeeded) {
            EXPECT_EQ(countOf("SELECT count(*) FROM CIID WHERE ID > " + std::to_string(itemsBefore)), created);
        }
        EXPECT_EQ(m_previewed.tree, done.tree);
    }

    // Rows per level of a "level|count" query.
    std::map<int, long> perLevel(db::Connection& connection, const std::string& sql) {
        std::map<int, long> counts;
        std::istringstream rows(test::rowsOf(connection, sql));
        for (std::string row; std::getline(rows, row);) {
            counts[std::stoi(row)] = std::stol(row.substr(row.find('|') + 1));
        }
        return counts;
    }

    void checkNothingLost(const ImportScreen& screen, std::optional<int> exit, std::size_t shownBefore,
                          const std::map<int, long>& merged, const std::map<int, long>& left, long articlesBefore) {
        std::optional<long> failed;
        if (exit == 0) failed = 0;
        for (std::size_t i = shownBefore; i < dialogs.shown().size(); ++i) {
            std::istringstream text(dialogs.shown()[i].text);
            for (std::string line; std::getline(text, line);) {
                if (line == "Veltrane Data Import Completed Successfully") failed = 0;
                // "N transfer rows failed; the first: ..." and "N more transfer rows failed: ..."
                if (line.find(" transfer rows failed") != std::string::npos) failed = failed.value_or(0) + std::stol(line);
            }
        }
        std::string session = std::to_string(screen.importId());
        if (!failed) {
            // A run that stopped before its items recorded none.
            if (screen.stage() == "Writing To Temp Table") {
                EXPECT_EQ(countOf("SELECT count(*) FROM XFRHash WHERE ImportID = " + session), 0);
            }
            return;
        }
        // The source statements as the run wrote them into its debug log, and the rows it left
        // out where it compared the recorded keys itself.
        std::map<int, long> read, leftHere;
        std::istringstream log(home.read("TKImportLog.log"));
        for (std::string line; std::getline(log, line);) {
            if (line.rfind("Import=Level:", 0) != 0) continue;
            if (line.back() == '\r') line.pop_back();
            int level = std::stoi(line.substr(13));
            const std::string compared = " - recorded keys compared here: ";
            if (std::size_t at = line.find(compared); at != std::string::npos) {
                leftHere[level] = std::stol(line.substr(at + compared.size()));
                continue;
            }
            std::string statement = line.substr(line.find(" - Select ") + 3);
            std::string keyless;
            const wizard::StructureLevel& record = context.Gstructures[level];
            if (context.UpdateMode >= 1 && context.UpdateMode <= 3 && !record.DLink.empty()) {
                std::string key = "\"" + Link_Sep(false, record.DLink) + "\"";
                keyless = " WHERE " + key + " IS NOT NULL AND trim(" + key + ") <> ''";
            }
            read[level] = std::stol(
                test::rowsOf(context.source(), "SELECT count(*) FROM (" + statement + ")" + keyless));
        }
        auto written = perLevel(context.destination(),
                                "SELECT StructureID, count(*) FROM XFRTransfer GROUP BY StructureID");
        auto items = perLevel(context.destination(),
                              "SELECT h.StructureID, count(DISTINCT h.CIIDID) FROM XFRHash h JOIN CIID c ON c.ID = "
                              "h.CIIDID WHERE h.ImportID = " + session + " GROUP BY h.StructureID");
        long rows = 0, made = 0, joined = 0;
        for (const auto& [level, returned] : read) {
            SCOPED_TRACE("nothing lost, level " + std::to_string(level));
            const std::map<int, long>& declared = leftHere.count(level) ? leftHere : left;
            long count = returned - (declared.count(level) ? declared.at(level) : 0);
            EXPECT_EQ(written[level], count);
            rows += count;
            long mergedRows = merged.count(level) ? merged.at(level) : 0;
            joined += mergedRows;
            made += items[level];
            if (*failed == 0 && !context.KBImport) {
                EXPECT_EQ(items[level], count - mergedRows) << "items";
            }
        }
        if (context.KBImport) {
            EXPECT_EQ(countOf("SELECT count(*) FROM KNOWLEDGE") - articlesBefore, rows - *failed) << "articles";
        } else {
            EXPECT_EQ(made, rows - joined - *failed) << "items of the run";
        }
        if (*failed == 0) {
            EXPECT_EQ(screen.lblRecNumImport.caption, "Total Records Imported : " + std::to_string(rows));
        }
    }

    static constexpr const char* kNotice =
        "Important Notice\r\n\r\nThe Data Import may take some time, and the application may stop responding\r\n"
        "Please do not close application until import is complete";
    static constexpr const char* kCompleted = "Veltrane Data Import Completed Successfully";

    test::TempHome home;
    fs::path m_file;
    Scenario m_scenario;
    KeyLists m_lists;
    bool m_previewFirst;
    ImportPreview m_previewed;
    test::RecordingConnection* m_source = nullptr;
    std::size_t m_longestStatement = 0;
    fs::path m_folder;
    db::Connection* m_destination = nullptr;
    std::map<std::string, std::vector<std::string>> m_mappings;
    wizard::HeadlessHost host;
    wizard::ScriptedDialogs dialogs;
    app::Application application{host, dialogs, false};
    wizard::Context& context = application.context();
};

struct ScenarioCase {
    std::string name;
    KeyLists lists;
    bool preview = false;  // every run previewed first
};

std::string caseName(const ScenarioCase& scenario) {
    const char* lists[] = {"", "_keys_compared_here", "_keys_listed"};
    return scenario.name + lists[static_cast<int>(scenario.lists)] + (scenario.preview ? "_previewed" : "");
}

void PrintTo(const ScenarioCase& scenario, std::ostream* out) { *out << caseName(scenario); }

class DbImportScenario : public ::testing::TestWithParam<ScenarioCase> {};

TEST_P(DbImportScenario, LeavesExactlyTheExpectedRows) {
    ScenarioRunner(fs::path(KORU_FIXTURES_DIR) / "import" / (GetParam().name + ".scenario"), GetParam().lists,
                   GetParam().preview)
        .run();
}

std::vector<ScenarioCase> scenarioCases() {
    std::vector<ScenarioCase> cases;
    for (const auto& entry : fs::directory_iterator(fs::path(KORU_FIXTURES_DIR) / "import")) {
        if (entry.path().extension() != ".scenario") continue;
        std::string name = entry.path().stem().string();
        Scenario scenario = readScenario(entry.path());
        bool updates = false;
        for (const Section& section : scenario.sections) {
            for (const std::string& line : section.lines) {
                updates = updates || (section.name == "run" && line.rfind("UpdateMode=", 0) == 0 &&
                                      line != "UpdateMode=0");
            }
        }
        cases.push_back({name, KeyLists::AsShipped});
        cases.push_back({name, KeyLists::AsShipped, true});
        if (updates && scenario.header["keys-compared-here"] != "differs") cases.push_back({name, KeyLists::Never});
        if (scenario.header["many-keys"] == "1") cases.push_back({name, KeyLists::Always});
    }
    std::sort(cases.begin(), cases.end(), [](const ScenarioCase& a, const ScenarioCase& b) {
        return std::tie(a.name, a.lists, a.preview) < std::tie(b.name, b.lists, b.preview);
    });
    return cases;
}

std::string caseTestName(const ::testing::TestParamInfo<ScenarioCase>& info) { return caseName(info.param); }

INSTANTIATE_TEST_SUITE_P(Fixtures, DbImportScenario, ::testing::ValuesIn(scenarioCases()), caseTestName);

}  // namespace
}  // namespace koru::import
