#pragma once

#include <string>

#include "diag/error_reporter.h"
#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::wizard {

// The error diagnostic console, Error_Handle: a short message that expands to the full text
// and can be saved for support.
class ErrorConsole : public Screen {
public:
    static constexpr int kCollapsedHeight = 1530;  // twips
    static constexpr int kExpandedHeight = 2895;

    explicit ErrorConsole(ScreenServices services);

    void Form_Load() override;
    void cmdDetails_Click();
    void cmdSaveError_Click();
    void cmdClose_Click();
    void Save_Error();

    Label lblError;
    TextBox txtFullError;
    Button cmdSaveError;
    Button cmdDetails;
    Button cmdClose;

private:
    ScreenServices m_services;
};

// The reporter every procedure's error trap calls.
class ConsoleReporter : public diag::ErrorReporter {
public:
    ConsoleReporter(Context& context, ScreenSet& screens, ScreenHost& host);

    void UT_Report_Error(const diag::ErrorRecord& error, std::string_view location,
                         std::string_view message) override;
    void Show_Form(std::string_view message, std::string_view location,
                   const diag::ErrorRecord& error) override;

private:
    Context& m_context;
    ScreenSet& m_screens;
    ScreenHost& m_host;
};

}  // namespace koru::wizard
