#pragma once
// The load step both programs start with: the window's Form_Load and the batch tool before its run.
// A fresh settings folder gets the first fiscal year's layout; a failure of the step ends the
// program, after one log line and one message, the same in both.
#include "foundation/log_sink.h"
#include "foundation/prompts.h"

#include <filesystem>
#include <functional>
#include <string>

namespace citylink {

// Runs setUp (the window's own start: caption, log, month field; may be empty), then seeds the
// layout file's first fiscal year when it is missing. A seeding write that does not take (the
// folder is read-only) is only logged: a year set up in an existing file can still be run.
// true when the step went through. On any exception false, after the log line
// "Err:Form_Load:<description>(<number>)" and the message "エラーが発生しました。処理を中断します"
// titled caption() (asked only then, so that it is the caption setUp left).
bool RunLoadStep(const std::filesystem::path& layoutIni, LogSink& log, Prompts& prompts,
                 const std::function<std::string()>& caption,
                 const std::function<void()>& setUp = {});

} // namespace citylink
