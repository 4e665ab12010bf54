#include "db/odbc_recordset.h"

#include <algorithm>

#include "db/ado_types.h"
#include "db/field_lookup.h"

namespace koru::db::odbc {
namespace {

constexpr std::size_t kBlockBudgetBytes = 4 << 20;
constexpr SQLULEN kMaxRowsPerBlock = 1000;
constexpr SQLLEN kLongBufferChars = 1024;  // initial buffer of a long column; the rest is read apart

// How one result column is fetched.
struct Column {
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLLEN width = 0;         // bytes per row in the buffer
    bool wide = false;        // SQL_C_WCHAR data, converted to UTF-8 on reading
    bool fixedText = false;   // numbers and dates: their text has a known bound
    bool bound = false;
    std::vector<char> data;
    std::vector<SQLLEN> indicators;

    SQLLEN capacity() const {
        if (cType == SQL_C_BINARY) return width;
        return width - (wide ? static_cast<SQLLEN>(sizeof(SQLWCHAR)) : 1);
    }
};

Column planColumn(SQLSMALLINT sqlType, SQLULEN size) {
    Column column;
    auto chars = [&](SQLLEN bytesPerChar, SQLLEN terminator) {
        SQLLEN count = size > 0 && size <= 4000 ? static_cast<SQLLEN>(size) : kLongBufferChars;
        return count * bytesPerChar + terminator;
    };
    switch (sqlType) {
        case SQL_CHAR:
        case SQL_VARCHAR:
        case SQL_LONGVARCHAR:
            column.width = chars(4, 1);  // UTF-8 takes up to four bytes a character
            break;
        case SQL_WCHAR:
        case SQL_WVARCHAR:
        case SQL_WLONGVARCHAR:
        case -152:  // SQL Server xml
            column.cType = SQL_C_WCHAR;
            column.wide = true;
            column.width = chars(2, 2);
            break;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            column.cType = SQL_C_BINARY;
            column.width = size > 0 && size <= 8000 ? static_cast<SQLLEN>(size) : kLongBufferChars;
            break;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            column.width = std::max<SQLLEN>(static_cast<SQLLEN>(size) + 3, 48);
            break;
        case SQL_BIT:
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            column.width = 24;
            column.fixedText = true;
            break;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
            column.width = 40;
            column.fixedText = true;
            break;
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIME:
        case SQL_TYPE_TIMESTAMP:
        case SQL_DATE:
        case SQL_TIME:
        case SQL_TIMESTAMP:
        case SQL_GUID:
            column.width = 64;
            column.fixedText = true;
            break;
        default:
            column.width = 256;
            break;
    }
    return column;
}

class OdbcRecordset : public FieldListRecordset {
public:
    OdbcRecordset(std::shared_ptr<Session> session, std::shared_ptr<StatementHandle> handle,
                  std::string sql)
        : m_session(std::move(session)),
          m_handle(std::move(handle)),
          m_generation(m_handle->generation),
          m_sql(std::move(sql)) {
        SQLHSTMT stmt = m_handle->stmt;
        SQLSMALLINT count = 0;
        m_session->check(SQLNumResultCols(stmt, &count), SQL_HANDLE_STMT, stmt, m_sql);
        for (SQLSMALLINT i = 1; i <= count; ++i) describe(stmt, i);
        m_cells.resize(m_columns.size());
        if (!m_columns.empty()) bind(stmt);
        m_atEnd = m_columns.empty();
    }

    ~OdbcRecordset() override {
        // Leave the handle without pointers into this object: a prepared statement reuses it.
        if (m_handle->stmt && m_handle->generation == m_generation) {
            SQLHSTMT stmt = m_handle->stmt;
            SQLFreeStmt(stmt, SQL_CLOSE);
            SQLFreeStmt(stmt, SQL_UNBIND);
            SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
            SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
            SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
        }
    }

    using FieldListRecordset::value;

    bool next() override {
        SQLHSTMT stmt = live();
        m_hasRow = false;
        if (m_atEnd) return false;
        if (++m_row >= m_fetched) {
            m_session->errors.clear();
            m_fetched = 0;
            m_row = 0;
            SQLRETURN rc = m_session->run(stmt, [&] { return SQLFetch(stmt); });
            if (rc == SQL_NO_DATA) {
                m_atEnd = true;
                return false;
            }
            m_session->check(rc, SQL_HANDLE_STMT, stmt, m_sql);
            m_blockWarnings = rc == SQL_SUCCESS_WITH_INFO ? diagnostics(SQL_HANDLE_STMT, stmt)
                                                          : std::vector<ProviderError>{};
            if (m_rowsPerBlock == 1) m_fetched = 1;
            if (m_fetched == 0) {
                m_atEnd = true;
                return false;
            }
        }
        if (m_rowStatus[m_row] == SQL_ROW_ERROR) m_session->fail(m_blockWarnings, m_sql);
        loadRow(stmt);
        m_hasRow = true;
        return true;
    }

    std::optional<std::string_view> text(std::size_t position) const override {
        checkFieldPosition(m_fields, position);
        live();
        if (!m_hasRow) {
            throw DbError(kErrNoCurrentRecord,
                          "Either BOF or EOF is True, or the current record has been deleted. "
                          "Requested operation requires a current record.");
        }
        const Cell& cell = m_cells[position];
        switch (cell.kind) {
            case Cell::Null:
                return std::nullopt;
            case Cell::Owned:
                return std::string_view(cell.owned);
            case Cell::Buffer:
                break;
        }
        const Column& column = m_columns[position];
        return std::string_view(column.data.data() + m_row * column.width,
                                static_cast<std::size_t>(cell.length));
    }

private:
    struct Cell {
        enum Kind { Null, Buffer, Owned } kind = Null;
        SQLLEN length = 0;
        std::string owned;
    };

    SQLHSTMT live() const {
        if (!m_handle->stmt || m_handle->generation != m_generation) {
            throw DbError(kErrObjectClosed, "Operation is not allowed when the object is closed.");
        }
        m_session->requireOpen(m_sql);
        return m_handle->stmt;
    }

    void describe(SQLHSTMT stmt, SQLSMALLINT position) {
        SQLCHAR name[512] = {};
        SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        m_session->check(SQLDescribeCol(stmt, position, name, sizeof name, &nameLength, &sqlType,
                                        &size, &digits, &nullable),
                         SQL_HANDLE_STMT, stmt, m_sql);
        SQLLEN isUnsigned = SQL_FALSE;
        SQLColAttribute(stmt, position, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned);
        char typeName[256] = {};
        SQLSMALLINT typeNameLength = 0;
        SQLColAttribute(stmt, position, SQL_DESC_TYPE_NAME, typeName, sizeof typeName,
                        &typeNameLength, nullptr);
        SqlColumn column{sqlType, static_cast<long>(size), digits, isUnsigned == SQL_TRUE, typeName};
        m_fields.push_back(fieldFromSql(reinterpret_cast<const char*>(name), column,
                                        nullable != SQL_NO_NULLS));
        m_columns.push_back(planColumn(sqlType, size));
    }

    void bind(SQLHSTMT stmt) {
        SQLUINTEGER extensions = m_session->getDataExtensions;
        bool boundReadable = extensions & SQL_GD_BOUND;
        // Blocks need the driver to re-read one cell of a block (SQLSetPos + SQLGetData).
        // MariaDB's driver claims it, but reads the block's first row whatever the position.
        bool blocks = boundReadable && (extensions & SQL_GD_BLOCK) && m_session->backend != Backend::MySql;
        std::size_t rowBytes = 0;
        for (const Column& column : m_columns) rowBytes += column.width + sizeof(SQLLEN);
        m_rowsPerBlock = blocks ? std::clamp<SQLULEN>(kBlockBudgetBytes / rowBytes, 1, kMaxRowsPerBlock)
                                : 1;

        SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0);
        if (m_rowsPerBlock > 1) {
            SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE,
                           reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(m_rowsPerBlock)), 0);
            SQLULEN granted = 1;
            SQLGetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, &granted, 0, nullptr);
            m_rowsPerBlock = std::max<SQLULEN>(granted, 1);
        }
        m_rowStatus.assign(m_rowsPerBlock, SQL_ROW_SUCCESS);
        if (m_rowsPerBlock > 1) {
            SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &m_fetched, 0);
            SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, m_rowStatus.data(), 0);
        }

        // Without SQL_GD_BOUND a truncated bound value cannot be read again, so only columns
        // whose text has a known bound are bound, and (without SQL_GD_ANY_COLUMN) only those
        // before the first column read with SQLGetData.
        bool anyColumn = extensions & SQL_GD_ANY_COLUMN;
        bool unboundSeen = false;
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            Column& column = m_columns[i];
            column.bound = boundReadable || (column.fixedText && (anyColumn || !unboundSeen));
            if (!column.bound) {
                unboundSeen = true;
                continue;
            }
            column.data.resize(static_cast<std::size_t>(column.width) * m_rowsPerBlock);
            column.indicators.resize(m_rowsPerBlock);
            m_session->check(SQLBindCol(stmt, static_cast<SQLUSMALLINT>(i + 1), column.cType,
                                        column.data.data(), column.width, column.indicators.data()),
                             SQL_HANDLE_STMT, stmt, m_sql);
        }
    }

    void loadRow(SQLHSTMT stmt) {
        bool positioned = m_rowsPerBlock == 1;
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            Column& column = m_columns[i];
            Cell& cell = m_cells[i];
            cell.owned.clear();
            if (!column.bound) {
                readWhole(stmt, i, cell);
                continue;
            }
            SQLLEN length = column.indicators[m_row];
            if (length == SQL_NULL_DATA) {
                cell.kind = Cell::Null;
            } else if (length == SQL_NO_TOTAL || length > column.capacity()) {
                if (!positioned) {
                    m_session->check(SQLSetPos(stmt, static_cast<SQLSETPOSIROW>(m_row + 1), SQL_POSITION,
                                               SQL_LOCK_NO_CHANGE),
                                     SQL_HANDLE_STMT, stmt, m_sql);
                    positioned = true;
                }
                readWhole(stmt, i, cell);
            } else if (column.wide) {
                cell.kind = Cell::Owned;
                cell.owned = utf16ToUtf8(
                    reinterpret_cast<const SQLWCHAR*>(column.data.data() + m_row * column.width),
                    static_cast<std::size_t>(length) / sizeof(SQLWCHAR));
            } else {
                cell.kind = Cell::Buffer;
                cell.length = length;
            }
        }
    }

    // The whole value of a column of the current row, in pieces if need be.
    void readWhole(SQLHSTMT stmt, std::size_t position, Cell& cell) {
        const Column& column = m_columns[position];
        std::string bytes;
        char piece[8192];
        SQLLEN terminator = column.cType == SQL_C_BINARY ? 0 : column.wide ? sizeof(SQLWCHAR) : 1;
        SQLLEN room = static_cast<SQLLEN>(sizeof piece) - terminator;
        for (bool first = true;; first = false) {
            SQLLEN length = 0;
            SQLRETURN rc = SQLGetData(stmt, static_cast<SQLUSMALLINT>(position + 1), column.cType,
                                      piece, sizeof piece, &length);
            if (rc == SQL_NO_DATA && first) {
                // Even an empty value is data; nothing at all would lose the value unnoticed.
                throw DbError(kErrGeneralFailure,
                              "The ODBC driver gave no data for the column " + m_fields[position].name +
                                  " of the current row.",
                              {}, m_sql);
            }
            if (rc == SQL_NO_DATA) break;
            m_session->check(rc, SQL_HANDLE_STMT, stmt, m_sql);
            if (length == SQL_NULL_DATA) {
                cell.kind = Cell::Null;
                return;
            }
            bool more = rc == SQL_SUCCESS_WITH_INFO && (length == SQL_NO_TOTAL || length > room);
            bytes.append(piece, static_cast<std::size_t>(more ? room : length));
            if (!more) break;
        }
        cell.kind = Cell::Owned;
        cell.owned = column.wide ? utf16ToUtf8(reinterpret_cast<const SQLWCHAR*>(bytes.data()),
                                               bytes.size() / sizeof(SQLWCHAR))
                                 : std::move(bytes);
    }

    std::shared_ptr<Session> m_session;
    std::shared_ptr<StatementHandle> m_handle;
    std::uint64_t m_generation;
    std::string m_sql;
    std::vector<Column> m_columns;
    std::vector<Cell> m_cells;
    std::vector<SQLUSMALLINT> m_rowStatus;
    std::vector<ProviderError> m_blockWarnings;
    SQLULEN m_rowsPerBlock = 1;
    SQLULEN m_fetched = 0;
    SQLULEN m_row = 0;
    bool m_hasRow = false;
    bool m_atEnd = false;
};

}  // namespace

std::unique_ptr<Recordset> makeRecordset(std::shared_ptr<Session> session,
                                         std::shared_ptr<StatementHandle> handle, std::string sql) {
    return std::make_unique<OdbcRecordset>(std::move(session), std::move(handle), std::move(sql));
}

}  // namespace koru::db::odbc
