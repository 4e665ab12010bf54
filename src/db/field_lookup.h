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

// A record set that knows its fields as a list; a value is a copy of the text.
class FieldListRecordset : public Recordset {
public:
    std::size_t fieldCount() const override { return m_fields.size(); }
    const FieldInfo& field(std::size_t position) const override {
        checkFieldPosition(m_fields, position);
        return m_fields[position];
    }
    std::optional<std::size_t> fieldIndex(std::string_view name) const override { return findField(m_fields, name); }
    std::optional<std::string> value(std::size_t position) const override {
        auto view = text(position);
        return view ? std::optional<std::string>(std::string(*view)) : std::nullopt;
    }
    using Recordset::value;

protected:
    std::vector<FieldInfo> m_fields;
};

}  // namespace koru::db
