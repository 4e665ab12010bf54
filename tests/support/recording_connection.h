#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "db/forwarding_connection.h"

namespace koru::test {

// A real connection that notes the length of every statement it receives; everything goes
// through.
class RecordingConnection : public db::ForwardingConnection {
public:
    using db::ForwardingConnection::ForwardingConnection;

    void execute(const std::string& sql) override { m_real->execute(noted(sql)); }
    std::unique_ptr<db::Recordset> query(const std::string& sql) override { return m_real->query(noted(sql)); }
    std::unique_ptr<db::Statement> prepare(const std::string& sql) override { return m_real->prepare(noted(sql)); }

    // The length of the longest statement since the last call.
    std::size_t takeLongest() { return std::exchange(m_longest, 0); }

private:
    const std::string& noted(const std::string& sql) {
        m_longest = std::max(m_longest, sql.size());
        return sql;
    }

    std::size_t m_longest = 0;
};

}  // namespace koru::test
