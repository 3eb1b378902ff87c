#include "foundation/mdl_system_ini.h"

#include "foundation/cp932.h"
#include "foundation/profile_file.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <stdexcept>
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

// A fresh temporary file beside `target` (same folder, so that rename() replaces the target in one
// step on the same file system). The mode 0666 is narrowed by the umask as for any new file.
int createTemp(const fs::path& target, fs::path& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = target;
        candidate += "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + ".tmp";
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

// Replaces (or creates) target with bytes so that a reader sees either the old or the new file,
// never a part: the Windows functions rewrite the file in place, and a crash or a full disk
// half-way left a truncated settings file. Returns false with the target unchanged on failure.
bool replaceFile(const fs::path& target, const struct stat* original, std::string_view bytes) {
    fs::path temp;
    int fd = createTemp(target, temp);
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
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here leaves a complete file either way.
    int dir = ::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
                     O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
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
    std::string sectionBytes = cp932::fromUtf8(section);
    std::string keyBytes = cp932::fromUtf8(key);
    std::string valueBytes = cp932::fromUtf8(value);
    if (auto problem = profile_file::writeProblem(sectionBytes, keyBytes, valueBytes))
        throw std::invalid_argument("cannot write the setting " + std::string(key) + ": " +
                                    *problem);

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
    // A missing folder is a failure, never created: createTemp fails in it.
    std::string newBytes = profile_file::setValue(oldBytes, sectionBytes, keyBytes, valueBytes);
    if (exists && newBytes == oldBytes)
        return 1;
    return replaceFile(target, exists ? &st : nullptr, newBytes) ? 1 : 0;
}

} // namespace MdlSystemINI
