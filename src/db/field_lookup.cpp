#include "db/field_lookup.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace koru::db {

std::optional<std::size_t> findField(const std::vector<FieldInfo>& fields, std::string_view name) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string& candidate = fields[i].name;
        if (candidate.size() == name.size() &&
            std::equal(candidate.begin(), candidate.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            return i;
        }
    }
    return std::nullopt;
}

void checkFieldPosition(const std::vector<FieldInfo>& fields, std::size_t position) {
    if (position >= fields.size()) {
        throw DbError(kErrItemNotFound,
                      "Item cannot be found in the collection corresponding to the requested name "
                      "or ordinal: " + std::to_string(position));
    }
}

}  // namespace koru::db
