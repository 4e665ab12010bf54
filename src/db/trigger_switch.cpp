#include "db/trigger_switch.h"

#include "db/db_error.h"
#include "db/sql_quoting.h"

namespace koru::db {

std::string disableTriggersStatement(DestinationDialect::Kind kind, std::string_view table) {
    if (kind == DestinationDialect::Kind::Mssql) return "alter table " + std::string(table) + " disable trigger all";
    // The product's triggers test their row of the switch table.
    return "UPDATE [koru_trigger_switch] SET [enabled] = 0 WHERE [table_name] = '" + std::string(table) + "'";
}

std::string enableTriggersStatement(DestinationDialect::Kind kind, std::string_view table) {
    if (kind == DestinationDialect::Kind::Mssql) return "alter table " + std::string(table) + " enable trigger all";
    return "UPDATE [koru_trigger_switch] SET [enabled] = 1 WHERE [table_name] = '" + std::string(table) + "'";
}

std::string triggersOffStatement(DestinationDialect::Kind kind) {
    if (kind == DestinationDialect::Kind::Mssql) {
        return "SELECT DISTINCT lower(OBJECT_NAME(parent_id)) AS table_name FROM sys.triggers WHERE is_disabled = 1 "
               "AND parent_id IN (OBJECT_ID('ciid'), OBJECT_ID('assetciid'), OBJECT_ID('assetmaintain'))";
    }
    return "SELECT lower([table_name]) AS table_name FROM [koru_trigger_switch] WHERE [enabled] = 0 AND "
           "lower([table_name]) IN ('ciid', 'assetciid', 'assetmaintain')";
}

std::vector<std::string> switchOnTriggersLeftOff(Connection& destination, DestinationDialect::Kind kind) {
    std::vector<std::string> tables;
    try {
        auto rows = destination.query(triggersOffStatement(kind));
        while (rows->next()) tables.push_back(rows->value(std::size_t{0}).value_or(""));
    } catch (const DbError&) {
        return {};  // errors suppressed: a database without a trigger switch has nothing left off
    }
    for (const std::string& table : tables) destination.execute(enableTriggersStatement(kind, table));
    return tables;
}

std::string triggersLeftOffMessage(const std::vector<std::string>& tables) {
    return "The triggers of " + joined(tables, ", ") +
           " were left switched off by an import that did not finish, so the product recorded no history "
           "meanwhile. They have been switched on again.";
}

}  // namespace koru::db
