#include "citylink/app/file_identity.h"

#include <system_error>

namespace citylink {

namespace fs = std::filesystem;

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec) && !ec)
        return true;
    std::error_code ea, eb;
    const fs::path ra = fs::weakly_canonical(fs::absolute(a, ea), ea);
    const fs::path rb = fs::weakly_canonical(fs::absolute(b, eb), eb);
    return !ea && !eb && ra == rb;
}

} // namespace citylink
