#pragma once

#include <string>
#include <vector>

#include "diag/error_reporter.h"

namespace koru::test {

// Records every report instead of showing it.
class RecordingReporter : public diag::ErrorReporter {
public:
    struct Report {
        std::int32_t number;
        std::string description;
        std::string location;
        std::string message;
    };

    void UT_Report_Error(const diag::ErrorRecord& error, std::string_view location,
                         std::string_view message) override {
        reports.push_back({error.number, error.description, std::string(location), std::string(message)});
    }
    void Show_Form(std::string_view message, std::string_view location,
                   const diag::ErrorRecord& error) override {
        shown.push_back({error.number, error.description, std::string(location), std::string(message)});
    }

    std::vector<Report> reports;
    std::vector<Report> shown;
};

}  // namespace koru::test
