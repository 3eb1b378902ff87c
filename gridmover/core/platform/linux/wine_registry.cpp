// Reads the registry files of a Wine prefix. Their format is text: a header line, then one
// section per key, "[Software\\Classes\\CLSID\\{...}] <timestamp>", followed by its values.
// Key names escape "\" as "\\" and other special characters as "\xHHHH" (UTF-16 code unit).
#include "gridmover/core/registry.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

namespace gridmover {

namespace {

void lowerAscii(std::string& s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
}

void appendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The key name of a section header line "[name] stamp", unescaped; empty when it is none.
std::string sectionKey(const std::string& line) {
    if (line.empty() || line[0] != '[') {
        return {};
    }
    std::string key;
    for (std::size_t i = 1; i < line.size(); ++i) {
        char c = line[i];
        if (c == ']') {
            return key;
        }
        if (c == '\\' && i + 1 < line.size()) {
            char n = line[i + 1];
            if (n == 'x') {
                unsigned cp = 0;
                std::size_t j = i + 2;
                int digits = 0;
                while (j < line.size() && digits < 4 && hexDigit(line[j]) >= 0) {
                    cp = cp * 16 + static_cast<unsigned>(hexDigit(line[j]));
                    ++j;
                    ++digits;
                }
                appendUtf8(key, cp);
                i = j - 1;
            } else {
                key += n;
                ++i;
            }
            continue;
        }
        key += c;
    }
    return {}; // no closing bracket: not a section header
}

} // namespace

WineRegistry::WineRegistry(const std::filesystem::path& prefix) {
    readHive(prefix / "system.reg");
    readHive(prefix / "user.reg");
}

void WineRegistry::readHive(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return;
    }
    static const std::string classes = "software\\classes\\";
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.rfind("#arch=win64", 0) == 0) {
            win64_ = true;
            continue;
        }
        std::string key = sectionKey(line);
        if (key.empty()) {
            continue;
        }
        lowerAscii(key);
        if (key.size() > classes.size() && key.compare(0, classes.size(), classes) == 0) {
            // Every ancestor exists too, whether or not the file lists it on its own.
            std::string rel = key.substr(classes.size());
            for (std::size_t pos = rel.find('\\'); pos != std::string::npos;
                 pos = rel.find('\\', pos + 1)) {
                keys_.insert(rel.substr(0, pos));
            }
            keys_.insert(rel);
        }
    }
}

bool WineRegistry::KeyExists(std::string_view keyPath) const {
    std::string key(keyPath);
    while (!key.empty() && key.back() == '\\') {
        key.pop_back();
    }
    if (key.empty()) {
        return false;
    }
    lowerAscii(key);
    if (keys_.count(key) != 0) {
        return true;
    }
    return win64_ && keys_.count("wow6432node\\" + key) != 0;
}

std::filesystem::path WineRegistry::DefaultPrefix() {
    if (const char* p = std::getenv("WINEPREFIX"); p != nullptr && *p != '\0') {
        return p;
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "") / ".wine";
}

std::shared_ptr<const Registry> DefaultRegistry() {
    return std::make_shared<WineRegistry>(WineRegistry::DefaultPrefix());
}

std::string RegistryNotFoundNotes() {
    const std::filesystem::path prefix = WineRegistry::DefaultPrefix();
    const std::string where = prefix.string();
    std::error_code ec;
    if (!std::filesystem::is_directory(prefix, ec)) {
        return "Wine プレフィックスがありません: " + where + "\nNo Wine prefix at " + where +
               " (set WINEPREFIX).\n";
    }
    std::string notes;
    for (const char* hive : {"system.reg", "user.reg"}) {
        const std::string file = (prefix / hive).string();
        if (!std::filesystem::exists(prefix / hive, ec)) {
            notes += "レジストリ ファイルがありません: " + file +
                     "\nMissing registry file: " + file + "\n";
        }
    }
    return notes + where +
           " のレジストリに登録されたグリッド コントロールはありません。\nNo grid control is "
           "registered in the registry of " +
           where + ".\n";
}

} // namespace gridmover
