#include "db/repository.h"

namespace koru::db {
namespace {

constexpr std::string_view kHashFailure = "Error Creating Import Table XFRHash";
constexpr std::string_view kHashLocation = "DB_MOD:Create_TB_XFR_Hash";

}  // namespace

bool Repository::selectSucceeds(const std::string& sql) {
    try {
        m_destination.query(sql);  // the record set is closed at once
        return true;
    } catch (const DbError&) {
        return false;  // a failing select means the table or column is missing
    }
}

bool Repository::Create_XFR_Tables() {
    for (const std::string& drop : m_statements.dropMappingTables()) {
        try {
            m_destination.execute(drop);
        } catch (const DbError&) {
            // errors suppressed: the table may not exist yet
        }
    }
    try {
        for (const std::string& create : m_statements.createMappingTables()) m_destination.execute(create);
    } catch (const DbError& error) {
        m_reporter.UT_Report_Error(error.toErrorRecord(), "frmConn:create_xfr_tables", "");
        return false;
    }
    return true;
}

bool Repository::Create_XFR_Indexes() {
    try {
        for (const std::string& create : m_statements.createMappingIndexes()) m_destination.execute(create);
    } catch (const DbError& error) {
        m_reporter.UT_Report_Error(error.toErrorRecord(), "frmConn:Create_XFR_Indexes",
                                   "Failed To Create XFR Indexes");
        return false;
    }
    return true;
}

bool Repository::isProductDatabase() { return selectSucceeds("Select id from ciid where 1 = 0"); }

bool Repository::Is_LG_Enabled() { return selectSucceeds("Select id from assetciid"); }

bool Repository::Validate_EXT_DB() { return selectSucceeds("Select * from ExtApps"); }

bool Repository::Create_TB_XFR_Hash() {
    try {
        if (selectSucceeds("Select ciidid from xfrhash")) {
            if (!selectSucceeds("Select structureparent from xfrhash")) {
                m_destination.execute(m_statements.addHashStructureParent());
            }
            return true;
        }
        for (const std::string& create : m_statements.createHashTable()) m_destination.execute(create);
    } catch (const DbError& error) {
        m_reporter.UT_Report_Error(error.toErrorRecord(), kHashLocation, kHashFailure);
        return false;
    }
    return true;
}

bool Repository::Update_XFR_Hash_Indexes() {
    try {
        for (const std::string& statement : m_statements.updateHashIndexes()) m_destination.execute(statement);
    } catch (const DbError& error) {
        m_reporter.UT_Report_Error(error.toErrorRecord(), kHashLocation, kHashFailure);
        return false;
    }
    return true;
}

bool Repository::Create_TB_XFR_TranLog() {
    try {
        if (selectSucceeds("Select id from xfrtranlog")) {
            if (!selectSucceeds("Select UpdateImportID from xfrtranlog")) {
                m_destination.execute(m_statements.addTranLogUpdateImportId());
            }
            if (!selectSucceeds("Select MapFile from xfrtranlog")) m_destination.execute(m_statements.addTranLogMapFile());
            return true;
        }
        m_destination.execute(m_statements.createTranLog());
        m_destination.execute(m_statements.addTranLogMapFile());
    } catch (const DbError& error) {
        m_reporter.UT_Report_Error(error.toErrorRecord(), kHashLocation, kHashFailure);
        return false;
    }
    return true;
}

}  // namespace koru::db
