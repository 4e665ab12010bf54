#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace koru::diag {

// The platform's current error as the error console reads it: a number and a description.
struct ErrorRecord {
    std::int32_t number = 0;  // signed, as the platform shows it: 0x80004005 is -2147467259
    std::string description;
};

// Where every trapped error ends. Declared here so that code below the screens can report;
// the wizard layer implements it with the error console.
class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void UT_Report_Error(const ErrorRecord& error, std::string_view location,
                                 std::string_view message) = 0;
    virtual void Show_Form(std::string_view message, std::string_view location,
                           const ErrorRecord& error) = 0;
};

// Thrown to end the process with a status, for an unattended run that must stop at once.
// Deliberately not a std::exception, so that handlers trapping errors let it pass.
struct ProcessEnd {
    int status = 1;
    std::string result{};  // the line a finished run prints on standard output
};

[[noreturn]] inline void endProcess(int status, std::string result = {}) {
    throw ProcessEnd{status, std::move(result)};
}

}  // namespace koru::diag
