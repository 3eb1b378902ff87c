#include "terminal_prompts.h"

namespace citylink {

TerminalPrompts::TerminalPrompts(std::string programTitle, std::FILE* out)
    : programTitle_(std::move(programTitle)), out_(out) {}

std::string_view TerminalPrompts::iconWord(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Critical:
        return "critical";
    case MsgIcon::Question:
        return "question";
    case MsgIcon::Exclamation:
        return "exclamation";
    case MsgIcon::Information:
        return "information";
    case MsgIcon::None:
        break;
    }
    return "message";
}

void TerminalPrompts::print(std::string_view word, std::string_view title, std::string_view text) {
    // A message of several lines keeps its later lines indented under the first, so that one
    // message stays one block in a log of the tool's output.
    std::string body;
    for (char c : text) {
        body += c;
        if (c == '\n')
            body += "  ";
    }
    std::string line = std::string(word) + ": " +
                       std::string(title.empty() ? std::string_view(programTitle_) : title) + ": " +
                       body + "\n";
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fflush(out_);
}

void TerminalPrompts::message(MsgIcon icon, std::string_view title, std::string_view text) {
    if (icon == MsgIcon::Critical)
        ++critical_;
    print(iconWord(icon), title, text);
}

bool TerminalPrompts::askYesNo(std::string_view title, std::string_view text) {
    print(iconWord(MsgIcon::Question), title, std::string(text) + " -> No");
    return false;
}

std::optional<std::string> TerminalPrompts::chooseOpenFile(const OpenFileRequest&) {
    return fileAnswer;
}

void TerminalProgress::setStatus(std::string_view text) {
    if (text.empty())
        return;
    // Written in two pieces into the stream's buffer: a line per record of a month, so no
    // string is made for each.
    std::fwrite(text.data(), 1, text.size(), out_);
    std::fputc('\n', out_);
}

} // namespace citylink
