#include "gridmover/core/pending_files.h"

#include "gridmover/core/file_access.h"

#include <algorithm>
#include <system_error>
#include <vector>

namespace gridmover {

namespace fs = std::filesystem;

namespace {

void clearLists(modConvert& conv) {
    conv.OriginalFiles.clear();
    conv.TempFiles.clear();
    conv.PendingKinds.clear();
    conv.BlobPatches.clear();
}

fs::path besideOriginal(const fs::path& original, const char* suffix) {
    return fs::path(original).concat(suffix);
}

} // namespace

void DiscardPendingFiles(modConvert& conv) {
    for (const auto& t : conv.TempFiles) {
        std::error_code ec;
        fs::remove(t, ec);
    }
    clearLists(conv);
}

CommitResult CommitPendingFiles(modConvert& conv) {
    CommitResult result;
    const auto& originals = conv.OriginalFiles;
    const auto& temps = conv.TempFiles;
    const std::size_t n = std::min(originals.size(), temps.size());
    std::vector<fs::path> staged; // "<original>.gmnew": the new content beside its original
    std::vector<fs::path> kept;   // "<original>.gmold": the old content until the end
    std::error_code ec;

    auto fail = [&](const fs::path& file, const std::string& why) {
        result.ok = false;
        result.failedFile = file;
        result.message = why;
    };

    // 1. Stage every new content in the original's folder (same file system, so that step 2 is
    //    a set of renames that cannot run out of space half-way).
    for (std::size_t i = 0; i < n && result.ok; ++i) {
        fs::path s = besideOriginal(originals[i], ".gmnew");
        if (!fs::copy_file(temps[i], s, fs::copy_options::overwrite_existing, ec)) {
            fail(originals[i], ec.message());
            break;
        }
        staged.push_back(s);
        fs::permissions(s, fs::status(originals[i], ec).permissions(), ec);
    }

    // 2. Swap: keep the old content under "<original>.gmold", move the new one in.
    for (std::size_t i = 0; i < n && result.ok; ++i) {
        fs::path old = besideOriginal(originals[i], ".gmold");
        fs::rename(originals[i], old, ec);
        if (ec) {
            fail(originals[i], ec.message());
            break;
        }
        kept.push_back(old);
        fs::rename(staged[i], originals[i], ec);
        if (ec) {
            fail(originals[i], ec.message());
            break;
        }
    }

    if (!result.ok) {
        // Roll back: every kept old content goes back to its name.
        for (std::size_t i = 0; i < kept.size(); ++i) {
            std::error_code ignore;
            fs::rename(kept[i], originals[i], ignore);
        }
        for (const auto& s : staged) {
            std::error_code ignore;
            fs::remove(s, ignore);
        }
    } else {
        for (const auto& old : kept) {
            std::error_code ignore;
            fs::remove(old, ignore);
        }
    }
    DiscardPendingFiles(conv);
    return result;
}

} // namespace gridmover
