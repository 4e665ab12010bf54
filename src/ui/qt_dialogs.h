#pragma once

#include <QMessageBox>

#include "wizard/dialogs.h"

namespace koru::ui {

// Widens a message box so that its window title is not cut.
void fitToTitle(QMessageBox& box);

class QtDialogs : public wizard::Dialogs {
public:
    wizard::MsgResult messageBox(std::string_view text, wizard::MsgButtons buttons,
                                 wizard::MsgIcon icon, std::string_view title) override;
    std::string inputBox(std::string_view prompt, std::string_view title,
                         std::string_view defaultText) override;
    std::optional<std::string> askText(std::string_view prompt, std::string_view title,
                                       std::string_view defaultText) override;
    std::string openFile(const wizard::FileDialogRequest& request) override;
    std::string saveFile(const wizard::FileDialogRequest& request) override;
    std::string openFolder(const wizard::FileDialogRequest& request) override;
    void setBusy(bool busy) override;

private:
    bool m_busy = false;
};

}  // namespace koru::ui
