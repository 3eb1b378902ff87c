#pragma once
// Test double for Prompts: records every message and answers from a script.
#include "foundation/log_sink.h"
#include "foundation/prompts.h"

#include <deque>
#include <string>
#include <vector>

struct RecordedMessage {
    MsgIcon icon;
    std::string title;
    std::string text;
    bool operator==(const RecordedMessage&) const = default;
};

class ScriptedPrompts : public Prompts {
public:
    // Answers given in order; an unscripted question answers No, an unscripted dialog cancels.
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<std::string>> fileChoices;

    std::vector<RecordedMessage> messages;     // every message box and question, in order
    std::vector<OpenFileRequest> fileRequests; // every file dialog shown

    void message(MsgIcon icon, std::string_view title, std::string_view text) override {
        messages.push_back({icon, std::string(title), std::string(text)});
    }
    bool askYesNo(std::string_view title, std::string_view text) override {
        messages.push_back({MsgIcon::Question, std::string(title), std::string(text)});
        if (yesNoAnswers.empty())
            return false;
        bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    std::optional<std::string> chooseOpenFile(const OpenFileRequest& request) override {
        fileRequests.push_back(request);
        if (fileChoices.empty())
            return std::nullopt;
        auto choice = fileChoices.front();
        fileChoices.pop_front();
        return choice;
    }
};

// Test double for LogSink: keeps the lines.
class RecordingLog : public LogSink {
public:
    std::vector<std::string> lines;
    void WriteLog(std::string_view message) override { lines.emplace_back(message); }
};
