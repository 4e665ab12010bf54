#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::import {

// frmImportInfo: who imports, from which computer, with which notes. Saving writes the
// session's XFRTranLog row; its ID is the session under which every item is recorded.
class ImportInfoScreen : public wizard::Screen {
public:
    explicit ImportInfoScreen(wizard::ScreenServices services);

    void Form_Load() override;
    void txtUserID_Change();
    void cmdSave_Click();
    void cmdQuit_Click();
    // Asks for the information (or saves at once when unattended) and returns the new
    // session's ID, or -1 when the user aborted.
    std::int32_t Show_Form(bool unattended);

    wizard::Label lblTitle;
    wizard::Label framImportInformation;
    wizard::Label lblUserID;
    wizard::TextBox txtUserID;
    wizard::Label lblCompName;
    wizard::TextBox txtCompName;
    wizard::Label framNotes;
    wizard::TextBox rtbNotes;
    wizard::Button cmdSave;
    wizard::Button cmdQuit;

private:
    wizard::ScreenServices m_services;
    bool m_aborted = false;
    std::int32_t m_savedImportId = 0;  // the identity of this screen's own insert
};

// The value of `key` in a connection string: the text after "key=" up to the next ";"; empty
// when no ";" follows.
std::string UT_Conn_String_Value(std::string_view key, std::string_view connectionString);

// The newest import session of the mapping file `mapFile` (default: the loaded mapping) that
// still has recorded items, 0 when none; trailing sessions of it without items are deleted on
// the way. Where no session of that mapping has items, sessions recorded before sessions named
// their mapping (null, not the empty name of a mapping never saved) are taken. Without any
// mapping name, the newest session of all.
std::int32_t UT_GET_LATEST_Transaction_ImportID(wizard::Context& context, diag::ErrorReporter& reporter,
                                                std::string_view mapFile = {});

}  // namespace koru::import
