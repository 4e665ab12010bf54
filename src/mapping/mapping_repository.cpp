#include "mapping/mapping_repository.h"

#include <stdexcept>

#include "db/sql_quoting.h"
#include "mapping/mapping_file_format.h"

namespace koru::mapping {

void MappingRepository::truncate(const char* table) { m_destination.execute(m_dialect.truncateTable(table)); }

void MappingRepository::ut_clear_map_table() {
    truncate("XFRStructure");
    truncate("XFRMappings");
    truncate("XFRClause");
    truncate("XFRTableLink");
}

void MappingRepository::emptyStructure() {
    truncate("XFRStructure");
    truncate("XFRTableLink");
}

void MappingRepository::writeLevels(const std::vector<std::string>& names) {
    for (std::size_t level = 1; level <= names.size(); ++level) {
        // Quoted whatever it holds: not every level name was typed in the editors.
        m_destination.execute(std::string("Insert into XFRStructure(ID, Name) ") + " Values(" +
                              std::to_string(level) + " , " + db::charQuoted(names[level - 1], '\'') + ")");
    }
}

void MappingRepository::emptyMappingsAndClauses() {
    truncate("XFRMappings");
    truncate("XFRClause");
}

void MappingRepository::deleteLevelsFrom(int level) {
    std::string n = std::to_string(level);
    m_destination.execute("Delete From XFRStructure Where ID >= " + n);
    m_destination.execute("Delete From XFRMappings Where StructureID >= " + n);
    m_destination.execute("Delete From XFRClause Where StructureID >= " + n);
}

std::vector<ColumnMapping> MappingRepository::listMappings(int level) {
    std::vector<ColumnMapping> mappings;
    auto rows = m_destination.query("Select * From XFRMappings Where StructureID = " + std::to_string(level));
    auto number = [&rows](std::string_view column) {
        return integerColumnValue(rows->value(column).value_or("")).value_or(0);
    };
    while (rows->next()) {
        mappings.push_back({number("ID"), number("StructureID"), rows->value("SourceTable"),
                            rows->value("SourceColumn"), rows->value("DestinTable").value_or(""),
                            rows->value("DestinColumn").value_or(""), number("Level")});
    }
    return mappings;
}

std::int64_t MappingRepository::addMapping(const ColumnMapping& mapping) {
    auto optionalText = [](const std::optional<std::string>& text) -> db::Value {
        if (!text) return std::monostate{};
        return *text;
    };
    auto insert = m_destination.prepare(
        "INSERT INTO XFRMappings (StructureID, SourceTable, SourceColumn, DestinTable, DestinColumn, [Level]) "
        "VALUES (?, ?, ?, ?, ?, ?)");
    insert->execute({mapping.structureId, optionalText(mapping.sourceTable), optionalText(mapping.sourceColumn),
                     mapping.destinTable, mapping.destinColumn, mapping.level});
    return m_destination.lastInsertId();
}

void MappingRepository::removeMapping(std::int64_t id) {
    m_destination.execute("Delete From XFRMappings Where ID = " + std::to_string(id));
}

void rebuildStructureLevels(db::Connection& destination, wizard::Context& context) {
    // A failed rebuild must not leave the previous mapping's levels to the editor or the import.
    context.Gstructures = std::vector<wizard::StructureLevel>(1);
    auto rows = destination.query(
        "Select id, name, dlink, ulink, ulinknumeric, ulinkid, styleID From XFRStructure order by id asc");
    std::vector<wizard::StructureLevel> levels(1);
    std::vector<std::vector<std::optional<std::string>>> read;
    while (rows->next()) {
        read.push_back({rows->value("id"), rows->value("name"), rows->value("dlink"), rows->value("ulink"),
                        rows->value("ulinknumeric"), rows->value("ulinkid"), rows->value("styleID")});
    }
    levels.resize(read.size() + 1);
    for (const auto& row : read) {
        auto id = integerColumnValue(row[0].value_or(""));
        if (!id || *id < 1 || *id >= static_cast<std::int64_t>(levels.size())) {
            throw std::out_of_range("structure level " + row[0].value_or("(null)") + " is outside 1 to " +
                                    std::to_string(read.size()));
        }
        wizard::StructureLevel& level = levels[static_cast<std::size_t>(*id)];
        level.Name = row[1].value_or("");
        level.DLink = row[2].value_or("");
        level.ULink = row[3].value_or("");
        level.ULinkNumeric = integerColumnValue(row[4].value_or("")).value_or(0) != 0;
        level.ULinkID = static_cast<short>(integerColumnValue(row[5].value_or("")).value_or(0));
        if (row[6]) level.StyleID = static_cast<short>(integerColumnValue(*row[6]).value_or(0));
    }
    context.Gstructures = std::move(levels);
}

}  // namespace koru::mapping
