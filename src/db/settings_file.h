#pragma once

#include <string>

#include "diag/error_reporter.h"

namespace koru::db {

// The last successful connection values, kept in "\ConnSet" in the program folder.
struct ConnectionSettings {
    std::string sourceConnectionString;
    std::string server;
    std::string userId;
};

// Replaces the file; the password and the product are never stored. The file may hold a
// source password inside its connection string, so only its owner may read it.
bool ut_save_conn_settings(const ConnectionSettings& settings, diag::ErrorReporter& reporter);

// Three empty texts when there is no file; missing lines give empty texts.
ConnectionSettings ut_load_conn_settings(diag::ErrorReporter& reporter);

// The platform error for a failed file operation, from errno.
diag::ErrorRecord fileErrorRecord(int error);

}  // namespace koru::db
