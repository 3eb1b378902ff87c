#pragma once
// Message boxes, Yes/No questions and the open-file dialog, as the suite's procedures need them.
// Windows implement it with Qt dialogs (shared_ui), command-line tools on the terminal, tests with
// a script (foundation/testing).
#include <optional>
#include <string>
#include <string_view>

enum class MsgIcon { None, Critical, Question, Exclamation, Information };

struct OpenFileRequest {
    std::string title;
    // VB-style filter: description|patterns|description|patterns
    // ("CSVファイル|*.CSV|全てのファイル|*.*").
    std::string filter;
    std::string initialFile;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    // A message box with one OK button. An empty title means "no title given": the box then shows
    // the program's title.
    virtual void message(MsgIcon icon, std::string_view title, std::string_view text) = 0;
    // A Yes/No question with the question icon; true for Yes.
    virtual bool askYesNo(std::string_view title, std::string_view text) = 0;
    // The open-file dialog; the chosen path (UTF-8), or nullopt when the user cancels.
    virtual std::optional<std::string> chooseOpenFile(const OpenFileRequest& request) = 0;
};

// The suite's conventions: errors carry the critical icon and the title "エラー"; information
// messages the information icon and the window's caption as title.
inline void showError(Prompts& prompts, std::string_view text) {
    prompts.message(MsgIcon::Critical, "エラー", text);
}
inline void showInfo(Prompts& prompts, std::string_view caption, std::string_view text) {
    prompts.message(MsgIcon::Information, caption, text);
}
