#pragma once
// The spreadsheet steps' test fixture: a session over the recording double's registry.
#include "citylink/core/sheet_session.h"
#include "citylink/core/tests/recording_window.h"
#include "citylink/sheets/testing/recording_backend.h"
#include "foundation/testing/scripted_prompts.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace citylink_tests {

using citylink::SheetSession;
using sheets::doubles::RecordingBackend;

class Session : public ::testing::Test {
protected:
    std::shared_ptr<RecordingBackend> excel = std::make_shared<RecordingBackend>();
    sheets::BackendRegistry registry;
    ScriptedPrompts prompts;
    RecordingLog log;
    RecordingWindow window;
    SheetSession session{registry, prompts, log, window};

    void SetUp() override { excel->setSheets("/in/book.xlsx", {"利用状況表（保育短時間）"}); }
    std::vector<std::string> calls() const { return excel->callsWithout({"Release"}); }
};

} // namespace citylink_tests
