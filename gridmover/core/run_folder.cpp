#include "gridmover/core/run_folder.h"

#include "foundation/utf8_path.h"

#include <system_error>

namespace gridmover {

namespace fs = std::filesystem;

namespace {
constexpr std::string_view kPrefix = "gridmover-";
}

std::string RunFolderName(long pid) {
    return std::string(kPrefix) + std::to_string(pid);
}

long RunFolderProcess(const std::string& name) {
    if (name.size() <= kPrefix.size() || name.size() > kPrefix.size() + 9 ||
        name.compare(0, kPrefix.size(), kPrefix) != 0) {
        return -1;
    }
    long pid = 0;
    for (std::size_t i = kPrefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return -1;
        }
        pid = pid * 10 + (name[i] - '0');
    }
    return pid > 0 ? pid : -1;
}

void RemoveStaleRunFolders(const fs::path& parent) {
    const long self = CurrentProcessId();
    std::error_code ec;
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
        const long pid = RunFolderProcess(utf8::fromPath(it->path().filename()));
        if (pid <= 0 || pid == self || ProcessIsRunning(pid) || !IsOwnFolder(it->path())) {
            continue;
        }
        std::error_code removeError;
        fs::remove_all(it->path(), removeError); // links inside are removed, never followed
    }
}

} // namespace gridmover
