// Windows: std::filesystem::equivalent compares volume serial number and file index; names of
// files that do not exist yet compare without letter case, as the file system looks them up.
#include "citylink/app/file_identity.h"

#include "foundation/platform/win32/windows_include.h"

#include <system_error>

namespace citylink {

namespace fs = std::filesystem;

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec) && !ec)
        return true;
    std::error_code ea, eb;
    // Windows resolves "." and ".." by the name alone (as GetFullPathNameW does).
    const std::wstring ra =
        fs::weakly_canonical(fs::absolute(a, ea).lexically_normal(), ea).wstring();
    const std::wstring rb =
        fs::weakly_canonical(fs::absolute(b, eb).lexically_normal(), eb).wstring();
    return !ea && !eb &&
           CompareStringOrdinal(ra.c_str(), static_cast<int>(ra.size()), rb.c_str(),
                                static_cast<int>(rb.size()), TRUE) == CSTR_EQUAL;
}

} // namespace citylink
