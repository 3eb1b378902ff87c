#include "gridmover/core/pending_files.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
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

// The device of each folder the originals are in: a project has few folders and many files.
class FolderDevices {
public:
    // False when the folder cannot be looked up.
    bool get(const fs::path& folder, dev_t& dev) {
        auto at = devices_.find(folder);
        if (at == devices_.end()) {
            struct stat st {};
            if (::stat(folder.c_str(), &st) != 0) {
                return false; // not remembered: a later file may find it
            }
            at = devices_.emplace(folder, st.st_dev).first;
        }
        dev = at->second;
        return true;
    }

private:
    std::map<fs::path, dev_t> devices_;
};

std::string lastError() {
    return std::error_code(errno, std::generic_category()).message();
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
    std::vector<fs::path> ready; // the file that will take each original's name
    std::vector<fs::path> kept;  // "<original>.gmold": the old content until every swap is done
    std::vector<fs::path> staged;
    std::vector<std::size_t> renamed; // pairs whose temporary file now carries the original's name
    FolderDevices devices;

    auto fail = [&](const fs::path& file, const std::string& why) {
        result.ok = false;
        result.failedFile = file;
        result.message = why;
    };

    // 1. Put every new content on the original's file system: a temporary copy that is already
    //    there is used as it is (the usual case, and much cheaper than copying), any other is
    //    copied next to its original. Either way the swap below is a set of renames that cannot
    //    run out of space half-way. The new file gets the original's permissions.
    for (std::size_t i = 0; i < n; ++i) {
        struct stat orig {};
        if (::stat(originals[i].c_str(), &orig) != 0) {
            fail(originals[i], lastError());
            break;
        }
        fs::path folder =
            originals[i].parent_path().empty() ? fs::path(".") : originals[i].parent_path();
        fs::path file = temps[i];
        struct stat now {};
        dev_t folderDev{};
        const bool tempFound = ::stat(temps[i].c_str(), &now) == 0;
        if (!tempFound || !devices.get(folder, folderDev) || now.st_dev != folderDev) {
            file = besideOriginal(originals[i], ".gmnew");
            std::error_code ec;
            if (!fs::copy_file(temps[i], file, fs::copy_options::overwrite_existing, ec)) {
                fail(originals[i], ec.message());
                break;
            }
            staged.push_back(file);
            if (::stat(file.c_str(), &now) != 0) {
                fail(originals[i], lastError());
                break;
            }
        }
        if ((now.st_mode & 07777) != (orig.st_mode & 07777) &&
            ::chmod(file.c_str(), orig.st_mode & 07777) != 0) {
            fail(originals[i], lastError());
            break;
        }
        ready.push_back(file);
    }

    // 2. Swap: keep the old content under a second name (a hard link, or a rename where the file
    //    system has none), then move the new content in with one atomic rename.
    for (std::size_t i = 0; i < n && result.ok; ++i) {
        fs::path old = besideOriginal(originals[i], ".gmold");
        int linked = ::link(originals[i].c_str(), old.c_str());
        if (linked != 0 && errno == EEXIST) {
            ::unlink(old.c_str()); // a leftover of an interrupted run
            linked = ::link(originals[i].c_str(), old.c_str());
        }
        if (linked != 0 && ::rename(originals[i].c_str(), old.c_str()) != 0) {
            fail(originals[i], lastError());
            break;
        }
        kept.push_back(old);
        if (::rename(ready[i].c_str(), originals[i].c_str()) != 0) {
            fail(originals[i], lastError());
            break;
        }
        renamed.push_back(i);
    }

    if (!result.ok) {
        // Roll back: every kept old content goes back to its name.
        for (std::size_t i = 0; i < kept.size(); ++i) {
            ::rename(kept[i].c_str(), originals[i].c_str());
        }
        for (const auto& s : staged) {
            ::unlink(s.c_str());
        }
    } else {
        for (const auto& old : kept) {
            ::unlink(old.c_str());
        }
    }
    // The temporary files that were not renamed into place.
    std::vector<bool> moved(n, false);
    for (std::size_t i : renamed) {
        moved[i] = ready[i] == temps[i];
    }
    for (std::size_t i = 0; i < temps.size(); ++i) {
        if (i >= n || !moved[i]) {
            ::unlink(temps[i].c_str());
        }
    }
    clearLists(conv);
    return result;
}

} // namespace gridmover
