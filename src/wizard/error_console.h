#pragma once

#include <string>

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

}  // namespace koru::wizard
