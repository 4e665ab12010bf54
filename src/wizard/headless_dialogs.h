#pragma once

#include <ostream>

#include "wizard/dialogs.h"

namespace koru::wizard {

// Dialogs of an unattended run: nothing waits for an answer. Every message goes to the internal
// log and to the error stream; a question takes its default (first) button, a text prompt its
// offered text, a file dialog is cancelled.
class HeadlessDialogs : public Dialogs {
public:
    explicit HeadlessDialogs(std::ostream& err) : m_err(err) {}

    MsgResult messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon, std::string_view title) override;
    std::string inputBox(std::string_view prompt, std::string_view title, std::string_view defaultText) override;
    std::optional<std::string> askText(std::string_view prompt, std::string_view title,
                                       std::string_view defaultText) override;
    std::string openFile(const FileDialogRequest& request) override;
    std::string saveFile(const FileDialogRequest& request) override;
    void setBusy(bool) override {}

private:
    void tell(const std::string& text);

    std::ostream& m_err;
};

// The answer of a message box's first (default) button.
MsgResult defaultAnswer(MsgButtons buttons);

}  // namespace koru::wizard
