#pragma once
// What every test of the main window starts from: scratch data and program folders, a pinned
// clock, the real log and the scripted prompts.
#include "citylink/ui/main_window.h"
#include "foundation/clock.h"
#include "foundation/mdl_log.h"
#include "foundation/testing/scripted_prompts.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <memory>

class WindowTest : public ::testing::Test {
protected:
    using Window = F_うぇぶきらの札幌市連携;

    explicit WindowTest(LocalDateTime today) : clock(today) {}

    testsupport::ScratchDir dataDir;    // the log's data folder
    testsupport::ScratchDir programDir; // the settings files' folder
    ManualClock clock;
    mdlLog log{[this] { return dataDir.path().string() + "/"; }, clock};
    ScriptedPrompts prompts;

    std::unique_ptr<Window> open() {
        return std::make_unique<Window>(prompts, log, clock, programDir.path());
    }
};
