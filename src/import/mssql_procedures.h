#pragma once

#include <string>
#include <vector>

namespace koru::import {

// The four server procedures of the import as SQL Server creates them: XFR_Update_CIID turns
// transfer rows into items, XFR_Update_KB into articles, XFR_Update_DB_Hierachy links each
// level to its parents, XFR_GET_Parent_List lists a level's keys into XFRTempP.

// Run with errors suppressed: a missing procedure is not an error.
std::vector<std::string> mssqlProcedureDrops();
// XFR_Update_KB, XFR_GET_Parent_List, XFR_Update_CIID, XFR_Update_DB_Hierachy, in this order.
std::vector<std::string> mssqlProcedureCreations();

}  // namespace koru::import
