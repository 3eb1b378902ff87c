// A real VB6 project (tests/data/infosystem) that uses the platform's grid on six forms, converted
// from row 1 to row 12: exactly the expected lines change, and in the binary files exactly the
// named GUIDs of each grid record, the class id 32 bytes after each record's offset among them.
#include "gridmover/core/dry_run.h"
#include "gridmover/core/grid_version.h"
#include "gridmover/core/pending_files.h"
#include "gridmover/core/project_conversion.h"

#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <regex>
#include <set>

using namespace gridmover;
using testsupport::readBytes;
using testsupport::ScratchDir;
namespace fs = std::filesystem;

namespace {

std::string guid(std::int16_t row, const std::string& name) {
    std::array<std::uint8_t, 16> b{};
    Versions().Item(row)->Item(name)->ToBytes(b);
    return std::string(reinterpret_cast<const char*>(b.data()), 16);
}

std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
    for (std::size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size())) {
        s.replace(p, from.size(), to);
    }
    return s;
}

} // namespace

TEST(InfoSystem, ConvertsFromThePlatformGridToLumatab80) {
    LoadGridVersions();
    const fs::path source = testsupport::sourceDir() / "gridmover/core/tests/data/infosystem";
    ScratchDir dir;
    fs::create_directory(dir / "tmp");
    fs::copy(source, dir / "p", fs::copy_options::recursive);
    FolderTempFiles temp(dir / "tmp");
    modConvert conv(&temp);

    VbProject project = ReadVbProject(dir / "p/infosystem.vbp");
    auto converted = ConvertProjectFiles(conv, project, 1, 12);
    ASSERT_EQ(converted.result, 1) << converted.failedFile;
    const PendingChanges changes = DescribePendingChanges(conv);
    ASSERT_TRUE(CommitPendingFiles(conv).ok);

    const std::string lib12 = Versions().Item(12)->LIBID;
    // The forms with grids, and how many grids each holds.
    const std::map<std::string, int> gridForms{{"Datach10Form.frm", 1}, {"QueriesForm.frm", 3},
                                               {"SQLForm.frm", 1},      {"SearchForm.frm", 1},
                                               {"frmDataGrid.frm", 1},  {"q2form.frm", 1}};
    const std::map<std::string, std::string> binaryOf{
        {"Datach10Form.frm", "Datach10Form.frx"}, {"QueriesForm.frm", "QueriesForm.frx"},
        {"SQLForm.frm", "SQLFORM.FRX"},           {"SearchForm.frm", "SearchForm.frx"},
        {"frmDataGrid.frm", "frmDataGrid.frx"},   {"q2form.frm", "q2form.frx"}};

    std::set<std::string> patchedBinaries;
    std::size_t patchesSeen = 0;
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(source)) {
        const std::string name = entry.path().filename().string();
        const std::string before = readBytes(entry.path());
        const std::string after = readBytes(dir / "p" / name);
        ++files;
        if (name == "infosystem.vbp") {
            std::string want = replaceAll(
                before, "Object={00028C01-0000-0000-0000-000000000046}#1.0#0; DBGRID32.OCX\r\n",
                "Object={" + lib12 + "}#8.0#0; LTB8.OCX\r\n");
            EXPECT_NE(want, before);
            EXPECT_EQ(after, want);
        } else if (auto g = gridForms.find(name); g != gridForms.end()) {
            std::string want = replaceAll(
                before,
                "Object = \"{00028C01-0000-0000-0000-000000000046}#1.0#0\"; \"DBGRID32.OCX\"\r\n",
                "Object = \"{" + lib12 + "}#8.0#0\"; \"LTB8.OCX\"\r\n");
            std::string begins =
                replaceAll(want, "   Begin MSDBGrid.DBGrid ", "   Begin Lumatab80.LTab ");
            EXPECT_EQ(after, begins) << name;
            // One header line and one line per grid, nothing else.
            std::size_t changedLines = 0;
            std::size_t a = 0, b = 0;
            while (a < before.size()) {
                std::size_t ea = before.find('\n', a), eb = after.find('\n', b);
                changedLines += before.compare(a, ea - a, after, b, eb - b) != 0;
                a = ea + 1;
                b = eb + 1;
            }
            EXPECT_EQ(changedLines, 1u + static_cast<std::size_t>(g->second)) << name;

            // The binary companion: the records named by the OleObjectBlob lines.
            const std::string bin = binaryOf.at(name);
            const std::string binBefore = readBytes(source / bin);
            const std::string binAfter = readBytes(dir / "p" / bin);
            ASSERT_EQ(binBefore.size(), binAfter.size());
            std::regex blob("OleObjectBlob\\s*=\\s*\"[^\"]*\":([0-9A-Fa-f]+)");
            std::vector<std::uint64_t> offsets;
            for (std::sregex_iterator it(before.begin(), before.end(), blob), end; it != end;
                 ++it) {
                offsets.push_back(std::stoull((*it)[1].str(), nullptr, 16));
            }
            ASSERT_EQ(offsets.size(), static_cast<std::size_t>(g->second)) << name;
            std::string expected = binBefore;
            for (const auto& p : changes.binaryPatches) {
                if (p.file.filename() != bin) {
                    continue;
                }
                ++patchesSeen;
                ASSERT_EQ(binBefore.substr(p.offset, 16), guid(1, p.name))
                    << bin << " " << p.offset;
                expected.replace(p.offset, 16, guid(12, p.name));
            }
            for (std::uint64_t off : offsets) {
                // Exactly one class id per record, 32 bytes after the record's offset.
                int classIds = 0;
                for (const auto& p : changes.binaryPatches) {
                    if (p.file.filename() == bin && p.name == "CLSID_MsDgrid") {
                        std::uint32_t n = 0;
                        for (int k = 3; k >= 0; --k) {
                            n = n << 8 | static_cast<unsigned char>(binBefore[off + 4 + k]);
                        }
                        if (p.offset >= off + 24 && p.offset < off + 24 + n) {
                            ++classIds;
                            EXPECT_EQ(p.offset, off + 32) << bin;
                        }
                    }
                }
                EXPECT_EQ(classIds, 1) << bin << " record at " << off;
                EXPECT_EQ(binAfter.substr(off + 32, 16), guid(12, "CLSID_MsDgrid"));
            }
            EXPECT_EQ(binAfter, expected) << bin; // every other byte identical
            patchedBinaries.insert(bin);
        } else if (patchedBinaries.count(name) == 0 &&
                   std::none_of(binaryOf.begin(), binaryOf.end(),
                                [&](const auto& kv) { return kv.second == name; })) {
            EXPECT_EQ(after, before) << name;
        }
    }
    EXPECT_EQ(patchedBinaries.size(), 6u);
    EXPECT_EQ(patchesSeen, changes.binaryPatches.size());
    // Per record: the class id, two column interfaces and one split interface of the platform
    // grid's own GUIDs are in the property data.
    EXPECT_EQ(changes.binaryPatches.size(), 8u * 4);
    // Nothing added (no "SQLForm.frx" beside SQLFORM.FRX), nothing left in the temporary folder.
    std::size_t after = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir / "p")) {
        ++after;
    }
    EXPECT_EQ(after, files);
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}
