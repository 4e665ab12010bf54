#include "wizard/scripted_dialogs.h"

namespace koru::wizard {

ScriptedDialogs& ScriptedDialogs::expectMessage(std::string text, MsgResult answer) {
    m_expected.push_back({"message", std::move(text), answer, {}});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectMessageStartingWith(std::string prefix, MsgResult answer) {
    m_expected.push_back({"message", std::move(prefix), answer, {}, true});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectInput(std::string prompt, std::string answer) {
    m_expected.push_back({"input", std::move(prompt), MsgResult::OK, std::move(answer)});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectInputCancelled(std::string prompt) {
    m_expected.push_back({"input", std::move(prompt), MsgResult::Cancel, {}, false, true});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectOpenFile(std::string answer) {
    m_expected.push_back({"open", {}, MsgResult::OK, std::move(answer)});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectSaveFile(std::string answer) {
    m_expected.push_back({"save", {}, MsgResult::OK, std::move(answer)});
    return *this;
}

ScriptedDialogs::Expected ScriptedDialogs::take(const std::string& kind, std::string_view text) {
    if (m_expected.empty()) {
        throw UnexpectedDialog("unexpected " + kind + ": \"" + std::string(text) + "\"");
    }
    Expected next = m_expected.front();
    bool textMatches = kind == "open" || kind == "save" || next.text == text ||
                       (next.prefixOnly && text.substr(0, next.text.size()) == next.text);
    if (next.kind != kind || !textMatches) {
        throw UnexpectedDialog("expected " + next.kind + " \"" + next.text + "\", got " + kind +
                               " \"" + std::string(text) + "\"");
    }
    m_expected.pop_front();
    return next;
}

MsgResult ScriptedDialogs::messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon,
                                      std::string_view title) {
    m_shown.push_back({"message", std::string(text), buttons, icon, std::string(title)});
    if (onMessage) onMessage(m_shown.back());
    return take("message", text).answer;
}

std::string ScriptedDialogs::inputBox(std::string_view prompt, std::string_view title,
                                      std::string_view defaultText) {
    return askText(prompt, title, defaultText).value_or("");
}

std::optional<std::string> ScriptedDialogs::askText(std::string_view prompt, std::string_view title,
                                                    std::string_view defaultText) {
    m_shown.push_back({"input", std::string(prompt), MsgButtons::OKCancel, MsgIcon::None, std::string(title),
                       std::string(defaultText)});
    Expected answer = take("input", prompt);
    if (answer.cancelled) return std::nullopt;
    return answer.textAnswer;
}

std::string ScriptedDialogs::openFile(const FileDialogRequest& request) {
    m_shown.push_back({"open", request.title, MsgButtons::OKCancel, MsgIcon::None, request.title});
    m_fileRequests.push_back(request);
    return take("open", request.title).textAnswer;
}

std::string ScriptedDialogs::saveFile(const FileDialogRequest& request) {
    m_shown.push_back({"save", request.title, MsgButtons::OKCancel, MsgIcon::None, request.title});
    m_fileRequests.push_back(request);
    return take("save", request.title).textAnswer;
}

void ScriptedDialogs::setBusy(bool busy) { m_busy = busy; }

}  // namespace koru::wizard
