#pragma once
// Message boxes of the environment take CR, LF and CR LF alike as line breaks, and the add-in's
// texts use all three; this passes them on to another Prompts with LF only.
#include "foundation/prompts.h"
#include "gridmover/core/string_resources.h"

namespace gridmover::host {

class LineFeedPrompts : public Prompts {
public:
    explicit LineFeedPrompts(Prompts& inner) : inner_(inner) {}
    void message(MsgIcon icon, std::string_view title, std::string_view text) override {
        inner_.message(icon, title, WithLineFeeds(text));
    }
    bool askYesNo(std::string_view title, std::string_view text) override {
        return inner_.askYesNo(title, WithLineFeeds(text));
    }
    std::optional<std::string> chooseOpenFile(const OpenFileRequest& request) override {
        return inner_.chooseOpenFile(request);
    }

private:
    Prompts& inner_;
};

} // namespace gridmover::host
