#pragma once
// The migration run's faces on a terminal, for gridmover-cli: the site reads the project from its
// file and prints one progress line per file on stdout; the prompts print every message on stderr,
// the run's Japanese text first and its English after, and answer the two questions from the
// command line.
#include "foundation/prompts.h"
#include "gridmover/core/migration_run.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace gridmover::host {

class TerminalSite : public MigrationSite {
public:
    // includeOutside: files outside the project's folder may be converted; a dry run shows
    // them whatever it says.
    TerminalSite(std::filesystem::path projectFile, bool quiet, bool includeOutside, bool dryRun,
                 std::FILE* out = stdout, std::FILE* err = stderr)
        : projectFile_(std::move(projectFile)), quiet_(quiet), includeOutside_(includeOutside),
          dryRun_(dryRun), out_(out), err_(err) {}

    // The project as its file lists it; throws std::runtime_error when it cannot be read.
    RunProject ActiveProject() override;
    void HideToolWindow() override {}
    void BeginBusy() override {}
    // A file's start and its "done" become one line: "<file>を変換中 ... 完了!", or the start
    // line alone for a file that did not change.
    void SetStatus(std::string_view text) override;
    void EndBusy() override { flush(); }
    void ReopenProject(const std::filesystem::path&) override {}
    void Note(std::string_view text) override;
    // Lists the files, on stdout when they are converted, on stderr when they stop the run.
    bool AllowFilesOutside(const std::vector<std::filesystem::path>& files,
                           Prompts& prompts) override;
    // The diff of every text file, every GUID replaced (old -> new), and that nothing was written.
    void ShowPendingChanges(const PendingChanges& changes, std::int16_t from,
                            std::int16_t to) override;

private:
    void flush();

    std::filesystem::path projectFile_;
    bool quiet_;
    bool includeOutside_;
    bool dryRun_;
    std::FILE* out_;
    std::FILE* err_;
    std::string pending_; // a start line not printed yet
};

class TerminalPrompts : public Prompts {
public:
    // yes answers the data-control warning.
    TerminalPrompts(bool yes, std::FILE* err = stderr) : yes_(yes), err_(err) {}

    void message(MsgIcon icon, std::string_view title, std::string_view text) override;
    bool askYesNo(std::string_view title, std::string_view text) override;
    std::optional<std::string> chooseOpenFile(const OpenFileRequest&) override {
        return std::nullopt;
    }

    // The English line for one of the run's messages ("" for a text it does not know).
    static std::string English(std::string_view japanese);

private:
    bool yes_;
    std::FILE* err_;
};

} // namespace gridmover::host
