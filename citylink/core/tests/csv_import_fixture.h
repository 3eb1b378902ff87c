#pragma once
// The CSV step's test fixture: a scratch folder, the recording doubles and the step's hooks.
#include "citylink/core/csv_import.h"
#include "citylink/core/program_caption.h"
#include "foundation/testing/scripted_prompts.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace citylink_tests {

using namespace citylink;

inline const std::string& kCaption = programCaption();
inline constexpr std::string_view kRunButton = kRunButtonCaption;
inline constexpr dates::Date kApril2019{std::chrono::year{2019}, std::chrono::month{4},
                                        std::chrono::day{17}};

struct CsvImport : ::testing::Test {
    testsupport::ScratchDir dir;
    ScriptedPrompts prompts;
    RecordingLog log;
    AttendanceTable table;
    std::vector<bool> busy;
    int labelCleared = 0;

    bool import(const std::string& bytes, dates::Date month = kApril2019) {
        auto path = dir / "出席情報.csv";
        testsupport::writeBytes(path, bytes);
        return importPath(path, month);
    }
    bool importPath(const std::filesystem::path& path, dates::Date month = kApril2019) {
        CsvStepHooks hooks{[this](bool on) { busy.push_back(on); }, [this] { ++labelCleared; }};
        return ReadCSVtoCsvArray(path, month, table, prompts, log, kCaption, kRunButton, hooks);
    }
};

} // namespace citylink_tests
