#pragma once

#include "wizard/dialogs.h"
#include "wizard/screen_host.h"

namespace koru::wizard {

// Dialogs that first bring every shown window up to date: a message at the end of long work
// must not sit over figures the last throttled repaint left behind.
class HostSyncedDialogs : public Dialogs {
public:
    HostSyncedDialogs(Dialogs& dialogs, ScreenHost& host) : m_dialogs(dialogs), m_host(host) {}

    MsgResult messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon, std::string_view title) override {
        m_host.refreshAll();
        return m_dialogs.messageBox(text, buttons, icon, title);
    }
    std::string inputBox(std::string_view prompt, std::string_view title, std::string_view defaultText) override {
        m_host.refreshAll();
        return m_dialogs.inputBox(prompt, title, defaultText);
    }
    std::optional<std::string> askText(std::string_view prompt, std::string_view title,
                                       std::string_view defaultText) override {
        m_host.refreshAll();
        return m_dialogs.askText(prompt, title, defaultText);
    }
    std::string openFile(const FileDialogRequest& request) override {
        m_host.refreshAll();
        return m_dialogs.openFile(request);
    }
    std::string saveFile(const FileDialogRequest& request) override {
        m_host.refreshAll();
        return m_dialogs.saveFile(request);
    }
    std::string openFolder(const FileDialogRequest& request) override {
        m_host.refreshAll();
        return m_dialogs.openFolder(request);
    }
    void setBusy(bool busy) override { m_dialogs.setBusy(busy); }

private:
    Dialogs& m_dialogs;
    ScreenHost& m_host;
};

}  // namespace koru::wizard
