#include "gridmover/core/pending_files.h"

#include "foundation/utf8_path.h"
#include "gridmover/core/file_access.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <exception>
#include <map>
#include <optional>
#include <system_error>
#include <vector>

namespace gridmover {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kJournalHeader = "gridmover commit journal 1\n";
constexpr std::string_view kJournalCommitted = "committed\n";

void clearLists(modConvert& conv) {
    conv.OriginalFiles.clear();
    conv.TempFiles.clear();
    conv.PendingKinds.clear();
    conv.BlobPatches.clear();
}

fs::path besideOriginal(const fs::path& original, const char* suffix) {
    return fs::path(original).concat(suffix);
}

std::string errorText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

// One path a line: "%", CR and LF escaped, so that any file name survives the journal.
// The path as UTF-8 (its bytes on Linux).
std::string escapePath(const fs::path& p) {
    std::string out;
    for (char c : utf8::fromPath(p)) {
        if (c == '%') {
            out += "%25";
        } else if (c == '\n') {
            out += "%0A";
        } else if (c == '\r') {
            out += "%0D";
        } else {
            out += c;
        }
    }
    return out;
}

fs::path unescapePath(std::string_view line) {
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '%' && i + 2 < line.size()) {
            const std::string_view code = line.substr(i + 1, 2);
            out += code == "25" ? '%' : code == "0A" ? '\n' : code == "0D" ? '\r' : '?';
            i += 2;
        } else {
            out += line[i];
        }
    }
    return utf8::toPath(out);
}

// The device of each folder the originals are in: a project has few folders and many files.
class FolderDevices {
public:
    explicit FolderDevices(CommitIo& io) : io_(io) {}
    // False when the folder cannot be looked up.
    bool get(const fs::path& folder, std::uint64_t& dev) {
        auto at = devices_.find(folder);
        if (at == devices_.end()) {
            FileStatus st;
            if (io_.Stat(folder, st) != 0) {
                return false; // not remembered: a later file may find it
            }
            at = devices_.emplace(folder, st.device).first;
        }
        dev = at->second;
        return true;
    }

private:
    CommitIo& io_;
    std::map<fs::path, std::uint64_t> devices_;
};

// The files one commit makes beside the originals, removed again unless taken into place: the
// copies ("<original>.gmnew") and the old contents' second names ("<original>.gmold").
class CommitFiles {
public:
    explicit CommitFiles(CommitIo& io) : io_(io) {}
    // Should anything be left (an error before cleanUp), it goes now.
    ~CommitFiles() { cleanUp(); }
    // Listed before the file is made: a copy that fails half-way (a full disk) is removed too.
    // The number given back names the file for taken.
    std::size_t made(const fs::path& file) {
        made_.emplace_back(file.native(), true);
        return made_.size() - 1;
    }
    const fs::path::string_type& file(std::size_t made) const { return made_[made].first; }
    // The file has taken an original's name (or must stay): not removed.
    void taken(std::size_t made) { made_[made].second = false; }
    // Removes every file not taken; false when one of them could not be removed.
    bool cleanUp() {
        bool all = true;
        for (auto& [file, live] : made_) {
            if (live) {
                const int e = io_.Unlink(file);
                all = all && (e == 0 || e == ENOENT);
                live = false;
            }
        }
        return all;
    }

private:
    CommitIo& io_;
    // Names as text: a project has thousands of files, and a path object costs more memory.
    std::vector<std::pair<fs::path::string_type, bool>> made_;
};

// Copies from into a new file to that gets mode: the way onto another file system, or past a
// mount point that a rename cannot cross. files lists to before it exists.
bool copyBeside(CommitIo& io, const fs::path& from, const fs::path& to, unsigned mode,
                CommitFiles& files, std::size_t& made, std::string& why) {
    made = files.made(to);
    if (int e = io.Copy(from, to); e != 0) {
        why = errorText(e);
        return false;
    }
    if (int e = io.Chmod(to, mode); e != 0) {
        why = errorText(e);
        return false;
    }
    return true;
}

std::string journalText(const std::vector<fs::path>& originals, bool committed) {
    std::string text(kJournalHeader);
    for (const auto& o : originals) {
        std::error_code ec;
        fs::path absolute = fs::absolute(o, ec);
        text += escapePath(ec ? o : absolute) + "\n";
    }
    if (committed) {
        text += kJournalCommitted;
    }
    return text;
}

} // namespace

void DiscardPendingFiles(modConvert& conv) {
    for (const auto& t : conv.TempFiles) {
        std::error_code ec;
        fs::remove(t, ec);
    }
    clearLists(conv);
}

fs::path CommitJournalFor(const fs::path& projectFile) {
    return besideOriginal(projectFile, ".gmjournal");
}

CommitResult CommitPendingFiles(modConvert& conv, const fs::path& journal, CommitIo& io) {
    CommitResult result;
    const auto& originals = conv.OriginalFiles;
    const auto& temps = conv.TempFiles;
    const std::size_t n = std::min(originals.size(), temps.size());
    std::vector<fs::path> ready; // the file that will take each original's name
    // Each ready file's number in the commit's files, when the commit made it (a copy).
    std::vector<std::optional<std::size_t>> readyMade;
    std::vector<unsigned> modes; // each original's permissions
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
    CommitFiles made(io);
    FolderDevices devices(io);
    bool journalWritten = false;

    auto fail = [&](const fs::path& file, const std::string& why) {
        result.ok = false;
        result.failedFile = file;
        result.message = why;
    };

    try {
        // 0. The journal names every original before anything is made beside one of them: a
        //    commit killed from here on is found and undone (or completed) by the next run.
        if (!journal.empty()) {
            const std::vector<fs::path> list(originals.begin(), originals.begin() + n);
            if (int e = io.WriteDurably(journal, journalText(list, false)); e != 0) {
                fail(journal, errorText(e));
            } else {
                journalWritten = true;
            }
        }

        // 1. Put every new content on the original's file system: a temporary copy that is
        //    already there is used as it is (the usual case, and much cheaper than copying), any
        //    other is copied next to its original. Either way the swap below is a set of renames
        //    that cannot run out of space half-way. The new file gets the original's permissions.
        for (std::size_t i = 0; i < n && result.ok; ++i) {
            FileStatus orig;
            if (int e = io.Stat(originals[i], orig); e != 0) {
                fail(originals[i], errorText(e));
                break;
            }
            modes.push_back(orig.permissions);
            fs::path folder =
                originals[i].parent_path().empty() ? fs::path(".") : originals[i].parent_path();
            fs::path file = temps[i];
            FileStatus now;
            std::uint64_t folderDev = 0;
            const bool tempFound = io.Stat(temps[i], now) == 0;
            readyMade.resize(i + 1);
            if (!tempFound || !devices.get(folder, folderDev) || now.device != folderDev) {
                file = besideOriginal(originals[i], ".gmnew");
                std::string why;
                std::size_t copyMade = 0;
                const bool copied = copyBeside(io, temps[i], file, modes[i], made, copyMade, why);
                readyMade[i] = copyMade;
                if (!copied) {
                    fail(originals[i], why);
                    break;
                }
            } else if (now.permissions != modes[i]) {
                if (int e = io.Chmod(file, modes[i]); e != 0) {
                    fail(originals[i], errorText(e));
                    break;
                }
            }
            ready.push_back(file);
        }

        // 2. Swap: keep the old content under a second name (a hard link, or a rename where the
        //    file system has none), then move the new content in with one atomic rename. A
        //    rename that cannot cross a mount point (a bind mount of the temporary folder's file
        //    system looks like the same device) goes by a copy beside the original instead.
        for (std::size_t i = 0; i < n && result.ok; ++i) {
            fs::path old = besideOriginal(originals[i], ".gmold");
            const std::size_t oldMade = made.made(old);
            int linked = io.Link(originals[i], old);
            if (linked == EEXIST) {
                io.Unlink(old); // a leftover of an interrupted run
                linked = io.Link(originals[i], old);
            }
            if (linked != 0) {
                if (int e = io.Rename(originals[i], old); e != 0) {
                    fail(originals[i], errorText(e));
                    break;
                }
            }
            kept.push_back({oldMade, linked == 0});
            if (int e = io.Rename(ready[i], originals[i]); e != 0) {
                if (e != EXDEV) {
                    fail(originals[i], errorText(e));
                    break;
                }
                fs::path copy = besideOriginal(originals[i], ".gmnew");
                std::string why;
                std::size_t copyMade = 0;
                if (!copyBeside(io, ready[i], copy, modes[i], made, copyMade, why)) {
                    fail(originals[i], why);
                    break;
                }
                if (int r = io.Rename(copy, originals[i]); r != 0) {
                    fail(originals[i], errorText(r));
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

        // 3. Every original has its new content: the journal says so, which is the moment the
        //    commit counts as done (a kill after it is completed, not undone, by the next run).
        if (result.ok && journalWritten) {
            const std::vector<fs::path> list(originals.begin(), originals.begin() + n);
            if (int e = io.WriteDurably(journal, journalText(list, true)); e != 0) {
                fail(journal, errorText(e));
            }
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
        // the ".gmold" behind). An old content that cannot be put back stays where it is, and is
        // reported: it is the only copy left.
        for (std::size_t i = 0; i < kept.size(); ++i) {
            if (kept[i].swapped || !kept[i].linked) {
                if (io.Rename(made.file(kept[i].made), originals[i]) != 0) {
                    result.notRestored.push_back(originals[i]);
                }
                made.taken(kept[i].made);
            }
        }
    }
    // The second names of old contents (after success) and the copies that were not used; the
    // journal goes once nothing of the commit is left to finish.
    const bool clean = made.cleanUp();
    if (journalWritten && clean && result.notRestored.empty()) {
        io.Unlink(journal);
    }
    // The temporary files that were not renamed into place. They are in the run's own folder,
    // which goes with the run, so a failure here cannot leave anything in the project.
    for (std::size_t i = 0; i < temps.size(); ++i) {
        if (i >= n || !moved[i]) {
            std::error_code ec;
            fs::remove(temps[i], ec);
        }
    }
    clearLists(conv);
    return result;
}

Recovery RecoverInterruptedCommit(const fs::path& journal, CommitIo& io) {
    Recovery r;
    std::string text;
    try {
        FileStatus st;
        if (io.Stat(journal, st) != 0) {
            return r;
        }
        text = ReadFileBytes(journal);
    } catch (const std::exception&) {
        return r;
    }
    r.found = true;
    std::vector<fs::path> originals;
    std::string_view rest = text;
    if (rest.substr(0, kJournalHeader.size()) == kJournalHeader) {
        rest.remove_prefix(kJournalHeader.size());
        while (!rest.empty()) {
            std::size_t nl = rest.find('\n');
            std::string_view line = rest.substr(0, nl);
            rest.remove_prefix(nl == std::string_view::npos ? rest.size() : nl + 1);
            if (nl == std::string_view::npos) {
                break; // a line cut short: the journal was being written when the run ended
            }
            if (std::string(line) + "\n" == kJournalCommitted) {
                r.completed = true;
                break;
            }
            originals.push_back(unescapePath(line));
        }
    }
    bool clean = true;
    for (const auto& o : originals) {
        const fs::path old = besideOriginal(o, ".gmold");
        const fs::path copy = besideOriginal(o, ".gmnew");
        FileStatus oldSt;
        FileStatus origSt;
        if (io.Stat(old, oldSt) == 0) {
            const bool sameFile = io.Stat(o, origSt) == 0 && origSt.file == oldSt.file &&
                                  origSt.device == oldSt.device;
            if (r.completed || sameFile) {
                // Done, or never swapped: the second name only.
                const int e = io.Unlink(old);
                clean = clean && (e == 0 || e == ENOENT);
            } else if (io.Rename(old, o) == 0) {
                r.restored.push_back(o);
            } else {
                r.notRestored.push_back(o);
            }
        }
        const int e = io.Unlink(copy);
        clean = clean && (e == 0 || e == ENOENT);
    }
    if (clean && r.notRestored.empty()) {
        io.Unlink(journal);
    }
    return r;
}

} // namespace gridmover
