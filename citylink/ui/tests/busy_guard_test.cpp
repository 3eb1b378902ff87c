// The busy guard against a recording target: what comes back on each way out.
#include "citylink/core/busy_guard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using citylink::BusyGuard;
using citylink::BusyTarget;

namespace {

struct RecordingTarget : BusyTarget {
    std::vector<std::string> calls;
    bool failRestore = false;
    void setBusy(bool busy) override {
        calls.push_back(busy ? "busy" : "idle");
        if (!busy && failRestore)
            throw std::runtime_error("repaint failed");
    }
    void setStatus(std::string_view text) override {
        calls.push_back("status:" + std::string(text));
        if (text.empty() && failRestore)
            throw std::runtime_error("repaint failed");
    }
};

TEST(BusyGuard, RestoresStatusAndWindowOnEveryWayOut) {
    RecordingTarget normal;
    {
        BusyGuard guard(normal);
        guard.status("EXCEL起動中・・・");
    }
    EXPECT_EQ(normal.calls,
              (std::vector<std::string>{"busy", "status:EXCEL起動中・・・", "status:", "idle"}));

    RecordingTarget thrown;
    EXPECT_THROW(
        {
            BusyGuard guard(thrown);
            guard.status("延長時間データ読み込み中・・・");
            throw std::runtime_error("boom");
        },
        std::runtime_error);
    EXPECT_EQ(thrown.calls.back(), "idle");
    EXPECT_EQ(thrown.calls[thrown.calls.size() - 2], "status:");
}

TEST(BusyGuard, ReleaseEarlyRestoresOnceAndLaterStatusIsIgnored) {
    RecordingTarget target;
    {
        BusyGuard guard(target);
        guard.release();
        guard.status("late");
        guard.release();
    }
    EXPECT_EQ(target.calls, (std::vector<std::string>{"busy", "status:", "idle"}));
}

TEST(BusyGuard, FailingRestoreStillRestoresTheRestAndDoesNotThrow) {
    RecordingTarget target;
    target.failRestore = true;
    EXPECT_NO_THROW({ BusyGuard guard(target); });
    EXPECT_EQ(target.calls, (std::vector<std::string>{"busy", "status:", "idle"}));
}

} // namespace
