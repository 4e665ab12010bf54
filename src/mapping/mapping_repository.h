#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/destination_dialect.h"
#include "wizard/context.h"

namespace koru::mapping {

// One row of XFRMappings.
struct ColumnMapping {
    std::int64_t id = 0;
    std::int64_t structureId = 1;
    std::optional<std::string> sourceTable;
    std::optional<std::string> sourceColumn;
    std::string destinTable;
    std::string destinColumn;
    std::int64_t level = 1;
};

// The rows of the mapping under edit, in the destination's repository tables.
class MappingRepository {
public:
    MappingRepository(db::Connection& destination, const db::DestinationDialect& dialect)
        : m_destination(destination), m_dialect(dialect) {}

    // Empties the repository for a load. Table links go too, so that a mapping never inherits
    // the joins of the one before.
    void ut_clear_map_table();
    // The structure of a new hierarchy starts empty, without the table links of an old one.
    void emptyStructure();
    // For N = 1..n, one level row with its name.
    void writeLevels(const std::vector<std::string>& names);
    void emptyMappingsAndClauses();
    // Level N and every level above it, with their mappings and clauses.
    void deleteLevelsFrom(int level);
    std::vector<ColumnMapping> listMappings(int level);
    // The new row's ID.
    std::int64_t addMapping(const ColumnMapping& mapping);
    void removeMapping(std::int64_t id);

private:
    void truncate(const char* table);

    db::Connection& m_destination;
    const db::DestinationDialect& m_dialect;
};

// Rebuilds the structure-level records of the Context from XFRStructure.
void rebuildStructureLevels(db::Connection& destination, wizard::Context& context);

}  // namespace koru::mapping
