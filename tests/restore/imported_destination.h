#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/application.h"
#include "db/db_test_support.h"
#include "db/repository.h"
#include "db/sqlite_connection.h"
#include "import/import_info_screen.h"
#include "import/import_screen.h"
#include "mapping/level_values.h"
#include "mapping/mapping_repository.h"
#include "support/embedded_destination.h"
#include "support/headless_wizard.h"
#include "support/temp_home.h"
#include "wizard/scripted_dialogs.h"

namespace koru::test {

// An embedded product database, a source of companies and their contacts, and a mapping of
// the two as levels, imported as often as a test asks, as the user would from the import
// screen. Companies go under the demo item 1.
class ImportedDestination : public HeadlessWizard {
public:
    explicit ImportedDestination(db::Product product) : HeadlessWizard(product) {
        createSqliteFile(home.path() / "source.db",
                         "CREATE TABLE Company (CoCode text, CoName text);"
                         "INSERT INTO Company VALUES ('A', 'Alpha'), ('B', 'Beta');"
                         "CREATE TABLE Contact (CKey text, CoCode text, Name text);"
                         "INSERT INTO Contact VALUES ('c1', 'A', 'Ann'), ('c2', 'A', 'Olivia'), ('c3', 'B', 'Carl');");
        auto source = std::make_unique<db::SqliteConnection>();
        source->open("Provider=SQLite;Data Source=" + (home.path() / "source.db").string());
        context.SourceConnection = std::move(source);
        context.DestinationConnection = destination.connect();
        context.destinationDialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Sqlite);
        db::Repository repository(context.destination(), db::sqliteRepositoryStatements(), application.reporter());
        context.LGEnabled = repository.Is_LG_Enabled();
        for (const char* sql : {
                 "INSERT INTO XFRStructure (ID, Name, DLink, StyleID) VALUES (1, 'Company', '[Company].[CoCode]', 1)",
                 "INSERT INTO XFRStructure (ID, Name, ULink, ULinkID, DLink, StyleID) "
                 "VALUES (2, 'Contact', '[Contact].[CoCode]', 1, '[Contact].[CKey]', 3)",
                 "INSERT INTO XFRMappings (StructureID, SourceTable, SourceColumn, DestinTable, DestinColumn, Level) "
                 "VALUES (1, 'Company', 'CoName', 'CIID', 'Alpha1', 1), (2, 'Contact', 'Name', 'CIID', 'Alpha1', 1)"}) {
            context.destination().execute(sql);
        }
        host.onModal = [](wizard::Screen& screen) {
            if (auto* info = dynamic_cast<import::ImportInfoScreen*>(&screen)) info->cmdSave_Click();
        };
    }

    // One run; returns its session id. `failing` stands in for the destination during the run.
    std::int32_t import(std::int16_t updateMode = 0, std::int32_t updateImportId = 0, bool succeeds = true) {
        context.UpdateMode = updateMode;
        context.UpdateImportID = updateImportId;
        context.GenParent = 1;
        mapping::rebuildStructureLevels(context.destination(), context);
        mapping::setLevelValuesForImport(context.destination(), context, {});
        dialogs.expectMessageStartingWith("Important Notice");
        if (succeeds) dialogs.expectMessage("Veltrane Data Import Completed Successfully");
        else dialogs.expectMessageStartingWith("XFR Import Failed At Stage");
        application.navigator().unloadScreen(wizard::ScreenId::frmDBSave);
        auto* screen = dynamic_cast<import::ImportScreen*>(
            application.navigator().loadScreen(wizard::ScreenId::frmDBSave));
        screen->cmdStart_Click();
        EXPECT_EQ(dialogs.pending(), 0u);
        return screen->importId();
    }
};

}  // namespace koru::test
