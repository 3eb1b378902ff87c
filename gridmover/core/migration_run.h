#pragma once
// The migration run: the whole open project converted from one grid version to another, every file
// into a temporary copy first, then all copies committed at once and the project reopened, or
// none. Its one implementation serves both faces: the add-in's OK button (through the development
// environment) and gridmover-cli (through a project file read from disk). The face supplies a
// MigrationSite and the Prompts its messages and the data-control warning go to.
#include "foundation/prompts.h"
#include "gridmover/core/dry_run.h"
#include "gridmover/core/temp_files.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace gridmover {

// One component of the open project, as the environment describes it.
struct RunComponent {
    std::string name;
    bool dirty = false;                       // unsaved changes in the environment
    std::vector<std::filesystem::path> files; // 1 = text file, 2 = binary companion
};

struct RunProject {
    std::filesystem::path file; // the project file (.vbp)
    bool dirty = false;
    std::vector<RunComponent> components; // in the environment's order
};

// What the run needs of the place it runs in.
class MigrationSite {
public:
    virtual ~MigrationSite() = default;
    // The open project. Throws when there is none (the run then reports the error).
    virtual RunProject ActiveProject() = 0;
    // The run hides the tool window that started it before it asks or converts anything.
    virtual void HideToolWindow() = 0;
    // From the first file converted to the end of the run: the hourglass pointer and the status
    // window, whose text SetStatus replaces (and repaints at once: the run does not yield).
    virtual void BeginBusy() = 0;
    virtual void SetStatus(std::string_view text) = 0;
    virtual void EndBusy() = 0;
    // After a commit: the project is opened again from its file as the only open project.
    virtual void ReopenProject(const std::filesystem::path& projectFile) = 0;
    // What a message box has no room for (a failure's reason, which grids a project references),
    // for a terminal or a log; a window may ignore it.
    virtual void Note(std::string_view text) { (void)text; }
    // Whether the files of the project that lie outside its folder (a module shared with other
    // projects, or a project file that names files anywhere) may be converted too. By default
    // the user is asked, the files listed (OutsideFilesQuestion).
    virtual bool AllowFilesOutside(const std::vector<std::filesystem::path>& files,
                                   Prompts& prompts);
    // A dry run shows what would change, instead of committing.
    virtual void ShowPendingChanges(const PendingChanges& changes, std::int16_t from,
                                    std::int16_t to) {
        (void)changes, (void)from, (void)to;
    }
};

enum class RunOutcome {
    Converted,        // committed and reopened (message 1002)
    DryRunShown,      // the changes were shown, nothing was written
    ProjectUnsaved,   // message 1000
    StoppedAtWarning, // "No" to the data-control warning
    OutsideRefused,   // files outside the project's folder were not allowed; nothing was written
    NothingToConvert, // message 1001
    FileFailed,       // message 1003: a file could not be converted
    FileReadOnly,     // message 1005
    CommitFailed,     // the originals could not be replaced; each is as before or named
    RecoveryFailed,   // an interrupted commit's originals could not all be restored
};

struct RunOptions {
    bool dryRun = false;
    TempFileSystem* temp = nullptr; // nullptr: the system's temporary folder
};

// The run from source row `from` to target row `to` (catalogue rows). Every outcome has been shown
// through prompts (messages without a title: they carry the add-in's title) before it returns.
RunOutcome RunMigration(MigrationSite& site, Prompts& prompts, std::int16_t from, std::int16_t to,
                        const RunOptions& options = {});

// The message of a commit that could not replace the originals (followed by CR LF and the file):
// no string resource has it, since the add-in this run descends from never reported one.
inline constexpr std::string_view kCommitFailedText =
    "ファイルを置き換えられませんでした。元のファイルは変更されていません。";

// The commit's message when originals could not even be put back (followed by CR LF and the list).
inline constexpr std::string_view kNotRestoredText =
    "次のﾌｧｲﾙは元に戻せませんでした。元の内容は同じ名前に「.gmold」を付けたﾌｧｲﾙに残っています。"
    "次回の実行で元に戻します。";
// An interrupted commit found and undone at the start of a run (followed by the restored files).
inline constexpr std::string_view kRecoveredText =
    "前回の変換は途中で中断されていました。ﾌﾟﾛｼﾞｪｸﾄを変換前の状態に戻しました。";
// An interrupted commit that had replaced every file: only its leftovers were removed.
inline constexpr std::string_view kRecoveredCompleteText =
    "前回の変換はすべてのﾌｧｲﾙを置き換えた後で中断されていました。残っていた作業ﾌｧｲﾙを削除しました"
    "。";

// The data-control warning for a conversion between the two kinds of data binding, CRs as line
// breaks; empty when none is asked. Source row 5 is never warned about (a VB4 grid has no OLE DB
// sibling to confuse it with).
std::string DataControlWarning(std::int16_t from, std::int16_t to);

// The question before files outside the project's folder are converted, listing them.
std::string OutsideFilesQuestion(const std::vector<std::filesystem::path>& files);

// The status texts: a file's conversion starting, and done with a change.
std::string StatusConverting(std::string_view label);
std::string StatusDone(std::string_view label);

// The grid versions (catalogue rows, in the file's order) whose Object= line the project file
// holds; empty when it cannot be read.
std::vector<std::int16_t> ReferencedGridRows(const std::filesystem::path& projectFile);

} // namespace gridmover
