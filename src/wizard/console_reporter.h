#pragma once

#include <ostream>
#include <string_view>

#include "diag/error_reporter.h"
#include "wizard/context.h"
#include "wizard/screen_host.h"
#include "wizard/screen_set.h"

namespace koru::wizard {

// The reporter every procedure's error trap calls.
class ConsoleReporter : public diag::ErrorReporter {
public:
    ConsoleReporter(Context& context, ScreenSet& screens, ScreenHost& host);

    void UT_Report_Error(const diag::ErrorRecord& error, std::string_view location,
                         std::string_view message) override;
    void Show_Form(std::string_view message, std::string_view location,
                   const diag::ErrorRecord& error) override;
    // An unattended run also says every report on `err`, prefixed "koru: ".
    void echoTo(std::ostream* err) { m_err = err; }

private:
    std::ostream* m_err = nullptr;
    Context& m_context;
    ScreenSet& m_screens;
    ScreenHost& m_host;
};

}  // namespace koru::wizard
