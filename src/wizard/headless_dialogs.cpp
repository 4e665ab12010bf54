#include "wizard/headless_dialogs.h"

#include "diag/logs.h"

namespace koru::wizard {

MsgResult defaultAnswer(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::OK:
        case MsgButtons::OKCancel: return MsgResult::OK;
        case MsgButtons::AbortRetryIgnore: return MsgResult::Abort;
        case MsgButtons::YesNoCancel:
        case MsgButtons::YesNo: return MsgResult::Yes;
        case MsgButtons::RetryCancel: return MsgResult::Retry;
    }
    return MsgResult::OK;
}

namespace {

const char* answerName(MsgResult answer) {
    switch (answer) {
        case MsgResult::OK: return "OK";
        case MsgResult::Cancel: return "Cancel";
        case MsgResult::Abort: return "Abort";
        case MsgResult::Retry: return "Retry";
        case MsgResult::Ignore: return "Ignore";
        case MsgResult::Yes: return "Yes";
        case MsgResult::No: return "No";
    }
    return "";
}

}  // namespace

void HeadlessDialogs::tell(const std::string& text) {
    diag::UT_Write_To_Internal_Log(text);
    m_err << "koru: " << text << '\n';
}

MsgResult HeadlessDialogs::messageBox(std::string_view text, MsgButtons buttons, MsgIcon, std::string_view) {
    MsgResult answer = defaultAnswer(buttons);
    if (buttons == MsgButtons::OK) {
        tell(std::string(text));
    } else {
        tell(std::string(text) + "\r\nAnswered: " + answerName(answer));
    }
    return answer;
}

std::string HeadlessDialogs::inputBox(std::string_view prompt, std::string_view title, std::string_view defaultText) {
    return askText(prompt, title, defaultText).value_or("");
}

std::optional<std::string> HeadlessDialogs::askText(std::string_view prompt, std::string_view,
                                                    std::string_view defaultText) {
    tell(std::string(prompt) + "\r\nAnswered: " + std::string(defaultText));
    return std::string(defaultText);
}

std::string HeadlessDialogs::openFile(const FileDialogRequest& request) {
    tell(request.title + "\r\nAnswered: Cancel");
    return {};
}

std::string HeadlessDialogs::saveFile(const FileDialogRequest& request) {
    tell(request.title + "\r\nAnswered: Cancel");
    return {};
}

}  // namespace koru::wizard
