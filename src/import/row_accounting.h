#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "db/connection.h"
#include "wizard/structure_level.h"

namespace koru::import {

// Transfer rows that the item procedure turned into no item without reporting them: empty when
// every row made an item, else "N transfer rows failed; the first: level L, source key 'K': ..."
// with the count per level. `failedRows` the procedure reported itself; in an update run several
// rows may update one recorded item, in a plain import every row makes its own.
std::string unaccountedRows(db::Connection& destination, std::int32_t importId, bool updateRun, long failedRows);

// A count a statement read, in the column at `position`.
long countOf(const db::Recordset& rows, std::size_t position);
// The transfer rows of each level.
std::map<int, long> transferRowsPerLevel(db::Connection& destination);

// The knowledge base's articles, counted before and after the article procedure.
long articleCount(db::Connection& destination);
// Empty when the articles added are the transfer rows, else the line that says how many are not.
std::string unaccountedArticles(db::Connection& destination, long articlesBefore);

// The warning for rows an update run left out for want of a key; empty when there are none.
std::string keylessRowsWarning(const std::vector<wizard::StructureLevel>& levels);

}  // namespace koru::import
