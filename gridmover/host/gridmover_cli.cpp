// gridmover-cli: the migration of a VB6 project without the development environment.
//
//   gridmover-cli convert --from N --to N [--dry-run] [--yes] [--quiet] [--include-outside]
//                 project.vbp
//   gridmover-cli versions
//
// convert: converts every designer file with a binary companion, every module and class and the
// project file into temporary copies, then replaces all originals at once, or none. --dry-run
// shows the unified diff of every text file that would change and every GUID that would be
// replaced, then throws the copies away. --yes answers the data-control warning with yes.
// Files of the project that lie outside its folder (links and ".." resolved) are listed by the
// dry run and the run; the run converts them only with --include-outside, and otherwise fails
// naming them before anything is written.
// versions: lists the grid versions installed in the Wine prefix, as the dialog would offer them.
//
// Exit codes: 0 converted (or dry run shown), 1 nothing to convert, 2 a file failed or is
// read-only (nothing changed), 3 the commit failed (nothing changed), 4 stopped at the warning,
// 64 usage.
#include "gridmover/core/dry_run.h"
#include "gridmover/core/grid_version.h"
#include "gridmover/core/pending_files.h"
#include "gridmover/core/project_conversion.h"
#include "gridmover/core/project_folder.h"
#include "gridmover/core/registry.h"
#include "gridmover/core/scan_lists.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

using namespace gridmover;

namespace {

int usage() {
    std::cerr << "usage: gridmover-cli convert --from N --to N [--dry-run] [--yes] [--quiet] "
                 "[--include-outside] project.vbp\n"
                 "       gridmover-cli versions\n"
                 "rows:\n";
    for (std::int16_t r = 1; r <= kGridVersionRows; ++r) {
        std::cerr << "  " << r << "  " << DisplayName(r) << "\n";
    }
    return 64;
}

bool parseRow(const char* text, std::int16_t& row) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < 1 || v > kGridVersionRows) {
        return false;
    }
    row = static_cast<std::int16_t>(v);
    return true;
}

// The warning before a conversion between the two kinds of data binding, or empty.
std::string dataControlWarning(std::int16_t from, std::int16_t to) {
    std::string lineA;
    if (IsOleDbRow(from) && !IsOleDbRow(to)) {
        lineA = "DAC/RDC ﾊﾞｰｼﾞｮﾝのｸﾞﾘｯﾄﾞへ変換すると、OLE DBﾃﾞｰﾀ･ｺﾝﾄﾛｰﾙ(ADODC)";
    } else if (from != 5 && !IsOleDbRow(from) && IsOleDbRow(to)) {
        lineA = "OLE DB ﾊﾞｰｼﾞｮﾝのｸﾞﾘｯﾄﾞへ変換すると、従来のﾃﾞｰﾀ･ｺﾝﾄﾛｰﾙ(DAC/RDC)";
    }
    if (lineA.empty()) {
        return {};
    }
    return "！注意！\n\n" + lineA + "\nを使用したﾊﾞｳﾝﾄﾞ ｸﾞﾘｯﾄﾞは動作しなくなります！\n\n" +
           "詳しくは、製品のﾏﾆｭｱﾙまたはｵﾝﾗｲﾝﾍﾙﾌﾟを参照してください。";
}

int versions() {
    LoadGridVersions();
    auto lists = ScanInstalledVersions(Versions(), *DefaultRegistry());
    std::cout << "source versions:\n";
    for (const auto& e : lists.from) {
        std::cout << "  " << e.row << "  " << e.displayName << "\n";
    }
    std::cout << "target versions:\n";
    for (const auto& e : lists.to) {
        std::cout << "  " << e.row << "  " << e.displayName << "\n";
    }
    return 0;
}

int convert(int argc, char** argv) {
    std::int16_t from = 0;
    std::int16_t to = 0;
    bool dryRun = false;
    bool yes = false;
    bool quiet = false;
    bool includeOutside = false;
    const char* vbp = nullptr;
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--from" && i + 1 < argc) {
            if (!parseRow(argv[++i], from)) {
                return usage();
            }
        } else if (a == "--to" && i + 1 < argc) {
            if (!parseRow(argv[++i], to)) {
                return usage();
            }
        } else if (a == "--dry-run") {
            dryRun = true;
        } else if (a == "--yes") {
            yes = true;
        } else if (a == "--quiet") {
            quiet = true;
        } else if (a == "--include-outside") {
            includeOutside = true;
        } else if (!a.empty() && a[0] != '-' && vbp == nullptr) {
            vbp = argv[i];
        } else {
            return usage();
        }
    }
    if (from == 0 || to == 0 || vbp == nullptr) {
        return usage();
    }
    if (std::find(kTargetRows.begin(), kTargetRows.end(), to) == kTargetRows.end()) {
        std::cerr << "the target must be one of the current versions (12 or 13)\n";
        return 64;
    }
    if (std::string w = dataControlWarning(from, to); !w.empty() && !yes && !dryRun) {
        std::cerr << w << "\n(--yes で続行します)\n";
        return 4;
    }

    VbProject project;
    try {
        project = ReadVbProject(vbp);
    } catch (const std::exception& e) {
        std::cerr << "ﾌｧｲﾙ変換中にｴﾗｰが発生しました。" << vbp << "\n" << e.what() << "\n";
        return 2;
    }
    // The files outside the project's folder: shown before anything is converted, so that the
    // user sees what a project file reaches out to, and touched only when the user said so.
    const std::vector<std::filesystem::path> outside = FilesOutsideProject(project);
    if (!outside.empty()) {
        if (!dryRun && !includeOutside) {
            std::cerr << "files outside the project's folder (converted only with "
                         "--include-outside):\n";
            for (const auto& f : outside) {
                std::cerr << "  " << f.string() << "\n";
            }
            std::cerr << "nothing was converted.\n";
            return 2;
        }
        if (dryRun || !quiet) {
            std::cout << (includeOutside ? "files outside the project's folder (converted with "
                                           "the project):\n"
                                         : "files outside the project's folder (converted only "
                                           "with --include-outside):\n");
            for (const auto& f : outside) {
                std::cout << "  " << f.string() << "\n";
            }
        }
    }
    modConvert conv;
    auto progress = [&](const std::string& label, bool done) {
        if (quiet) {
            return;
        }
        if (done) {
            std::cout << label << "を変換中 ... \n  完了!\n";
        } else {
            std::cout << label << "を変換中 ...\n";
        }
    };
    // A dry run writes nothing: it shows the outside files' changes as well.
    ProjectConversion r = ConvertProjectFiles(conv, project, from, to, progress, outside);
    switch (r.result) {
    case kChanged:
        break;
    case kUnchanged:
        DiscardPendingFiles(conv);
        std::cout << "ﾌﾟﾛｼﾞｪｸﾄには変換するｸﾞﾘｯﾄﾞが含まれていません。\n何も変換されませんでした。\n";
        return 1;
    case kFailed:
        DiscardPendingFiles(conv);
        std::cerr << "ﾌｧｲﾙ変換中にｴﾗｰが発生しました。" << r.failedFile.string() << "\n";
        if (!r.detail.empty()) {
            std::cerr << r.detail << "\n";
        }
        return 2;
    default:
        DiscardPendingFiles(conv);
        // The message box puts the path on a line of its own; a terminal needs no CR for that.
        std::cerr << "次のﾌｧｲﾙは読み出し専用です。\n" << r.failedFile.string() << "\n";
        return 2;
    }

    if (dryRun) {
        try {
            PendingChanges changes = DescribePendingChanges(conv);
            for (const auto& f : changes.textFiles) {
                std::cout << f.diff;
            }
            for (const auto& p : changes.binaryPatches) {
                char offset[32];
                std::snprintf(offset, sizeof offset, "0x%08llX",
                              static_cast<unsigned long long>(p.offset));
                std::cout << "binary " << p.file.string() << " " << offset << " " << p.name << "\n";
            }
        } catch (const std::exception& e) {
            DiscardPendingFiles(conv);
            std::cerr << e.what() << "\n";
            return 2;
        }
        DiscardPendingFiles(conv);
        return 0;
    }

    CommitResult c = CommitPendingFiles(conv);
    if (!c.ok) {
        std::cerr << "ファイルを置き換えられませんでした。元のファイルは変更されていません。\n"
                  << c.failedFile.string() << ": " << c.message << "\n";
        return 3;
    }
    if (!quiet) {
        std::cout << "ﾌﾟﾛｼﾞｪｸﾄは正常に変換されました。\n";
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "convert") == 0) {
        return convert(argc, argv);
    }
    if (argc == 2 && std::strcmp(argv[1], "versions") == 0) {
        return versions();
    }
    return usage();
}
