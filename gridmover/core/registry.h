#pragma once
// The one question the migration asks the system registry: does a key exist under
// HKEY_CLASSES_ROOT? (That is how it tells which grid versions are installed.)
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace gridmover {

class Registry {
public:
    virtual ~Registry() = default;
    // True when the key path (relative to HKEY_CLASSES_ROOT, "\"-separated, e.g.
    // "CLSID\{00028C00-0000-0000-0000-000000000046}") exists. Any failure to look counts as
    // "does not exist"; nothing is reported.
    virtual bool KeyExists(std::string_view keyPath) const = 0;
};

// KeyExists on registry, with a failure to look (an exception) counted as "does not exist".
bool RegKeyExists(const Registry& registry, std::string_view keyPath);

// The platform's registry: on Linux the registry of the Wine prefix in $WINEPREFIX (default
// ~/.wine), where a VB6 installation registers its controls; on Windows the system's own.
std::shared_ptr<const Registry> DefaultRegistry();

// For a user who finds no installed grid: where DefaultRegistry looked, and what of it is missing
// (on Linux the Wine prefix and its registry files). Lines end in "\n", Japanese before English.
std::string RegistryNotFoundNotes();

// Linux only (platform/linux/wine_registry.cpp). The classes root of a Wine prefix, read once from
// its registry files: system.reg (the machine's "Software\Classes") and user.reg (the user's
// "Software\Classes", which Windows merges into the same root). A missing prefix or file means
// nothing is registered. In a 64-bit prefix the 32-bit registrations that a VB6 add-in sees live
// under "Wow6432Node"; a key is found there too.
class WineRegistry : public Registry {
public:
    explicit WineRegistry(const std::filesystem::path& prefix);
    bool KeyExists(std::string_view keyPath) const override;

    // $WINEPREFIX, else $HOME/.wine.
    static std::filesystem::path DefaultPrefix();

private:
    void readHive(const std::filesystem::path& file);
    std::set<std::string> keys_; // classes-root relative paths, lower-cased (ASCII), "\" separated
    bool win64_ = false;
};

} // namespace gridmover
