#include "citylink/sheets/xlsx/save_temporary.h"

#include "citylink/sheets/automation.h"
#include "citylink/sheets/xlsx/save_file.h"
#include "foundation/pause_point.h"
#include "foundation/utf8_path.h"

#include <atomic>
#include <system_error>

namespace sheets::xlsx {

namespace {
namespace fs = std::filesystem;
constexpr std::string_view kPrefix = ".citylink-save-";
} // namespace

std::string SaveTemporaryName(unsigned long pid, unsigned n) {
    return std::string(kPrefix) + std::to_string(pid) + "-" + std::to_string(n) + ".tmp";
}

unsigned long SaveTemporaryOwner(std::string_view name) {
    if (!name.starts_with(kPrefix))
        return 0;
    name.remove_prefix(kPrefix.size());
    auto digits = [&name] {
        std::size_t n = 0;
        while (n < name.size() && name[n] >= '0' && name[n] <= '9')
            ++n;
        std::string_view d = name.substr(0, n);
        name.remove_prefix(n);
        return d;
    };
    std::string_view pid = digits();
    if (pid.empty() || pid.size() > 9 || !name.starts_with("-"))
        return 0;
    name.remove_prefix(1);
    if (digits().empty() || !name.starts_with(".tmp"))
        return 0;
    name.remove_prefix(4);
    if (!name.empty() && !(name.size() == 7 && name[0] == '.'))
        return 0;
    return std::stoul(std::string(pid));
}

fs::path NextSaveTemporary(const fs::path& folder) {
    static std::atomic<unsigned> counter{0};
    return folder / SaveTemporaryName(SaveProcessId(), counter++);
}

fs::path PrepareSaveFolder(const fs::path& out) {
    fs::path folder = out.parent_path();
    if (folder.empty())
        folder = ".";
    RemoveStaleSaveTemporaries(folder);
    return folder;
}

void ThrowSaveFailure(const fs::path& out, std::string_view reason) {
    throw AutomationError("ブックを保存できません: " + utf8::fromPath(out.filename()) + " (" +
                              std::string(reason) + ")",
                          errors::kApplicationDefined);
}

SaveTestHooks& saveTestHooks() {
    static SaveTestHooks hooks;
    return hooks;
}

void SaveStep(std::string_view name) {
    if (const auto& hook = saveTestHooks().onStep)
        hook(name);
    pausePoint(("save-" + std::string(name)).c_str());
}

void RemoveStaleSaveTemporaries(const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const unsigned long owner = SaveTemporaryOwner(utf8::fromPath(it->path().filename()));
        if (owner == 0 || owner == SaveProcessId() || SaveProcessRunning(owner))
            continue;
        std::error_code ignored;
        if (it->symlink_status(ignored).type() == fs::file_type::regular)
            fs::remove(it->path(), ignored);
    }
}

} // namespace sheets::xlsx
