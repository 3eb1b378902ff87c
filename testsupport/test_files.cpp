#include "testsupport/test_files.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace testsupport {

ScratchDir::ScratchDir() {
    static std::atomic<int> counter{0};
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
        auto candidate =
            base / ("suite-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    // Tests make files read-only on purpose; give the owner write access back before removing.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(path_, ec);
}

std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeBytes(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("short write to " + file.string());
}

std::filesystem::path u8path(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::set<std::string> namesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        const std::u8string name = e.path().filename().u8string();
        names.insert(std::string(name.begin(), name.end()));
    }
    return names;
}

std::filesystem::path sourceDir() {
    if (const char* dir = std::getenv("SUITE_SOURCE_DIR"))
        return dir;
    return SUITE_DEFAULT_SOURCE_DIR;
}

} // namespace testsupport
