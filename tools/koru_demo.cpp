// Creates the demo: a product database for the embedded destination, a source database to import
// from and a saved mapping of five levels; and shows what an import left in the navigator.
#include <cstring>
#include <iostream>
#include <map>
#include <sstream>

#include "db/demo_source.h"
#include "db/product_schema.h"
#include "db/repository.h"
#include "db/sqlite_connection.h"
#include "diag/error_reporter.h"
#include "mapping/mapping_files.h"
#include "mapping/mapping_repository.h"
#include "wizard/context.h"
#include "wizard/headless_dialogs.h"

namespace {

namespace fs = std::filesystem;
using namespace koru;

struct ThrowingReporter : diag::ErrorReporter {
    void UT_Report_Error(const diag::ErrorRecord& error, std::string_view location, std::string_view) override {
        throw std::runtime_error(error.description + " (" + std::string(location) + ")");
    }
    void Show_Form(std::string_view message, std::string_view location, const diag::ErrorRecord&) override {
        throw std::runtime_error(std::string(message) + " (" + std::string(location) + ")");
    }
};

// Company > Department > Contact > PC > Software under the demo's first item, a combined
// contact name, and only software that has a licence.
const char* kDemoMapping = R"sql(
INSERT INTO XFRStructure (ID, Name, DLink, StyleID) VALUES (1, 'Company', '[Company].[CoID]', 1);
INSERT INTO XFRStructure (ID, Name, ULink, ULinkID, DLink, StyleID) VALUES
  (2, 'Department', '[Department].[CoID]', 1, '[Department].[DeptID]', 2),
  (3, 'Contact', '[Contact].[DeptID]', 2, '[Contact].[ContactID]', 3),
  (4, 'PC', '[PC].[ContactID]', 3, '[PC].[AssetTag]', 4),
  (5, 'Software', '[Software].[AssetTag]', 4, '[Software].[SoftwareID]', 4);
INSERT INTO XFRMappings (StructureID, SourceTable, SourceColumn, DestinTable, DestinColumn, Level) VALUES
  (1, 'Company', 'CoName', 'CIID', 'Alpha1', 1), (1, 'Company', 'Address', 'CIID', 'Alpha2', 1),
  (1, 'Company', 'Phone', 'CIID', 'Alpha3', 1), (1, 'Company', 'AccountNo', 'CIID', 'Num1', 1),
  (2, 'Department', 'DeptName', 'CIID', 'Alpha1', 1), (2, 'Department', 'Floor', 'CIID', 'Alpha2', 1),
  (2, 'Department', 'Manager', 'CIID', 'Alpha3', 1),
  (3, 'Contact', 'FirstName', 'CIID', 'Alpha1', 1), (3, NULL, NULL, 'TEXTSEP', ' ', 2),
  (3, 'Contact', 'LastName', 'CIID', 'Alpha1', 3), (3, 'Contact', 'Extension', 'CIID', 'Alpha3', 1),
  (3, 'Contact', 'StaffNo', 'CIID', 'Num1', 1), (3, 'Contact', 'Email', 'CIID', 'EmailID', 1),
  (4, 'PC', 'MachineName', 'CIID', 'Alpha1', 1), (4, 'PC', 'SerialNumber', 'CIID', 'Alpha2', 1),
  (4, 'PC', 'MemoryMB', 'CIID', 'Num1', 1),
  (5, 'Software', 'Title', 'CIID', 'Alpha1', 1), (5, 'Software', 'Version', 'CIID', 'Alpha2', 1);
INSERT INTO XFRClause (StructureID, SourceTable, SourceColumn, Operator, Criteria, StrucOrder, AndClause) VALUES
  (5, 'Software', 'Licence', 'is not', 'NULL', 0, 0)
)sql";

void writeDemoMapping(const fs::path& folder, const std::string& database, const fs::path& mapFile) {
    wizard::Context context;
    auto destination = std::make_unique<db::SqliteConnection>();
    destination->open(db::embeddedDestinationString(folder, database));
    ThrowingReporter reporter;
    db::Repository repository(*destination, db::sqliteRepositoryStatements(), reporter);
    repository.Create_XFR_Tables();
    repository.Create_XFR_Indexes();
    std::string statements = kDemoMapping;
    for (std::size_t start = 0, end; start < statements.size(); start = end + 1) {
        end = statements.find(";\n", start);
        if (end == std::string::npos) end = statements.size();
        std::string statement = statements.substr(start, end - start);
        if (statement.find_first_not_of(" \n") != std::string::npos) destination->execute(statement);
    }
    mapping::rebuildStructureLevels(*destination, context);
    context.GenParent = 1;
    context.DestinationConnection = std::move(destination);
    context.destinationDialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Sqlite);
    std::ostringstream quiet;
    wizard::HeadlessDialogs dialogs(quiet);
    fs::create_directories(mapFile.parent_path());
    if (!mapping::MappingFiles(context, dialogs, reporter).UT_Save_Mappings_To_TXT(mapFile.string())) {
        throw std::runtime_error("the demo mapping was not saved");
    }
}

// The navigator tree, a few items per parent, each named by its level (or, for items the import
// did not write, its style), with the number of items the last import recorded per level.
int printTree(const fs::path& folder, const std::string& database) {
    db::SqliteConnection destination;
    destination.open(db::embeddedDestinationString(folder, database));
    auto number = [](const std::optional<std::string>& text) { return std::stol(text.value_or("0")); };
    std::map<long, std::string> kinds;
    {
        auto rows = destination.query("SELECT c.ID, s.Specstyle FROM CIID c LEFT JOIN Style s ON s.ID = c.StyleID");
        while (rows->next()) kinds[number(rows->value(std::size_t{0}))] = rows->value(std::size_t{1}).value_or("?");
    }
    std::vector<std::pair<std::string, long>> perLevel;
    auto hash = destination.query("SELECT count(*) FROM sqlite_master WHERE name IN ('XFRHASH', 'XFRStructure')");
    bool imported = hash->next() && hash->value(std::size_t{0}).value_or("0") == "2";
    hash.reset();
    if (imported) {
        const std::string last = "(SELECT max(ImportID) FROM XFRHASH)";
        auto rows = destination.query("SELECT h.CIIDID, s.Name FROM XFRHASH h JOIN XFRStructure s ON s.ID = h.StructureID "
                                      "WHERE h.ImportID = " + last);
        while (rows->next()) kinds[number(rows->value(std::size_t{0}))] = rows->value(std::size_t{1}).value_or("?");
        auto counts = destination.query("SELECT s.Name, count(*) FROM XFRHASH h JOIN XFRStructure s ON s.ID = "
                                        "h.StructureID WHERE h.ImportID = " + last + " GROUP BY s.ID ORDER BY s.ID");
        while (counts->next()) perLevel.emplace_back(counts->value(std::size_t{0}).value_or(""), number(counts->value(std::size_t{1})));
    }
    std::multimap<long, std::pair<long, std::string>> children;
    {
        auto rows = destination.query("SELECT ID, Parent, Alpha1 FROM CIID ORDER BY ID");
        while (rows->next()) {
            long id = number(rows->value(std::size_t{0}));
            children.insert({number(rows->value(std::size_t{1})), {id, kinds[id] + ": " + rows->value(std::size_t{2}).value_or("")}});
        }
    }
    std::cout << "Items recorded by the last import:";
    for (const auto& [level, count] : perLevel) std::cout << " " << level << " " << count << ";";
    std::cout << "\nNavigator tree of " << database << " (three items per parent at most):\n";
    auto print = [&](auto& self, long parent, int depth) -> void {
        auto range = children.equal_range(parent);
        long count = static_cast<long>(std::distance(range.first, range.second));
        long shown = 0;
        for (auto it = range.first; it != range.second && shown < 3; ++it, ++shown) {
            std::cout << std::string(2 * depth + 2, ' ') << it->second.second << '\n';
            self(self, it->second.first, depth + 1);
        }
        if (count > shown) std::cout << std::string(2 * depth + 2, ' ') << "... and " << (count - shown) << " more\n";
    };
    print(print, 0, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool tree = argc == 3 && std::strcmp(argv[1], "--tree") == 0;
    bool create = argc == 2 || (argc == 3 && std::strcmp(argv[2], "--ledgora") == 0);
    if (!tree && !create) {
        std::cerr << "usage: koru_demo <folder> [--ledgora]\n"
                     "         creates <folder>/TICKORDB.db (or LEDGODB.db), <folder>/source.db and the\n"
                     "         saved mapping <folder>/home/demo.xfo\n"
                     "       koru_demo --tree <folder>\n"
                     "         prints the navigator tree of <folder>/TICKORDB.db\n";
        return 2;
    }
    try {
        if (tree) return printTree(argv[2], "TICKORDB");
        fs::path folder = argv[1];
        bool ledgora = argc == 3;
        std::string database = ledgora ? "LEDGODB" : "TICKORDB";
        db::createProductDatabase(folder, database, ledgora ? db::Product::Ledgora : db::Product::Tickora, true);
        db::createDemoSourceDatabase(folder / "source.db");
        writeDemoMapping(folder, database, folder / "home" / "demo.xfo");
        std::cout << "destination: server sqlite:" << folder.string() << ", database " << database << '\n'
                  << "source:      Provider=SQLite;Data Source=" << (folder / "source.db").string() << '\n'
                  << "mapping:     " << (folder / "home" / "demo.xfo").string() << '\n';
    } catch (const std::exception& error) {
        std::cerr << "koru_demo: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
