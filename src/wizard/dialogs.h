#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace koru::wizard {

// The Windows message-box button sets, icons and answers.
enum class MsgButtons { OK, OKCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgResult { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct FileDialogRequest {
    std::string title;
    std::string fileName;     // proposed name
    std::string filter;       // Windows form: "*.txt|*.txt"
    std::string initialFolder;
};

// All that a screen shows or asks goes through this interface.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MsgResult messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon,
                                 std::string_view title) = 0;
    // The typed text; "" when cancelled, as the Windows input box answers.
    virtual std::string inputBox(std::string_view prompt, std::string_view title,
                                 std::string_view defaultText) = 0;
    // The same, telling Cancel (nullopt) from an empty answer where the dialog can.
    virtual std::optional<std::string> askText(std::string_view prompt, std::string_view title,
                                               std::string_view defaultText) {
        std::string text = inputBox(prompt, title, defaultText);
        if (text.empty()) return std::nullopt;
        return text;
    }
    // The chosen path; "" when cancelled.
    virtual std::string openFile(const FileDialogRequest& request) = 0;
    virtual std::string saveFile(const FileDialogRequest& request) = 0;
    // A folder to read; "" when cancelled. Scripts answer it as they answer openFile.
    virtual std::string openFolder(const FileDialogRequest& request) { return openFile(request); }
    virtual void setBusy(bool busy) = 0;
};

}  // namespace koru::wizard
