#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "db/connection.h"

namespace koru::db {

// Position of the field whose name equals `name` ignoring ASCII case, as ADO's Fields("name").
std::optional<std::size_t> findField(const std::vector<FieldInfo>& fields, std::string_view name);

// Throws kErrItemNotFound unless `position` names a field.
void checkFieldPosition(const std::vector<FieldInfo>& fields, std::size_t position);

}  // namespace koru::db
