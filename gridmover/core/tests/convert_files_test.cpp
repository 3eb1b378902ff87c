// The three converters on files: results, pending pairs, temporary files, binary patches.
#include "gridmover/core/grid_version.h"
#include "gridmover/core/mod_convert.h"
#include "gridmover/core/pending_files.h"

#include "foundation/cp932.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <memory>

using namespace gridmover;
using testsupport::readBytes;
using testsupport::ScratchDir;
using testsupport::writeBytes;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

std::string guidBytes(std::int16_t row, const char* name) {
    std::array<std::uint8_t, 16> b{};
    Versions().Item(row)->Item(name)->ToBytes(b);
    return std::string(reinterpret_cast<const char*>(b.data()), 16);
}

// A property record: 4 unused bytes, length N, 16 unused bytes, N bytes of data.
std::string record(const std::string& data) {
    std::string r = "LB\r\0"s;
    std::uint32_t n = static_cast<std::uint32_t>(data.size());
    for (int i = 0; i < 4; ++i) {
        r += static_cast<char>((n >> (8 * i)) & 0xFF);
    }
    r += std::string(16, '\x11');
    return r + data;
}

const std::string kForm =
    "VERSION 5.00\r\n"
    "Object = \"{00028C01-0000-0000-0000-000000000046}#1.0#0\"; \"DBGRID32.OCX\"\r\n"
    "Begin VB.Form Form1 \r\n"
    "   Caption         =   \"Form1\"\r\n"
    "   Begin MSDBGrid.DBGrid DBGrid1 \r\n"
    "      Height          =   2000\r\n"
    "      OleObjectBlob   =   \"Form1.frx\":0010\r\n"
    "   End\r\n"
    "End\r\n"
    "Attribute VB_Name = \"Form1\"\r\n"
    "Private Sub DBGrid1_LeftColChange()\r\n"
    "End Sub\r\n";

class ConvertFiles : public ::testing::Test {
protected:
    void SetUp() override {
        LoadGridVersions();
        fs::create_directory(dir / "tmp");
    }
    std::size_t tempCount() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(dir / "tmp"), fs::directory_iterator()));
    }
    std::string frx(const std::string& data) { return std::string(16, '\x7F') + record(data); }
    void readOnly(const fs::path& p) {
        fs::permissions(p,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }

    ScratchDir dir;
    FolderTempFiles temp{dir / "tmp"};
    modConvert conv{&temp};
};

} // namespace

TEST_F(ConvertFiles, FormAndBinaryBecomeTwoPendingPairs) {
    const std::string clsid1 = guidBytes(1, "CLSID_MsDgrid");
    const std::string split1 = guidBytes(1, "IID_DLtSplit");
    // The class id twice and another named GUID once; bytes around them stay.
    const std::string data = "ab" + clsid1 + "cd" + clsid1 + split1 + "ef";
    writeBytes(dir / "Form1.frm", kForm);
    writeBytes(dir / "Form1.frx", frx(data) + "TAIL");
    EXPECT_EQ(conv.ConvertFormFile(dir / "Form1.frm", dir / "Form1.frx", 1, 12), 1);
    ASSERT_EQ(conv.TempFiles.size(), 2u);
    EXPECT_EQ(conv.OriginalFiles, (std::vector<fs::path>{dir / "Form1.frm", dir / "Form1.frx"}));
    EXPECT_EQ(conv.TempFiles[0].filename().string().substr(0, 3), "0lt");
    EXPECT_EQ(conv.TempFiles[1].filename().string().substr(0, 3), "0lt");
    // Originals untouched until commit.
    EXPECT_EQ(readBytes(dir / "Form1.frm"), kForm);

    const std::string clsid12 = guidBytes(12, "CLSID_MsDgrid");
    const std::string split12 = guidBytes(12, "IID_DLtSplit");
    EXPECT_EQ(readBytes(conv.TempFiles[1]),
              frx("ab" + clsid12 + "cd" + clsid12 + split12 + "ef") + "TAIL");
    ASSERT_EQ(conv.BlobPatches.size(), 3u);
    EXPECT_EQ(conv.BlobPatches[0].offset, 16u + 24 + 2);
    EXPECT_EQ(conv.BlobPatches[1].offset, 16u + 24 + 2 + 16 + 2);
    EXPECT_EQ(conv.BlobPatches[2].name, "IID_DLtSplit");

    const std::string text = readBytes(conv.TempFiles[0]);
    EXPECT_NE(text.find("Begin Lumatab80.LTab DBGrid1 \r\n"), std::string::npos);
    EXPECT_NE(text.find("_LeftColChange(ByVal SplitIndex as Integer)\r\n"), std::string::npos);

    // A second form gets the next prefix: the count of TempFiles.
    writeBytes(dir / "Form2.frm", kForm);
    writeBytes(dir / "Form2.frx", frx(data));
    conv.ResetDesignerLists();
    EXPECT_EQ(conv.ConvertFormFile(dir / "Form2.frm", dir / "Form2.frx", 1, 12), 1);
    EXPECT_EQ(conv.TempFiles[2].filename().string().substr(0, 3), "2lt");
    DiscardPendingFiles(conv);
    EXPECT_EQ(tempCount(), 0u);
}

TEST_F(ConvertFiles, ReadOnlyFilesLeaveNoTemporaryFileBehind) {
    writeBytes(dir / "Form1.frm", kForm);
    writeBytes(dir / "Form1.frx", frx("x"));
    writeBytes(dir / "Module1.bas", "Dim a As MSDBGrid.Column\r\n");
    writeBytes(dir / "P.vbp",
               "Object={00028C01-0000-0000-0000-000000000046}#1.0#0; DBGRID32.OCX\r\n");

    readOnly(dir / "Form1.frx");
    EXPECT_EQ(conv.ConvertFormFile(dir / "Form1.frm", dir / "Form1.frx", 1, 12), -3);
    readOnly(dir / "Form1.frm");
    EXPECT_EQ(conv.ConvertFormFile(dir / "Form1.frm", dir / "Form1.frx", 1, 12), -2);
    readOnly(dir / "Module1.bas");
    EXPECT_EQ(conv.ConvertCodeFile(dir / "Module1.bas", 1, 12), -2);
    readOnly(dir / "P.vbp");
    EXPECT_EQ(conv.ConvertProjectFile(dir / "P.vbp", 1, 12), -2);
    EXPECT_TRUE(conv.TempFiles.empty());
    EXPECT_EQ(tempCount(), 0u);
}

TEST_F(ConvertFiles, MissingFilesFailWithoutLeavingTemporaryFiles) {
    EXPECT_EQ(conv.ConvertCodeFile(dir / "none.bas", 1, 12), -1);
    EXPECT_EQ(conv.ConvertProjectFile(dir / "none.vbp", 1, 12), -1);
    writeBytes(dir / "Form1.frm", kForm);
    EXPECT_EQ(conv.ConvertFormFile(dir / "Form1.frm", dir / "none.frx", 1, 12), -1);
    EXPECT_EQ(tempCount(), 0u);
    // No temporary folder at all.
    FolderTempFiles nowhere(dir / "missing");
    modConvert c2(&nowhere);
    writeBytes(dir / "M.bas", "x\r\n");
    EXPECT_EQ(c2.ConvertCodeFile(dir / "M.bas", 1, 12), -1);
}

// A pipe in place of a file: tests/linux/pipe_files_linux_test.cpp.
TEST_F(ConvertFiles, AFolderInPlaceOfAFileFailsNamingIt) {
    fs::create_directory(dir / "Folder.bas");
    EXPECT_EQ(conv.ConvertCodeFile(dir / "Folder.bas", 1, 12), -1);
    EXPECT_EQ(conv.LastError, (dir / "Folder.bas").string() + ": not a regular file");
    fs::create_directory(dir / "Folder.frm");
    writeBytes(dir / "Form1.frx", frx("x"));
    EXPECT_EQ(conv.ConvertFormFile(dir / "Folder.frm", dir / "Form1.frx", 1, 12), -1);
    EXPECT_EQ(conv.LastError, (dir / "Folder.frm").string() + ": not a regular file");
    DiscardPendingFiles(conv);
    EXPECT_EQ(tempCount(), 0u);
}

// The system's temporary folder going away ($TMPDIR): tests/linux/temp_folder_linux_test.cpp.

TEST_F(ConvertFiles, BlobRecordsThatDoNotFitFailAndNeverGrowTheFile) {
    const std::string clsid1 = guidBytes(1, "CLSID_MsDgrid");
    // Offset beyond the end, header cut off, length beyond the end.
    for (const char* offset : {"0100", "0012", "0010"}) {
        std::string form = kForm;
        form.replace(form.find(":0010"), 5, std::string(":") + offset);
        writeBytes(dir / "Form1.frm", form);
        std::string binary = frx(clsid1);
        if (std::string(offset) == "0010") {
            binary[16 + 4] = '\x7F'; // N far beyond the file
        }
        writeBytes(dir / "Form1.frx", binary);
        conv.ResetDesignerLists();
        EXPECT_EQ(conv.ConvertFormFile(dir / "Form1.frm", dir / "Form1.frx", 1, 12), -1) << offset;
        EXPECT_EQ(readBytes(conv.TempFiles.back()), binary) << offset;
        DiscardPendingFiles(conv);
    }
    // The file-level patch on its own: same refusal, file unchanged in length and content.
    std::string binary = frx(clsid1);
    binary[16 + 4] = '\x7F';
    writeBytes(dir / "x.frx", binary);
    EXPECT_EQ(conv.PatchOleObjectBlob(dir / "x.frx", 0x10, 1, 12), -1);
    EXPECT_EQ(conv.PatchOleObjectBlob(dir / "x.frx", 0xFFFFFFFFu, 1, 12), -1);
    EXPECT_EQ(readBytes(dir / "x.frx"), binary);
    writeBytes(dir / "y.frx", frx("no guid here"));
    EXPECT_EQ(conv.PatchOleObjectBlob(dir / "y.frx", 0x10, 1, 12), 0);
    writeBytes(dir / "z.frx", frx(clsid1 + clsid1));
    EXPECT_EQ(conv.PatchOleObjectBlob(dir / "z.frx", 0x10, 1, 12), 1);
    const std::string clsid12 = guidBytes(12, "CLSID_MsDgrid");
    EXPECT_EQ(readBytes(dir / "z.frx"), frx(clsid12 + clsid12));
    // An offset that is not hexadecimal fails the form.
    std::string bad = kForm;
    bad.replace(bad.find(":0010"), 5, ":00Z0");
    writeBytes(dir / "Form1.frm", bad);
    writeBytes(dir / "Form1.frx", frx(clsid1));
    EXPECT_EQ(conv.ConvertFormFile(dir / "Form1.frm", dir / "Form1.frx", 1, 12), -1);
    DiscardPendingFiles(conv);
}

TEST_F(ConvertFiles, AGridBlockCutOffByTheEndOfTheFileIsRefused) {
    std::string form = kForm.substr(0, kForm.find("   End\r\n"));
    writeBytes(dir / "Form1.frm", form);
    writeBytes(dir / "Form1.frx", frx("x"));
    EXPECT_EQ(conv.ConvertFormFile(dir / "Form1.frm", dir / "Form1.frx", 1, 12), -1);
    DiscardPendingFiles(conv);
}

TEST_F(ConvertFiles, NamesDifferingInLetterCaseAreFoundAndCommittedInPlace) {
    writeBytes(dir / "FORM1.FRM", kForm);
    writeBytes(dir / "FORM1.FRX", frx(guidBytes(1, "CLSID_MsDgrid")));
    EXPECT_EQ(conv.ConvertFormFile(dir / "Form1.frm", dir / "Form1.frx", 1, 12), 1);
    EXPECT_EQ(conv.OriginalFiles[1], dir / "FORM1.FRX");
    ASSERT_TRUE(CommitPendingFiles(conv).ok);
    EXPECT_FALSE(fs::exists(dir / "Form1.frx"));
    EXPECT_EQ(readBytes(dir / "FORM1.FRX"), frx(guidBytes(12, "CLSID_MsDgrid")));
}

TEST_F(ConvertFiles, ProjectFileReplacesOnlyTheFirstObjectLine) {
    const std::string line = "Object={00028C01-0000-0000-0000-000000000046}#1.0#0; DBGRID32.OCX";
    writeBytes(dir / "P.vbp", "Type=Exe\r\n" + line + "\r\n" + line + "\r\nForm=Form1.frm\r\n");
    EXPECT_EQ(conv.ConvertProjectFile(dir / "P.vbp", 1, 12), 1);
    EXPECT_EQ(readBytes(conv.TempFiles[0]), "Type=Exe\r\n" + MakeProjectObjectLine(12) + "\r\n" +
                                                line + "\r\nForm=Form1.frm\r\n");
    // Without the source grid: 0 and an unchanged copy.
    writeBytes(dir / "Q.vbp", "Type=Exe\r\n" + line + "\r\n");
    EXPECT_EQ(conv.ConvertProjectFile(dir / "Q.vbp", 7, 12), 0);
    EXPECT_EQ(readBytes(conv.TempFiles[1]), "Type=Exe\r\n" + line + "\r\n");
    EXPECT_EQ(conv.TempFiles[1].filename().string().substr(0, 3), "1lt");
    DiscardPendingFiles(conv);
}

TEST_F(ConvertFiles, LineEndsBecomeCrLfAndUntouchedBytesStay) {
    // Lines that lost their CR, a last line without line end, bytes that are not CP932, and a
    // lone CR inside a line.
    std::string in =
        "Attribute VB_Name = \"M\"\nDim s As String ' \x81\xFF\xA0 odd\nx = 1\ry\nlast";
    writeBytes(dir / "M.bas", in);
    EXPECT_EQ(conv.ConvertCodeFile(dir / "M.bas", 1, 12), 0);
    EXPECT_EQ(
        readBytes(conv.TempFiles[0]),
        "Attribute VB_Name = \"M\"\r\nDim s As String ' \x81\xFF\xA0 odd\r\nx = 1\ry\r\nlast\r\n");
    // A file cut off between the CR and the LF of its last line.
    writeBytes(dir / "C.bas", "Attribute VB_Name = \"C\"\r\nb\r");
    EXPECT_EQ(conv.ConvertCodeFile(dir / "C.bas", 1, 12), 0);
    EXPECT_EQ(readBytes(conv.TempFiles[1]), "Attribute VB_Name = \"C\"\r\nb\r\n");
    DiscardPendingFiles(conv);
}
