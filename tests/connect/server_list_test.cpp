#include "connect/server_list.h"

#include "db/freetds_config.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "support/temp_home.h"

namespace koru::connect {
namespace {

TEST(ServerList, ServerSectionsOfTheFreeTdsConfiguration) {
    std::string configuration =
        "[global]\n  tds version = auto\n; [commented]\n[egServer73]\n\thost = ntmachine\n"
        "  [ Sales Box ]  \r\n[(local)]\n[EGSERVER73]\n[]\n";
    EXPECT_EQ(db::freeTdsServerSections(configuration),
              (std::vector<std::string>{"egServer73", "Sales Box", "(local)", "EGSERVER73"}));

    wizard::ComboBox servers;
    servers.addItem("SALES BOX");  // already listed, as the settings file may have put it
    Get_Avail_SQL_Servers(servers, db::freeTdsServerSections(configuration));
    std::vector<std::string> listed;
    for (const auto& item : servers.items) listed.push_back(item.text);
    EXPECT_EQ(listed, (std::vector<std::string>{"SALES BOX", "EGSERVER73"}));
}

TEST(ServerList, KnownServersComeFromTheConfiguredFile) {
    test::TempHome home;
    std::string file = (home.path() / "freetds.conf").string();
    std::ofstream(file) << "[global]\n[alpha]\n[beta]\n";
    ::setenv("FREETDSCONF", file.c_str(), 1);
    EXPECT_EQ(db::freeTdsServers(), (std::vector<std::string>{"alpha", "beta"}));
    ::unsetenv("FREETDSCONF");
}

TEST(ServerList, ConnectionPropertyRunsToTheNextSemicolon) {
    std::string source = "Provider=SQLOLEDB.1;Initial Catalog=Sales;Data Source=srv";
    EXPECT_EQ(UT_Get_Connection_Property(source, "Initial Catalog="), "Sales");
    EXPECT_EQ(UT_Get_Connection_Property(source, "Data Source="), "srv");
    EXPECT_EQ(UT_Get_Connection_Property(source, "initial catalog="), "");  // exact case
    EXPECT_EQ(UT_Get_Connection_Property("Provider=SQLite;Data Source=a.db", "Initial Catalog="), "");
}

}  // namespace
}  // namespace koru::connect
