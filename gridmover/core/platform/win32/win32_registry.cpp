// Windows: the registry itself. A key exists when RegOpenKeyA opens it under HKEY_CLASSES_ROOT
// (the merged machine and user classes); the key is closed again at once.
#include "gridmover/core/registry.h"

#include "foundation/platform/win32/windows_include.h"

#include <string>

namespace gridmover {
namespace {

// The key path in the ANSI code page the A function takes; nullopt-like empty result when a
// character has no form there (such a key cannot have been registered through the A functions).
bool toAnsi(std::string_view utf8, std::string& out) {
    out.clear();
    if (utf8.empty())
        return true;
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0)
        return false;
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    BOOL usedDefault = FALSE;
    int m = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), n, nullptr, 0, nullptr,
                                &usedDefault);
    if (m <= 0 || usedDefault)
        return false;
    out.resize(static_cast<std::size_t>(m));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), n, out.data(), m, nullptr, nullptr);
    return true;
}

class Win32Registry final : public Registry {
public:
    bool KeyExists(std::string_view keyPath) const override {
        std::string ansi;
        // An empty path would open HKEY_CLASSES_ROOT itself, which is no answer about a key.
        if (keyPath.empty() || !toAnsi(keyPath, ansi))
            return false;
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_CLASSES_ROOT, ansi.c_str(), &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
};

} // namespace

std::shared_ptr<const Registry> DefaultRegistry() {
    return std::make_shared<Win32Registry>();
}

std::string RegistryNotFoundNotes() {
    return "HKEY_CLASSES_ROOT に登録されたグリッド コントロールはありません。\nNo grid control is "
           "registered under HKEY_CLASSES_ROOT.\n";
}

} // namespace gridmover
