#include "gridmover/core/migration_run.h"

#include "gridmover/core/file_access.h"
#include "gridmover/core/grid_version.h"
#include "gridmover/core/pending_files.h"
#include "gridmover/core/project_conversion.h"
#include "gridmover/core/project_folder.h"
#include "gridmover/core/string_resources.h"
#include "gridmover/core/vb_text.h"

#include <exception>

namespace gridmover {

namespace fs = std::filesystem;

namespace {

std::string pathText(const fs::path& p) {
    std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

// The message boxes' styles: exclamation or information, both brought to the foreground; no
// title, so that the add-in's title shows.
void exclaim(Prompts& prompts, const std::string& text) {
    prompts.message(MsgIcon::Exclamation, "", text);
}
void inform(Prompts& prompts, const std::string& text) {
    prompts.message(MsgIcon::Information, "", text);
}

// Everything a run that stops without committing leaves behind it is undone here: the pending
// copies and the busy state, in the order the window's user sees them go.
class Run {
public:
    Run(MigrationSite& site, Prompts& prompts, std::int16_t from, std::int16_t to,
        const RunOptions& options)
        : site_(site), prompts_(prompts), from_(from), to_(to), options_(options),
          conv_(options.temp) {}

    ~Run() {
        if (!conv_.TempFiles.empty()) {
            DiscardPendingFiles(conv_);
        }
        endBusy();
    }

    RunOutcome go();

private:
    void endBusy() {
        if (busy_) {
            busy_ = false;
            site_.EndBusy();
        }
    }
    // The pending pairs discarded and the status window gone before the message shows.
    void stop() {
        DiscardPendingFiles(conv_);
        endBusy();
    }
    RunOutcome failed(const ProjectConversion& r);
    RunOutcome nothingToConvert(const RunProject& project);
    RunOutcome commit(const RunProject& project);
    void noteIfNoProjectFile(const fs::path& file) {
        if (!vbtext::EqualsNoCase(pathText(file.extension()), ".vbp")) {
            site_.Note("プロジェクトファイル（.vbp）を指定してください: " + pathText(file) +
                       "\nA project file (.vbp) is expected: " + pathText(file));
        }
    }
    bool recover(RunProject& project);

    MigrationSite& site_;
    Prompts& prompts_;
    std::int16_t from_;
    std::int16_t to_;
    RunOptions options_;
    modConvert conv_;
    bool busy_ = false;
};

RunOutcome Run::go() {
    LoadGridVersions();
    // 1. Converted files are read from disk: unsaved edits in the environment would be lost.
    RunProject project;
    try {
        project = site_.ActiveProject();
    } catch (const std::exception& e) {
        exclaim(prompts_, LoadResString(kResConversionError));
        site_.Note(e.what());
        return RunOutcome::FileFailed;
    }
    // 0. A commit that was killed half-way is undone (or completed) before anything else.
    if (!recover(project)) {
        return RunOutcome::RecoveryFailed;
    }
    bool dirty = project.dirty;
    for (const auto& c : project.components) {
        dirty = dirty || c.dirty;
    }
    if (dirty) {
        exclaim(prompts_, LoadResString(kResProjectUnsaved));
        return RunOutcome::ProjectUnsaved;
    }

    // 2. The code files are those the project file lists as modules and classes.
    VbProject files;
    files.file = project.file;
    try {
        files.codeFiles = ReadVbProject(project.file).codeFiles;
    } catch (const std::exception& e) {
        site_.HideToolWindow();
        exclaim(prompts_, LoadResString(kResConversionError) + pathText(project.file));
        site_.Note(e.what());
        noteIfNoProjectFile(project.file);
        return RunOutcome::FileFailed;
    }
    for (const auto& c : project.components) {
        files.components.push_back({"", c.name, c.files});
    }

    // 3.-5. The window goes; a change of data binding is confirmed before anything is written.
    site_.HideToolWindow();
    if (std::string warning = DataControlWarning(from_, to_); !warning.empty()) {
        if (!prompts_.askYesNo("", warning)) {
            return RunOutcome::StoppedAtWarning;
        }
    }

    // Files outside the project's folder are touched only when the user has seen them listed.
    const std::vector<fs::path> outside = FilesOutsideProject(files);
    if (!outside.empty() && !site_.AllowFilesOutside(outside, prompts_)) {
        return RunOutcome::OutsideRefused;
    }

    // 6.-10. Designer files, code files, the project file, each into a temporary copy.
    site_.BeginBusy();
    busy_ = true;
    auto progress = [this](const std::string& label, bool done) {
        site_.SetStatus(done ? StatusDone(label) : StatusConverting(label));
    };
    ProjectConversion r = ConvertProjectFiles(conv_, files, from_, to_, progress, outside);
    if (r.result < 0) {
        return failed(r);
    }
    if (r.result == kUnchanged) {
        return nothingToConvert(project);
    }
    if (options_.dryRun) {
        try {
            PendingChanges changes = DescribePendingChanges(conv_);
            stop();
            site_.ShowPendingChanges(changes, from_, to_);
        } catch (const std::exception& e) {
            stop();
            exclaim(prompts_, LoadResString(kResConversionError));
            site_.Note(e.what());
            return RunOutcome::FileFailed;
        }
        return RunOutcome::DryRunShown;
    }
    return commit(project);
}

bool Run::recover(RunProject& project) {
    const Recovery rec = RecoverInterruptedCommit(CommitJournalFor(project.file));
    if (!rec.found) {
        return true;
    }
    if (!rec.notRestored.empty()) {
        std::string list;
        for (const auto& f : rec.notRestored) {
            list += "\r\n" + pathText(f);
        }
        exclaim(prompts_, std::string(kNotRestoredText) + "\r\n" + list);
        return false;
    }
    if (rec.completed) {
        inform(prompts_, std::string(kRecoveredCompleteText));
    } else {
        std::string list;
        for (const auto& f : rec.restored) {
            list += "\r\n" + pathText(f);
        }
        inform(prompts_, std::string(kRecoveredText) + (list.empty() ? "" : "\r\n" + list));
    }
    // The environment shows the files as they are now.
    site_.ReopenProject(project.file);
    project = site_.ActiveProject();
    return true;
}

RunOutcome Run::failed(const ProjectConversion& r) {
    stop();
    if (r.result == kFailed) {
        exclaim(prompts_, LoadResString(kResConversionError) + pathText(r.failedFile));
        if (!r.detail.empty()) {
            site_.Note(r.detail);
        }
        return RunOutcome::FileFailed;
    }
    exclaim(prompts_, LoadResString(kResReadOnlyFile) + "\r\n" + pathText(r.failedFile));
    return RunOutcome::FileReadOnly;
}

RunOutcome Run::nothingToConvert(const RunProject& project) {
    stop();
    inform(prompts_, LoadResString(kResNothingToConvert));
    // Why there was nothing: the versions the project does use, so a wrong source shows, and a
    // reminder when what was given does not look like a project file at all.
    std::string used;
    for (std::int16_t row : ReferencedGridRows(project.file)) {
        used += (used.empty() ? "" : ", ") + DisplayName(row) + " (" + std::to_string(row) + ")";
    }
    if (used.empty()) {
        site_.Note(
            "このプロジェクトはどのグリッドも参照していません。 / The project references none "
            "of the known grids.");
    } else {
        site_.Note("このプロジェクトが参照しているグリッド: " + used +
                   "\nGrids the project references: " + used);
    }
    noteIfNoProjectFile(project.file);
    return RunOutcome::NothingToConvert;
}

RunOutcome Run::commit(const RunProject& project) {
    CommitResult c = CommitPendingFiles(conv_, CommitJournalFor(project.file));
    if (!c.ok) {
        endBusy();
        exclaim(prompts_, std::string(kCommitFailedText) + "\r\n" + pathText(c.failedFile));
        if (!c.message.empty()) {
            site_.Note(pathText(c.failedFile) + ": " + c.message);
        }
        if (!c.notRestored.empty()) {
            std::string list;
            for (const auto& f : c.notRestored) {
                list += "\r\n" + pathText(f);
            }
            exclaim(prompts_, std::string(kNotRestoredText) + "\r\n" + list);
        }
        return RunOutcome::CommitFailed;
    }
    site_.ReopenProject(project.file);
    endBusy();
    inform(prompts_, LoadResString(kResConverted));
    return RunOutcome::Converted;
}

} // namespace

bool MigrationSite::AllowFilesOutside(const std::vector<fs::path>& files, Prompts& prompts) {
    return prompts.askYesNo("", OutsideFilesQuestion(files));
}

std::string OutsideFilesQuestion(const std::vector<fs::path>& files) {
    std::string text = "次のﾌｧｲﾙはﾌﾟﾛｼﾞｪｸﾄのﾌｫﾙﾀﾞｰの外にあります。\r\n";
    for (const auto& f : files) {
        text += "\r\n" + pathText(f);
    }
    return text + "\r\n\r\nこれらのﾌｧｲﾙも変換しますか？";
}

RunOutcome RunMigration(MigrationSite& site, Prompts& prompts, std::int16_t from, std::int16_t to,
                        const RunOptions& options) {
    Run run(site, prompts, from, to, options);
    return run.go();
}

std::string DataControlWarning(std::int16_t from, std::int16_t to) {
    std::string lineA;
    if (IsOleDbRow(from) && !IsOleDbRow(to)) {
        lineA = "DAC/RDC ﾊﾞｰｼﾞｮﾝのｸﾞﾘｯﾄﾞへ変換すると、OLE DBﾃﾞｰﾀ･ｺﾝﾄﾛｰﾙ(ADODC)";
    } else if (from != 5 && !IsOleDbRow(from) && IsOleDbRow(to)) {
        lineA = "OLE DB ﾊﾞｰｼﾞｮﾝのｸﾞﾘｯﾄﾞへ変換すると、従来のﾃﾞｰﾀ･ｺﾝﾄﾛｰﾙ(DAC/RDC)";
    }
    if (lineA.empty()) {
        return {};
    }
    return "！注意！\r\r" + lineA + "\rを使用したﾊﾞｳﾝﾄﾞ ｸﾞﾘｯﾄﾞは動作しなくなります！\r\r" +
           "詳しくは、製品のﾏﾆｭｱﾙまたはｵﾝﾗｲﾝﾍﾙﾌﾟを参照してください。\r\r処理を続けますか？";
}

std::string StatusConverting(std::string_view label) {
    return std::string(label) + "を変換中 ...";
}

std::string StatusDone(std::string_view label) {
    return std::string(label) + "を変換中 ... \r\n  完了!";
}

std::vector<std::int16_t> ReferencedGridRows(const fs::path& projectFile) {
    std::vector<std::int16_t> rows;
    std::string data;
    try {
        data = ReadFileBytes(projectFile);
    } catch (const std::exception&) {
        return rows;
    }
    LoadGridVersions();
    LineReader reader(data);
    while (!reader.AtEnd()) {
        std::string_view line = reader.Next();
        if (!vbtext::StartsWithNoCase(line, "Object={") || line.size() < 44) {
            continue;
        }
        for (std::int16_t row = 1; row <= kGridVersionRows; ++row) {
            if (vbtext::EqualsNoCase(line.substr(8, 36), Versions().Item(row)->LIBID)) {
                rows.push_back(row);
            }
        }
    }
    return rows;
}

} // namespace gridmover
