// Hostile packages made by the tests: parts that inflate far beyond what they take on disk and
// sizes that lie, refused within a memory ceiling that a child process measures.
#include "citylink/sheets/embedded_engine.h"
#include "citylink/sheets/xlsx/xlsx_package.h"
#include "foundation/utf8_path.h"
#include "testsupport/test_files.h"
#include "zip_maker.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace sheets;
namespace fs = std::filesystem;

namespace {

const std::string kShort = "利用状況表（保育短時間）";
constexpr std::uint64_t kMB = 1 << 20;

fs::path fixture(const std::string& name) {
    return testsupport::sourceDir() / "citylink/sheets/tests/data" / name;
}

// The form's entries with the worksheet replaced.
std::vector<testzip::Entry> formWithSheet(testzip::Entry sheet) {
    auto entries = testzip::entriesOf(fixture("form.xlsx"));
    for (auto& e : entries)
        if (e.name == "xl/worksheets/sheet1.xml")
            e = std::move(sheet);
    return entries;
}

testzip::Entry hugeSheet(std::uint64_t size) {
    return testzip::repeatedEntry(
        "xl/worksheets/sheet1.xml",
        R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)",
        R"(<row><c t="inlineStr"><is><t>x</t></is></c></row>)", size);
}

struct Outcome {
    std::string message; // the refusal, or "" when the job went through
    long peakMB;         // the peak resident memory of the process that did it
};

// Runs the job in a child process, so that its peak memory is its own (with what it shares of
// this process: under the sanitizers that is 100 MB or more, hence the checks against the limit
// the tool promises rather than against what it takes in a plain build, some 10 MB).
Outcome inChild(const std::function<void()>& job) {
    int pipeFds[2];
    EXPECT_EQ(::pipe(pipeFds), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        std::string message;
        try {
            job();
        } catch (const AutomationError& e) {
            message = e.description();
        }
        ssize_t ignored = ::write(pipeFds[1], message.data(), message.size());
        (void)ignored;
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string message;
    char buf[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;)
        message.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return {message, usage.ru_maxrss / 1024};
}

void fillShortSheet(const fs::path& workbook) {
    auto app = CreateEmbeddedApplication();
    app->Workbooks()
        ->Open(utf8::fromPath(workbook))
        ->Worksheets()
        ->Item(kShort)
        ->Range("C6")
        ->setValue("ﾔﾏﾀﾞ");
}

} // namespace

TEST(HostilePackage, APartInflatingBeyondItsLimitIsRefusedBeforeItIsInflated) {
    testsupport::ScratchDir dir;
    fs::path bomb = dir / "bomb.xlsx";
    testzip::write(bomb, formWithSheet(hugeSheet(500 * kMB)));
    ASSERT_LT(fs::file_size(bomb), 4 * kMB);

    Outcome o = inChild([&] { fillShortSheet(bomb); });
    EXPECT_TRUE(o.message.starts_with("ブックが大きすぎます: bomb.xlsx")) << o.message;
    EXPECT_NE(o.message.find("xl/worksheets/sheet1.xml"), std::string::npos) << o.message;
    EXPECT_LT(o.peakMB, 256);
}

TEST(HostilePackage, PartsTogetherBeyondTheTotalLimitAreRefused) {
    testsupport::ScratchDir dir;
    fs::path bomb = dir / "many.xlsx";
    auto entries = testzip::entriesOf(fixture("form.xlsx"));
    // Each under the limit of a part, more than the whole package may hold together.
    for (int i = 0; i < 5; ++i)
        entries.push_back(testzip::repeatedEntry("xl/media/pad" + std::to_string(i) + ".bin", "",
                                                 "padding ", 60 * kMB));
    testzip::write(bomb, entries);

    Outcome o = inChild([&] { fillShortSheet(bomb); });
    EXPECT_TRUE(o.message.starts_with("ブックが大きすぎます: many.xlsx")) << o.message;
    EXPECT_NE(o.message.find("256 MB"), std::string::npos) << o.message;
    EXPECT_LT(o.peakMB, 256);
}

TEST(HostilePackage, APartWhoseDataGoesOnBeyondItsDeclaredSizeIsDamaged) {
    testsupport::ScratchDir dir;
    fs::path liar = dir / "liar.xlsx";
    testzip::Entry sheet = hugeSheet(400 * kMB);
    sheet.declaredSize = 40'000; // what the form's own sheet says
    testzip::write(liar, formWithSheet(std::move(sheet)));

    Outcome o = inChild([&] { fillShortSheet(liar); });
    EXPECT_EQ(o.message, "ブックの部品が壊れています: xl/worksheets/sheet1.xml");
    EXPECT_LT(o.peakMB, 256);

    // Declared larger than the data: damaged as well.
    testzip::Entry shortSheet = testzip::bytesEntry("xl/worksheets/sheet1.xml", "<worksheet/>");
    shortSheet.declaredSize = 1000;
    testzip::write(liar, formWithSheet(std::move(shortSheet)));
    o = inChild([&] { fillShortSheet(liar); });
    EXPECT_EQ(o.message, "ブックの部品が壊れています: xl/worksheets/sheet1.xml");
}

TEST(HostilePackage, AFileBeyondTheLimitIsNotRead) {
    testsupport::ScratchDir dir;
    fs::path big = dir / "big.xlsx";
    fs::copy_file(fixture("form.xlsx"), big);
    fs::resize_file(big, xlsx::XlsxPackage::kMaxFileSize + 1); // sparse: no disk used
    Outcome o = inChild([&] { fillShortSheet(big); });
    EXPECT_TRUE(o.message.starts_with("ブックが大きすぎます: big.xlsx")) << o.message;
    EXPECT_LT(o.peakMB, 256);
}
