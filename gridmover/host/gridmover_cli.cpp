// gridmover-cli: the migration run of the add-in without the development environment. The run is
// the same one the dialog's OK button starts (gridmover/core/migration_run.h); this program only
// reads the command line, prints, and turns the run's outcome into an exit status.
#include "foundation/utf8_path.h"
#include "gridmover/core/grid_version.h"
#include "gridmover/core/migration_run.h"
#include "gridmover/core/registry.h"
#include "gridmover/core/scan_lists.h"
#include "gridmover/core/vb_text.h"
#include "gridmover/host/cli_terminal.h"
#include "gridmover/host/program_arguments.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

using namespace gridmover;
namespace fs = std::filesystem;

namespace {

constexpr int kExitConverted = 0;
constexpr int kExitNothing = 1;
constexpr int kExitFileFailed = 2;
constexpr int kExitCommitFailed = 3;
constexpr int kExitWarning = 4;
constexpr int kExitUsage = 64;

std::string helpText() {
    std::string rows;
    for (std::int16_t r = 1; r <= kGridVersionRows; ++r) {
        char line[96];
        std::snprintf(line, sizeof line, "  %2d  %-26s%s\n", r, DisplayName(r).c_str(),
                      std::find(kTargetRows.begin(), kTargetRows.end(), r) != kTargetRows.end()
                          ? "変換先にできます / may be a target"
                          : "");
        rows += line;
    }
    return R"(gridmover-cli: VB6 プロジェクトのグリッド コントロールを別のバージョンへ移行します（画面なし）。
Migrates a VB6 project from one grid control version to another, without a window.

使い方 / Usage:
  gridmover-cli convert --from VERSION --to VERSION [--dry-run] [--yes] [--quiet]
                [--include-outside] project.vbp
  gridmover-cli versions
  gridmover-cli --help

convert  バイナリ ファイルのあるフォームなど、すべての標準モジュール・クラス、プロジェクト ファイル
         を一時ファイルに変換し、すべて成功したときだけ元のファイルを一度に置き換えます。
         Converts every designer with a binary file, every module and class and the project
         file into temporary copies, then replaces all originals at once, or none.
  --from VERSION   プロジェクトが今使っているバージョン（行番号か表示名）。
                   The version the project uses now (row number or display name).
  --to VERSION     変換先のバージョン（12 か 13）。
                   The version to convert to (12 or 13).
  --dry-run        変更点（テキストの差分と置き換える GUID）を表示するだけで、何も書き込みません。
                   Shows the changes (unified diffs, every GUID old -> new) and writes nothing.
  --yes            データ コントロールの警告（DAC/RDC と OLE DB の間の変換）に「はい」と答えます。
                   Answers the data-control warning (DAC/RDC <-> OLE DB) with yes.
  --quiet          進行状況を表示しません（メッセージは表示します）。
                   No progress lines (messages still show).
  --include-outside
                   プロジェクトのフォルダーの外にあるファイル（共有モジュールなど）も変換します。
                   ない場合は一覧を表示して何も変換しません。
                   Converts the project's files outside its folder (a shared module, ...) too;
                   without it they are listed and nothing is converted.
versions 導入済みのバージョン（Wine プレフィックス $WINEPREFIX、既定 ~/.wine のレジストリ）。
         The installed versions, from the registry of the Wine prefix ($WINEPREFIX, default
         ~/.wine).

バージョン / Versions (VERSION):
)" + rows + R"(
メッセージは標準エラーに日本語、次の行に英語で、進行状況は標準出力に 1 ファイル 1 行で出ます。
Messages go to stderr, Japanese first and English on the next line; progress to stdout, one line
a file.

終了コード / Exit status:
  0   変換した（ドライランは変更点を表示した） / converted (dry run: changes shown)
  1   変換するグリッドがない（versions: 導入済みのグリッドがない） / nothing to convert
      (versions: no grid installed)
  2   ファイルを変換できない、読み出し専用、またはフォルダーの外にある（--include-outside なし）。
      何も変更していません / a file failed, is read-only or lies outside the project's folder
      (without --include-outside); nothing changed
  3   元のファイルを置き換えられなかった。何も変更していません / the originals could not be
      replaced; nothing changed
  4   データ コントロールの警告で中止した（--yes なし） / stopped at the data-control warning
  64  コマンドラインの誤り / usage error
)";
}

struct UsageError {
    std::string text;
};

// A row number (1-13) or a display name ("Lumatab Pro 8.0", letter case aside).
std::int16_t parseVersion(std::string_view option, std::string_view value) {
    char* end = nullptr;
    const std::string text(value);
    long n = std::strtol(text.c_str(), &end, 10);
    if (!text.empty() && *end == '\0') {
        if (n >= 1 && n <= kGridVersionRows) {
            return static_cast<std::int16_t>(n);
        }
    } else {
        for (std::int16_t r = 1; r <= kGridVersionRows; ++r) {
            if (vbtext::EqualsNoCase(DisplayName(r), value)) {
                return r;
            }
        }
    }
    throw UsageError{std::string(option) + " のバージョンが不明です: " + text + "\n" +
                     std::string(option) + ": unknown version: " + text +
                     " (row 1-13 or a display name; see --help)"};
}

int versions() {
    LoadGridVersions();
    const VersionLists lists = ScanInstalledVersions(Versions(), *DefaultRegistry());
    std::printf("変換元 / source versions:\n");
    for (const auto& e : lists.from) {
        std::printf("  %2d  %s\n", e.row, e.displayName.c_str());
    }
    std::printf("変換先 / target versions:\n");
    for (const auto& e : lists.to) {
        std::printf("  %2d  %s\n", e.row, e.displayName.c_str());
    }
    if (!lists.from.empty()) {
        return kExitConverted;
    }
    // Nothing found: say where the registry was looked for and what of it is missing.
    const std::string notes = RegistryNotFoundNotes();
    std::fwrite(notes.data(), 1, notes.size(), stderr);
    return kExitNothing;
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
        std::string_view a = argv[i];
        if (a == "--from" || a == "--to") {
            if (i + 1 >= argc) {
                throw UsageError{std::string(a) + " には値が必要です\n" + std::string(a) +
                                 " needs a value"};
            }
            (a == "--from" ? from : to) = parseVersion(a, argv[++i]);
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
            throw UsageError{"不明な引数です: " + std::string(a) +
                             "\nUnknown argument: " + std::string(a)};
        }
    }
    if (from == 0 || to == 0 || vbp == nullptr) {
        throw UsageError{"--from、--to とプロジェクト ファイルを指定してください\n--from, --to and "
                         "the project file are required"};
    }
    if (std::find(kTargetRows.begin(), kTargetRows.end(), to) == kTargetRows.end()) {
        throw UsageError{"--to は現行バージョン（12 か 13）です: " + DisplayName(to) +
                         "\n--to must be a current version (12 or 13): " + DisplayName(to)};
    }

    host::TerminalSite site(utf8::toPath(vbp), quiet, includeOutside, dryRun);
    // A dry run writes nothing: it shows the changes whatever the warning would say.
    host::TerminalPrompts prompts(yes || dryRun);
    RunOptions options;
    options.dryRun = dryRun;
    switch (RunMigration(site, prompts, from, to, options)) {
    case RunOutcome::Converted:
    case RunOutcome::DryRunShown:
        return kExitConverted;
    case RunOutcome::NothingToConvert:
        return kExitNothing;
    case RunOutcome::CommitFailed:
    case RunOutcome::RecoveryFailed:
        return kExitCommitFailed;
    case RunOutcome::StoppedAtWarning:
        std::fputs("（--yes で続行します / --yes continues）\n", stderr);
        return kExitWarning;
    case RunOutcome::OutsideRefused:
    case RunOutcome::ProjectUnsaved:
    case RunOutcome::FileFailed:
    case RunOutcome::FileReadOnly:
        break;
    }
    return kExitFileFailed;
}

} // namespace

int main(int argc, char** narrowArgv) {
    // From here on every argument is UTF-8, as every text of the suite.
    std::vector<std::string> arguments = host::ProgramArguments(argc, narrowArgv);
    std::vector<char*> pointers;
    for (auto& a : arguments) {
        pointers.push_back(a.data());
    }
    pointers.push_back(nullptr);
    char** argv = pointers.data();
    try {
        if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
                          std::strcmp(argv[1], "help") == 0)) {
            const std::string help = helpText();
            std::fwrite(help.data(), 1, help.size(), stdout);
            return 0;
        }
        if (argc >= 2 && std::strcmp(argv[1], "convert") == 0) {
            for (int i = 2; i < argc; ++i) {
                if (std::strcmp(argv[i], "--help") == 0) {
                    const std::string help = helpText();
                    std::fwrite(help.data(), 1, help.size(), stdout);
                    return 0;
                }
            }
            return convert(argc, argv);
        }
        if (argc == 2 && std::strcmp(argv[1], "versions") == 0) {
            return versions();
        }
        throw UsageError{argc < 2
                             ? "コマンドを指定してください（convert か versions）\nA command is "
                               "required (convert or versions)"
                             : "不明なコマンドです: " + std::string(argv[1]) +
                                   "\nUnknown command: " + std::string(argv[1])};
    } catch (const UsageError& e) {
        std::fprintf(stderr, "gridmover-cli: %s\n(gridmover-cli --help)\n", e.text.c_str());
        return kExitUsage;
    }
}
