#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "db/demo_source.h"
#include "db/product_schema.h"
#include "db/sqlite_connection.h"
#include "support/embedded_destination.h"
#include "support/files.h"
#include "support/temp_home.h"

namespace koru::mapping {
namespace {

namespace fs = std::filesystem;

// A mapping file changed by someone else runs unattended against a product database: the run
// stops before anything reaches the product.
TEST(DbHostileMappingRun, IsRefusedWithExitOneAndLeavesTheProductAsItWas) {
    struct Case {
        const char* file;
        int line;
        std::string text;
        const char* field;
    } cases[] = {
        {"demo-XFRParent.xft", 1,
         "GenParent=0;SourceCol=Alpha1 from ciid --;DestinCol=Alpha1;StyleID=1;Distinct=0;",
         "SourceCol"},
        {"demo-XFRClause.xft", 1,
         "'5',, 'Software',, 'Licence',, '<>1 or 1<>',, 'NULL',, '0',, 'False'", "Operator"},
        {"demo-XFRStructure.xft", 2,
         "'2 ',, 'Department',, '[Department].[CoID]',, '[Department].[DeptID] from Department "
         "--',, '1',, '',,'' ,,'2'",
         "DLink"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        test::TempHome home;
        db::createProductDatabase(home.path(), "TICKORDB", db::Product::Tickora, true);
        db::createDemoSourceDatabase(home.path() / "source.db");
        for (const auto& entry :
             fs::directory_iterator(fs::path(KORU_FIXTURES_DIR) / "unattended")) {
            fs::copy_file(entry.path(), home.path() / entry.path().filename());
        }
        std::ofstream(home.path() / "ConnSet", std::ios::binary)
            << "Veltrane Data Import Utility Connection Settings "
               "File\r\n\r\n\r\nProvider=SQLite;Data Source="
            << (home.path() / "source.db").string() << "\r\n\r\nsqlite:" << home.path().string()
            << "\r\nadmin\r\n";
        fs::path changed = home.path() / c.file;
        std::string content = test::rawFile(changed);
        std::size_t start = 0;
        for (int n = 1; n < c.line; ++n) start = content.find("\r\n", start) + 2;
        std::size_t end = content.find("\r\n", start);
        test::writeFile(
            changed, content.replace(start, end == std::string::npos ? end : end - start, c.text));

        auto product = [&home](const std::string& sql) {
            db::SqliteConnection destination;
            destination.open(db::embeddedDestinationString(home.path(), "TICKORDB"));
            return test::rowsOf(destination, sql);
        };
        const std::string before = product("SELECT * FROM CIID");
        std::string command = "KORU_HOME='" + home.path().string() + "' " + KORU_BINARY +
                              " \"/MapFile='demo.xfo'\" /Product=tickora /UserID=admin "
                              "\"/Update='0'\" >/dev/null 2>'" +
                              (home.path() / "stderr.txt").string() + "'";
        int status = std::system(command.c_str());
        std::string err = home.read("stderr.txt");

        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << err;
        EXPECT_NE(err.find("The mapping was not loaded: " + changed.string() + ", line " +
                           std::to_string(c.line) + ", field " + c.field + ": "),
                  std::string::npos)
            << err;
        EXPECT_EQ(product("SELECT * FROM CIID"), before);
        EXPECT_EQ(
            product(
                "SELECT (SELECT count(*) FROM XFRStructure) + (SELECT count(*) FROM XFRMappings) + "
                "(SELECT count(*) FROM XFRClause)"),
            "0\n");
    }
}

}  // namespace
}  // namespace koru::mapping
