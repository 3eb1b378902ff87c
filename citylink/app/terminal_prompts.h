#pragma once
// The window's dialogs and busy state on a terminal, for the batch tool: messages go to stderr as
// "icon-word: title: text", the workbook dialog is answered with the file named on the command
// line, questions are answered No; status texts are progress lines on stdout.
#include "citylink/core/busy_guard.h"
#include "foundation/prompts.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace citylink {

class TerminalPrompts : public Prompts {
public:
    // programTitle stands in for a message given no title (a message box shows the program's).
    TerminalPrompts(std::string programTitle, std::FILE* out = stderr);

    // The path every open-file dialog answers with; nullopt answers as a cancel.
    std::optional<std::string> fileAnswer;

    void message(MsgIcon icon, std::string_view title, std::string_view text) override;
    bool askYesNo(std::string_view title, std::string_view text) override;
    std::optional<std::string> chooseOpenFile(const OpenFileRequest& request) override;

    // How many messages carried the critical icon.
    int criticalCount() const { return critical_; }

    // "critical", "question", "exclamation", "information" or "message" (no icon).
    static std::string_view iconWord(MsgIcon icon);

private:
    void print(std::string_view word, std::string_view title, std::string_view text);

    std::string programTitle_;
    std::FILE* out_;
    int critical_ = 0;
};

// Progress on stdout: every status text the run shows becomes one line; clearing shows nothing.
class TerminalProgress : public BusyTarget {
public:
    explicit TerminalProgress(std::FILE* out = stdout) : out_(out) {}
    void setBusy(bool) override {}
    void setStatus(std::string_view text) override;

private:
    std::FILE* out_;
};

} // namespace citylink
