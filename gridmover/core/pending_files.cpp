#include "gridmover/core/pending_files.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <map>
#include <optional>
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

namespace {

// The files one commit makes, removed again on every way out unless taken into place: the
// copies beside the originals ("<original>.gmnew") and the old contents' second names
// ("<original>.gmold").
class CommitFiles {
public:
    ~CommitFiles() {
        for (const auto& [file, live] : made_) {
            if (live) {
                ::unlink(file.c_str());
            }
        }
    }
    // Listed before the file is made: a copy that fails half-way (a full disk) is removed too.
    // The number given back names the file for taken.
    std::size_t made(const fs::path& file) {
        made_.emplace_back(file.native(), true);
        return made_.size() - 1;
    }
    const std::string& file(std::size_t made) const { return made_[made].first; }
    // The file has taken an original's name (or must stay): not removed.
    void taken(std::size_t made) { made_[made].second = false; }

private:
    // Names as text: a project has thousands of files, and a path object costs more memory.
    std::vector<std::pair<std::string, bool>> made_;
};

// Copies from into a new file to that gets mode: the way onto another file system, or past a
// mount point that a rename cannot cross. files lists to before it exists.
bool copyBeside(const fs::path& from, const fs::path& to, mode_t mode, CommitFiles& files,
                std::size_t& made, std::string& why) {
    made = files.made(to);
    std::error_code ec;
    if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec)) {
        why = ec.message();
        return false;
    }
    if (::chmod(to.c_str(), mode) != 0) {
        why = lastError();
        return false;
    }
    return true;
}

} // namespace

CommitResult CommitPendingFiles(modConvert& conv) {
    CommitResult result;
    const auto& originals = conv.OriginalFiles;
    const auto& temps = conv.TempFiles;
    const std::size_t n = std::min(originals.size(), temps.size());
    std::vector<fs::path> ready; // the file that will take each original's name
    // Each ready file's number in the commit's files, when the commit made it (a copy).
    std::vector<std::optional<std::size_t>> readyMade;
    std::vector<mode_t> modes; // each original's permissions
    // Each swap done so far: the old content's second name (by its number in the commit's files)
    // and whether that is a hard link (the original still had its name until its new content was
    // renamed onto it).
    struct Kept {
        std::size_t made;
        bool linked;
        bool swapped = false;
    };
    std::vector<Kept> kept;
    std::vector<bool> moved(n, false); // the temporary file itself took the original's name
    CommitFiles made;
    FolderDevices devices;

    auto fail = [&](const fs::path& file, const std::string& why) {
        result.ok = false;
        result.failedFile = file;
        result.message = why;
    };

    try {
        // 1. Put every new content on the original's file system: a temporary copy that is
        //    already there is used as it is (the usual case, and much cheaper than copying), any
        //    other is copied next to its original. Either way the swap below is a set of renames
        //    that cannot run out of space half-way. The new file gets the original's permissions.
        for (std::size_t i = 0; i < n; ++i) {
            struct stat orig {};
            if (::stat(originals[i].c_str(), &orig) != 0) {
                fail(originals[i], lastError());
                break;
            }
            modes.push_back(orig.st_mode & 07777);
            fs::path folder =
                originals[i].parent_path().empty() ? fs::path(".") : originals[i].parent_path();
            fs::path file = temps[i];
            struct stat now {};
            dev_t folderDev{};
            const bool tempFound = ::stat(temps[i].c_str(), &now) == 0;
            if (!tempFound || !devices.get(folder, folderDev) || now.st_dev != folderDev) {
                file = besideOriginal(originals[i], ".gmnew");
                std::string why;
                std::size_t copyMade = 0;
                const bool copied = copyBeside(temps[i], file, modes[i], made, copyMade, why);
                readyMade.resize(i + 1);
                readyMade[i] = copyMade;
                if (!copied) {
                    fail(originals[i], why);
                    break;
                }
            } else if ((now.st_mode & 07777) != modes[i] && ::chmod(file.c_str(), modes[i]) != 0) {
                fail(originals[i], lastError());
                break;
            }
            ready.push_back(file);
            readyMade.resize(i + 1);
        }

        // 2. Swap: keep the old content under a second name (a hard link, or a rename where the
        //    file system has none), then move the new content in with one atomic rename. A
        //    rename that cannot cross a mount point (a bind mount of the temporary folder's file
        //    system looks like the same device) goes by a copy beside the original instead.
        for (std::size_t i = 0; i < n && result.ok; ++i) {
            fs::path old = besideOriginal(originals[i], ".gmold");
            const std::size_t oldMade = made.made(old);
            int linked = ::link(originals[i].c_str(), old.c_str());
            if (linked != 0 && errno == EEXIST) {
                ::unlink(old.c_str()); // a leftover of an interrupted run
                linked = ::link(originals[i].c_str(), old.c_str());
            }
            if (linked != 0 && ::rename(originals[i].c_str(), old.c_str()) != 0) {
                fail(originals[i], lastError());
                break;
            }
            kept.push_back({oldMade, linked == 0});
            if (::rename(ready[i].c_str(), originals[i].c_str()) != 0) {
                if (errno != EXDEV) {
                    fail(originals[i], lastError());
                    break;
                }
                fs::path copy = besideOriginal(originals[i], ".gmnew");
                std::string why;
                std::size_t copyMade = 0;
                if (!copyBeside(ready[i], copy, modes[i], made, copyMade, why) ||
                    ::rename(copy.c_str(), originals[i].c_str()) != 0) {
                    fail(originals[i], why.empty() ? lastError() : why);
                    break;
                }
                made.taken(copyMade);
            } else {
                if (readyMade[i]) {
                    made.taken(*readyMade[i]);
                }
                moved[i] = ready[i] == temps[i];
            }
            kept.back().swapped = true;
        }
    } catch (const std::exception& e) {
        // Only an allocation can throw here; whatever was done is undone below.
        if (result.ok) {
            fail(kept.size() < n ? originals[kept.size()] : fs::path(), e.what());
        }
    }

    if (!result.ok) {
        // Roll back, each original by its own name: a swapped one gets its old content back by a
        // rename; one whose old content was only linked still has it, and its second name goes
        // (renaming a hard link onto another name of the same file would do nothing and leave
        // the ".gmold" behind).
        for (std::size_t i = 0; i < kept.size(); ++i) {
            if (kept[i].swapped || !kept[i].linked) {
                // Should the rename fail, the ".gmold" is the only old content left: kept.
                ::rename(made.file(kept[i].made).c_str(), originals[i].c_str());
                made.taken(kept[i].made);
            }
        }
    }
    // The second names of old contents (after success), the copies that were not used and the
    // temporary files that were not renamed into place.
    for (std::size_t i = 0; i < temps.size(); ++i) {
        if (i >= n || !moved[i]) {
            ::unlink(temps[i].c_str());
        }
    }
    clearLists(conv);
    return result;
}

} // namespace gridmover
