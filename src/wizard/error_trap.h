#pragma once

#include <exception>

#include "db/db_error.h"
#include "diag/error_reporter.h"

namespace koru::wizard {

// The error record a trapped exception stands for: a database error keeps its code,
// anything else is a general failure with its description.
inline diag::ErrorRecord errorRecordOf(const std::exception& error) {
    if (auto* dbError = dynamic_cast<const db::DbError*>(&error)) return dbError->toErrorRecord();
    return {db::kErrGeneralFailure, error.what()};
}

}  // namespace koru::wizard
