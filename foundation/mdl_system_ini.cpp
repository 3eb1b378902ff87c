#include "foundation/mdl_system_ini.h"

#include "foundation/cp932.h"
#include "foundation/pause_point.h"
#include "foundation/profile_file.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace MdlSystemINI {
namespace {

// The whole file, or nullopt when it cannot be opened or read.
std::optional<std::string> readFile(const fs::path& file) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string bytes;
    char buf[8192];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Temporaries are named "<settings file>.<pid>.<n>.tmp" beside the file.
fs::path tempName(const fs::path& target, unsigned n) {
    fs::path name = target;
    name += "." + std::to_string(::getpid()) + "." + std::to_string(n) + ".tmp";
    return name;
}

// The process id of a temporary of ours for `target`, or 0 when `name` is no such name.
pid_t tempOwner(const std::string& targetName, const std::string& name) {
    if (name.size() <= targetName.size() + 1 || name.compare(0, targetName.size(), targetName) != 0)
        return 0;
    std::string_view rest(name);
    rest.remove_prefix(targetName.size());
    // ".<pid>.<n>.tmp"
    auto digits = [&](std::string_view& s) {
        std::size_t n = 0;
        while (n < s.size() && s[n] >= '0' && s[n] <= '9')
            ++n;
        std::string_view d = s.substr(0, n);
        s.remove_prefix(n);
        return d;
    };
    if (rest.empty() || rest.front() != '.')
        return 0;
    rest.remove_prefix(1);
    std::string_view pid = digits(rest);
    if (pid.empty() || pid.size() > 9 || rest.empty() || rest.front() != '.')
        return 0;
    rest.remove_prefix(1);
    if (digits(rest).empty() || rest != ".tmp")
        return 0;
    return static_cast<pid_t>(std::stol(std::string(pid)));
}

// Removes temporaries of ours beside `target` that a killed process left: their process is gone.
// A temporary of a live process (another program writing the same file now) is left alone.
void removeStaleTemps(const fs::path& target) {
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const std::string targetName = target.filename().string();
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        pid_t owner = tempOwner(targetName, it->path().filename().string());
        if (owner <= 0 || owner == ::getpid())
            continue;
        if (::kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        std::error_code ignored;
        if (it->is_regular_file(ignored))
            fs::remove(it->path(), ignored);
    }
}

// A fresh temporary file beside `target` (same folder, so that rename() replaces the target in one
// step on the same file system). The mode 0666 is narrowed by the umask as for any new file.
int createTemp(const fs::path& target, fs::path& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = tempName(target, counter++);
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            tempPath = candidate;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

// Gives the unnamed file `fd` (O_TMPFILE) a temporary name beside `target`.
bool linkTemp(int fd, const fs::path& target, fs::path& tempPath) {
    static std::atomic<unsigned> counter{0};
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = tempName(target, 1000000 + counter++);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            tempPath = candidate;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// Replaces (or creates) target with bytes so that a reader sees either the old or the new file,
// never a part: the Windows functions rewrite the file in place, and a crash or a full disk
// half-way left a truncated settings file. Returns false with the target unchanged on failure.
//
// The new file is written unnamed (O_TMPFILE) where the file system allows, so that a process
// killed while writing leaves nothing behind; it gets a temporary name only for the rename.
// Temporaries that a killed process left under our naming are removed on the next write.
bool replaceFile(const fs::path& target, const struct stat* original, std::string_view bytes) {
    removeStaleTemps(target);
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    fs::path temp;
    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    const bool unnamed = fd >= 0;
    if (!unnamed)
        fd = createTemp(target, temp);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes);
    if (ok && original) {
        // Keep the file's permissions and, where we may, its owner (root editing a user's file).
        ok = ::fchmod(fd, original->st_mode & 07777) == 0;
        if (ok && ::fchown(fd, original->st_uid, original->st_gid) != 0) {
            // Not allowed for an ordinary user when the group differs: keep the new file's owner.
        }
    }
    ok = ok && ::fsync(fd) == 0;
    pausePoint("ini-written");
    if (ok && unnamed)
        ok = linkTemp(fd, target, temp);
    ok = (::close(fd) == 0) && ok;
    if (ok)
        pausePoint("ini-linked");
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        if (!temp.empty())
            ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here leaves a complete file either way.
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

// The checks of a write on `file`, then the new bytes from `edit` and the replacement. Returns
// PutIniString's result.
template <class Edit>
long rewrite(const fs::path& file, Edit edit) {
    // A link to the settings file stays a link: we replace the file it points to.
    fs::path target = file;
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(file, ec))) {
        target = fs::weakly_canonical(file, ec);
        if (ec)
            return 0;
    }

    struct stat st {};
    bool exists = ::stat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT)
        return 0;
    std::string oldBytes;
    if (exists) {
        if (!S_ISREG(st.st_mode))
            return 0;
        // A read-only file stays as it is, as on Windows; rename() alone would replace it.
        if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)
            return 0;
        auto bytes = readFile(target);
        if (!bytes)
            return 0;
        oldBytes = std::move(*bytes);
    }
    // A missing folder is a failure, never created: the temporary cannot be made in it.
    std::string newBytes = edit(oldBytes);
    if (exists && newBytes == oldBytes)
        return 1;
    return replaceFile(target, exists ? &st : nullptr, newBytes) ? 1 : 0;
}

struct Setting {
    std::string key, value; // CP932
};

std::vector<Setting> checkedSettings(std::string_view section, const std::string& sectionBytes,
                                     const std::vector<std::pair<std::string, std::string>>& in) {
    std::vector<Setting> out;
    out.reserve(in.size());
    for (const auto& [key, value] : in) {
        Setting s{cp932::fromUtf8(key), cp932::fromUtf8(value)};
        if (auto problem = profile_file::writeProblem(sectionBytes, s.key, s.value))
            throw std::invalid_argument("cannot write the setting " + std::string(key) + " of " +
                                        std::string(section) + ": " + *problem);
        out.push_back(std::move(s));
    }
    return out;
}

} // namespace

std::string GetIniString(const fs::path& file, std::string_view section, std::string_view key) {
    std::error_code ec;
    auto st = fs::status(file, ec);
    if (ec || !fs::exists(st) || fs::is_directory(st))
        return {};
    std::string sectionBytes = cp932::fromUtf8(section);
    std::string keyBytes = cp932::fromUtf8(key);
    auto bytes = readFile(file);
    if (!bytes)
        throw std::runtime_error("cannot read the settings file " + file.string());
    return cp932::toUtf8(profile_file::getString(*bytes, sectionBytes, keyBytes));
}

long PutIniString(const fs::path& file, std::string_view section, std::string_view key,
                  std::string_view value) {
    return PutIniStrings(file, section, {{std::string(key), std::string(value)}});
}

long PutIniStrings(const fs::path& file, std::string_view section,
                   const std::vector<std::pair<std::string, std::string>>& values) {
    const std::string sectionBytes = cp932::fromUtf8(section);
    const std::vector<Setting> settings = checkedSettings(section, sectionBytes, values);
    return rewrite(file, [&](const std::string& oldBytes) {
        std::string bytes = oldBytes;
        for (const Setting& s : settings)
            bytes = profile_file::setValue(bytes, sectionBytes, s.key, s.value);
        return bytes;
    });
}

} // namespace MdlSystemINI
