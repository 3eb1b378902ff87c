#pragma once
// Committing or discarding the pairs (original, temporary copy) that the converters recorded, and
// finishing a commit that was interrupted (a kill, a power cut). Commit and discard empty the
// lists on every way out.
#include "gridmover/core/commit_io.h"
#include "gridmover/core/mod_convert.h"

#include <filesystem>
#include <string>
#include <vector>

namespace gridmover {

struct CommitResult {
    bool ok = true;
    std::filesystem::path failedFile; // the original that could not be replaced
    std::string message;              // the system's reason, for the log
    // After a failure: the originals whose old content could not be put back. Each keeps its old
    // content beside it ("<original>.gmold"), and the journal stays, so that the next run
    // restores them (RecoverInterruptedCommit).
    std::vector<std::filesystem::path> notRestored;
};

// Replaces every original by its temporary copy, all or nothing. Every new content is first put
// on its original's file system (moved when the temporary folder is on it, else copied beside the
// original), then the originals are swapped in by renames, their old contents kept until every
// swap has succeeded. On any failure every original keeps (or gets back) its old content and the
// result names the file; an original that cannot get it back is named in notRestored with its old
// content left beside it. The originals keep their permissions. The temporary files are gone and
// the lists empty in every case.
//
// journal (when not empty) records the commit while it runs: the originals before the first swap,
// then the moment all are swapped. A commit that is killed leaves it behind, and
// RecoverInterruptedCommit puts the project back as it was before, or completes it, from it.
CommitResult CommitPendingFiles(modConvert& conv, const std::filesystem::path& journal = {},
                                CommitIo& io = SystemCommitIo());

// Deletes every temporary copy and empties the lists (errors while deleting are ignored).
void DiscardPendingFiles(modConvert& conv);

// The journal of a project's commit: "<project file>.gmjournal" beside it.
std::filesystem::path CommitJournalFor(const std::filesystem::path& projectFile);

struct Recovery {
    bool found = false;     // a journal was there: a commit had been interrupted
    bool completed = false; // it had swapped every file: only its leftovers were removed
    std::vector<std::filesystem::path> restored;    // originals given back their old content
    std::vector<std::filesystem::path> notRestored; // could not be (old content still beside)
};

// Finishes the commit journal records, if there is one: an interrupted swap is rolled back file
// by file (each original gets back the old content kept beside it), a commit that had swapped
// everything keeps the new contents; the kept old contents, copies and the journal go. The
// journal stays while an original could not be restored.
Recovery RecoverInterruptedCommit(const std::filesystem::path& journal,
                                  CommitIo& io = SystemCommitIo());

} // namespace gridmover
