#pragma once

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "wizard/dialogs.h"

namespace koru::wizard {

// Raised when a screen shows or asks something the script did not expect.
class UnexpectedDialog : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// Dialogs for tests and scripted runs: a queue of expected prompts with their answers.
// Anything unexpected throws UnexpectedDialog; every message shown is recorded.
class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        std::string kind;  // "message", "input", "open", "save"
        std::string text;
        MsgButtons buttons = MsgButtons::OK;
        MsgIcon icon = MsgIcon::None;
        std::string title;
        std::string defaultText{};  // what an input box offered
    };

    // The next message box must show exactly `text`; it is answered with `answer`.
    ScriptedDialogs& expectMessage(std::string text, MsgResult answer = MsgResult::OK);
    // The next message box must begin with `prefix` (the rest comes from a driver).
    ScriptedDialogs& expectMessageStartingWith(std::string prefix, MsgResult answer = MsgResult::OK);
    ScriptedDialogs& expectInput(std::string prompt, std::string answer);
    // The next input box must ask `prompt`; it is cancelled.
    ScriptedDialogs& expectInputCancelled(std::string prompt);
    ScriptedDialogs& expectOpenFile(std::string answer);
    ScriptedDialogs& expectSaveFile(std::string answer);

    MsgResult messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon,
                         std::string_view title) override;
    std::string inputBox(std::string_view prompt, std::string_view title,
                         std::string_view defaultText) override;
    std::optional<std::string> askText(std::string_view prompt, std::string_view title,
                                       std::string_view defaultText) override;
    std::string openFile(const FileDialogRequest& request) override;
    std::string saveFile(const FileDialogRequest& request) override;
    void setBusy(bool busy) override;

    // Called as each message box is shown, while the work that shows it waits.
    std::function<void(const Shown&)> onMessage;

    const std::vector<Shown>& shown() const { return m_shown; }
    const std::vector<FileDialogRequest>& fileRequests() const { return m_fileRequests; }
    bool busy() const { return m_busy; }
    // Expectations not yet met.
    std::size_t pending() const { return m_expected.size(); }

private:
    struct Expected {
        std::string kind;
        std::string text;
        MsgResult answer = MsgResult::OK;
        std::string textAnswer;
        bool prefixOnly = false;
        bool cancelled = false;
    };
    Expected take(const std::string& kind, std::string_view text);

    std::deque<Expected> m_expected;
    std::vector<Shown> m_shown;
    std::vector<FileDialogRequest> m_fileRequests;
    bool m_busy = false;
};

}  // namespace koru::wizard
