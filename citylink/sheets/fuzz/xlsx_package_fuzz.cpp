// Zip packages from untrusted files: whatever the entries' names, sizes and data, opening and
// reading must not crash or inflate beyond the limits, no name may be there twice, and a package
// rebuilt with some parts replaced and removed must open again holding exactly what it should.
#include "citylink/sheets/automation.h"
#include "citylink/sheets/xlsx/xlsx_package.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>

using sheets::xlsx::XlsxPackage;

namespace {

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::optional<XlsxPackage> package;
    try {
        package.emplace(std::string(reinterpret_cast<const char*>(data), size), "fuzz.xlsx");
    } catch (const sheets::AutomationError&) {
        return 0;
    }
    const std::vector<std::string> names = package->entryNames();
    std::set<std::string> seen;
    std::map<std::string, std::string> contents; // the parts that read
    unsigned long long total = 0;
    for (const std::string& name : names) {
        if (!seen.insert(lower(name)).second || !package->has(name) ||
            package->entryName(lower(name)) != name)
            std::abort();
        try {
            std::string part = package->read(name);
            total += part.size();
            if (part.size() > XlsxPackage::kMaxPartSize || total > XlsxPackage::kMaxTotalSize)
                std::abort();
            contents[name] = std::move(part);
        } catch (const sheets::AutomationError&) {
        }
    }
    try {
        package->relationships("");
    } catch (const sheets::AutomationError&) {
    }

    std::map<std::string, std::string> replaced = {{"fuzz/added.xml", "<added/>"}};
    std::set<std::string> removed;
    if (!names.empty())
        replaced[names.front()] = "<replaced/>";
    if (names.size() > 1)
        removed.insert(names.back());
    std::string rebuilt;
    try {
        rebuilt = package->build(replaced, removed);
    } catch (const sheets::AutomationError&) {
        return 0; // libzip refused to write it (a name it cannot store): reported as a failed save
    }
    XlsxPackage again(std::move(rebuilt), "again.xlsx"); // what we wrote must open
    std::set<std::string> expected;
    for (const std::string& name : names)
        if (!removed.count(name))
            expected.insert(name);
    for (const auto& [name, bytes] : replaced)
        if (!package->has(name))
            expected.insert(name);
    std::vector<std::string> got = again.entryNames();
    if (std::set<std::string>(got.begin(), got.end()) != expected || got.size() != expected.size())
        std::abort();
    for (const auto& [name, bytes] : replaced)
        if (again.read(name) != bytes)
            std::abort();
    for (const auto& [name, bytes] : contents)
        if (!replaced.count(name) && !removed.count(name) && again.read(name) != bytes)
            std::abort();
    return 0;
}
