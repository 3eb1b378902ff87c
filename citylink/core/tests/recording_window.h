#pragma once
// Test double for the window's busy state: records the status texts and checks the nesting.
#include "citylink/core/busy_guard.h"

#include <string>
#include <vector>

class RecordingWindow : public citylink::BusyTarget {
public:
    int depth = 0;
    int busyCalls = 0;
    std::vector<std::string> statuses; // every text shown, "" for a clear
    void setBusy(bool busy) override {
        depth += busy ? 1 : -1;
        busyCalls += busy ? 1 : 0;
    }
    void setStatus(std::string_view text) override { statuses.emplace_back(text); }
    std::string label() const { return statuses.empty() ? std::string() : statuses.back(); }
};
