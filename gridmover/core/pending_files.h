#pragma once
// Committing or discarding the pairs (original, temporary copy) that the converters recorded.
// Both empty the lists on every way out.
#include "gridmover/core/mod_convert.h"

#include <filesystem>
#include <string>

namespace gridmover {

struct CommitResult {
    bool ok = true;
    std::filesystem::path failedFile; // the original that could not be replaced
    std::string message;              // the system's reason, for the log
};

// Replaces every original by its temporary copy, all or nothing. Every new content is first put
// on its original's file system (moved when the temporary folder is on it, else copied beside the
// original), then the originals are swapped in by renames, their old contents kept until every
// swap has succeeded. On any failure every original keeps (or gets back) its old content and the
// result names the file. The originals keep their permissions. The temporary files are gone and
// the lists empty in both cases. (Where the platform cannot do this, a commit that fails half-way
// would leave a half-converted project: the reason for doing it this way.)
CommitResult CommitPendingFiles(modConvert& conv);

// Deletes every temporary copy and empties the lists (errors while deleting are ignored).
void DiscardPendingFiles(modConvert& conv);

} // namespace gridmover
