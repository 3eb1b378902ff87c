#include "citylink/sheets/xlsx/save_temporary.h"

namespace sheets::xlsx {

namespace {
constexpr std::string_view kPrefix = ".citylink-save-";
}

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

} // namespace sheets::xlsx
