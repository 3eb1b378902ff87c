// The spreadsheet contract against the embedded engine and the recording double.
#include "citylink/sheets/embedded_engine.h"
#include "citylink/sheets/testing/recording_backend.h"
#include "citylink/sheets/tests/contract_cases.h"
#include "foundation/utf8_path.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

using namespace sheets;

namespace {

using contract::kShort;
using contract::kStandard;

using utf8::fromPath;

struct EngineBackend {
    testsupport::ScratchDir dir;
    std::vector<std::filesystem::path> opened;
    ApplicationPtr create() {
        EmbeddedEngineOptions options;
        options.opener = [this](const std::filesystem::path& p) { opened.push_back(p); };
        return CreateEmbeddedApplication(options);
    }
    std::string workbook() {
        auto path = dir / "時間外保育利用状況表.xlsx";
        std::filesystem::copy_file(testsupport::sourceDir() /
                                       "citylink/sheets/tests/data/form.xlsx",
                                   path, std::filesystem::copy_options::overwrite_existing);
        return fromPath(path);
    }
};

struct DoubleBackend {
    std::shared_ptr<doubles::RecordingBackend> excel =
        std::make_shared<doubles::RecordingBackend>();
    ApplicationPtr create() { return excel->createApplication("Excel.Application"); }
    std::string workbook() {
        excel->setSheets("/in/時間外保育利用状況表.xlsx", {kShort, kStandard, "Notes"});
        // The test form's used areas.
        excel->book("/in/時間外保育利用状況表.xlsx").usedRanges = {
            {kShort, "A1:BE45"}, {kStandard, "A1:BC25"}, {"Notes", "A1:B6"}};
        return "/in/時間外保育利用状況表.xlsx";
    }
};

} // namespace

using Backends = ::testing::Types<EngineBackend, DoubleBackend>;
namespace sheets::contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Local, SpreadsheetContract, ::Backends);
} // namespace sheets::contract
