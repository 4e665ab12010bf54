#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "diag/error_reporter.h"

namespace koru::db {

// OLE DB / ADO codes that the rules test.
inline constexpr std::int32_t kErrCommandText = static_cast<std::int32_t>(0x80040E14u);
inline constexpr std::int32_t kErrNoSuchTable = static_cast<std::int32_t>(0x80040E37u);
inline constexpr std::int32_t kErrLoginRefused = static_cast<std::int32_t>(0x80040E4Du);
inline constexpr std::int32_t kErrGeneralFailure = static_cast<std::int32_t>(0x80004005u);
inline constexpr std::int32_t kErrPermissionDenied = static_cast<std::int32_t>(0x80040E09u);
inline constexpr std::int32_t kErrTimeout = static_cast<std::int32_t>(0x80040E31u);
inline constexpr std::int32_t kErrIntegrityViolation = static_cast<std::int32_t>(0x80040E2Fu);
inline constexpr std::int32_t kErrConnectionNotUsable = 3709;
inline constexpr std::int32_t kErrDataOverflow = static_cast<std::int32_t>(0x80040E57u);
inline constexpr std::int32_t kErrCanceled = static_cast<std::int32_t>(0x80040E4Eu);
inline constexpr std::int32_t kErrNoCurrentRecord = 3021;  // before the first row or past the last
inline constexpr std::int32_t kErrItemNotFound = 3265;   // no field of that name
inline constexpr std::int32_t kErrObjectClosed = 3704;   // record set or statement closed
inline constexpr std::int32_t kErrObjectOpen = 3705;     // opening what is already open
inline constexpr std::int32_t kErrProviderNotFound = 3706;

// One diagnostic record as the driver gave it.
struct ProviderError {
    std::string sqlState;
    long nativeCode = 0;
    std::string message;
};

class DbError : public std::runtime_error {
public:
    DbError(std::int32_t code, std::string description, std::vector<ProviderError> records = {},
            std::string statement = {})
        : std::runtime_error(description),
          m_code(code),
          m_records(std::move(records)),
          m_statement(std::move(statement)) {}

    std::int32_t code() const { return m_code; }
    const std::vector<ProviderError>& records() const { return m_records; }
    const std::string& statement() const { return m_statement; }
    std::string sqlState() const { return m_records.empty() ? std::string{} : m_records[0].sqlState; }
    long nativeCode() const { return m_records.empty() ? 0 : m_records[0].nativeCode; }

    diag::ErrorRecord toErrorRecord() const { return {m_code, what()}; }

private:
    std::int32_t m_code;
    std::vector<ProviderError> m_records;
    std::string m_statement;
};

}  // namespace koru::db
