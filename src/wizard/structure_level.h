#pragma once

#include <optional>
#include <string>
#include <vector>

namespace koru::wizard {

// One structure level of the mapping under edit, indexed by level ID from 1.
struct StructureLevel {
    std::string Name;
    std::string ULink;
    short ULinkID = 0;  // 0 for a top level
    bool ULinkNumeric = false;
    std::string DLink;
    short StyleID = 0;
    bool bottomLevel = false;
    std::string joinCondition;
    short assetDetailKind = 0;  // 0, 1 or 2
    std::string levelQuery;
    std::string notInSourceCondition;
    // An update run found no key of this level in the source: nothing of it may be moved.
    bool noKeysInSource = false;
    // The not-in-source condition compares with the keys the run wrote to the transfer table,
    // this many rows: the move checks that they are all still there.
    std::optional<long> transferRowsCompared;
    // Rows of this level without a key, which an update run leaves out.
    long keylessRows = 0;
    // Rows the level's source statement returned in the last run.
    long rowsRead = 0;
    // What its keys in the last run will do that the user may not expect, a line each.
    std::vector<std::string> keyFindings;
};

}  // namespace koru::wizard
