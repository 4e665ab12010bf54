#pragma once

#include <string>

#include "diag/error_reporter.h"
#include "wizard/context.h"
#include "wizard/dialogs.h"

namespace koru::mapping {

// A mapping as files: the template (".xfo") and five table files beside it.
class MappingFiles {
public:
    MappingFiles(wizard::Context& context, wizard::Dialogs& dialogs, diag::ErrorReporter& reporter)
        : m_context(context), m_dialogs(dialogs), m_reporter(reporter) {}

    // Writes the set for template path fileName. The new files replace the old ones only
    // once all six are written, so a failure never loses the saved mapping.
    bool UT_Save_Mappings_To_TXT(const std::string& fileName);

    // Inserts the rows of the set into the repository and sets the parent settings. Every
    // field is read as one value and stored through bound parameters.
    bool UT_Load_Mappings_To_TXT(const std::string& fileName);

private:
    wizard::Context& m_context;
    wizard::Dialogs& m_dialogs;
    diag::ErrorReporter& m_reporter;
};

}  // namespace koru::mapping
