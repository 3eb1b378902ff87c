#include "citylink/sheets/xlsx/xlsx_package.h"

#include "citylink/sheets/automation.h"

#include <pugixml.hpp>
#include <zip.h>

#include <atomic>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace sheets::xlsx {

namespace {

// A part larger than this is refused rather than read: no real workbook part comes near it, and
// a crafted package must not exhaust memory.
constexpr unsigned long long kMaxPartSize = 512ull * 1024 * 1024;

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return out;
}

std::string displayName(const std::filesystem::path& p) {
    auto u8 = p.filename().u8string();
    return std::string(u8.begin(), u8.end());
}

[[noreturn]] void fail(const std::string& description) {
    throw AutomationError(description, errors::kApplicationDefined);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

XlsxPackage::XlsxPackage(const std::filesystem::path& file) : path_(file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in)
        fail("the workbook cannot be read: " + displayName(file));
    std::streamoff size = in.tellg();
    if (size < 0 || static_cast<unsigned long long>(size) > kMaxPartSize)
        fail("the workbook cannot be read: " + displayName(file));
    bytes_.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(bytes_.data(), size))
        fail("the workbook cannot be read: " + displayName(file));

    const std::string prefix = "not a workbook this engine can open: " + displayName(file);
    if (bytes_.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        fail(prefix + " (the binary .xls format or a password-protected workbook; save it as .xlsx "
                      "without a password)");
    if (!bytes_.starts_with("PK"))
        fail(prefix + " (not a zip package)");

    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes_.data(), bytes_.size(), 0, &error);
    if (source)
        zip_ = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!zip_) {
        std::string reason = zip_error_strerror(&error);
        zip_source_free(source);
        zip_error_fini(&error);
        fail(prefix + " (a damaged zip package: " + reason + ")");
    }
    zip_error_fini(&error);
    zip_int64_t count = zip_get_num_entries(zip_, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(zip_, static_cast<zip_uint64_t>(i), 0);
        if (name)
            entries_[lower(name)] = {name, static_cast<unsigned long long>(i)};
    }
}

XlsxPackage::~XlsxPackage() {
    if (zip_)
        zip_discard(zip_);
}

bool XlsxPackage::has(std::string_view part) const {
    return entries_.count(lower(part)) != 0;
}

std::string XlsxPackage::entryName(std::string_view part) const {
    auto it = entries_.find(lower(part));
    return it == entries_.end() ? std::string() : it->second.first;
}

std::string XlsxPackage::read(std::string_view part) const {
    auto it = entries_.find(lower(part));
    if (it == entries_.end())
        fail("a part of the workbook is missing: " + std::string(part));
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(zip_, it->second.second, 0, &st) != 0)
        fail("a part of the workbook cannot be read: " + std::string(part));
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
        fail("a part of the workbook is encrypted: " + std::string(part));
    if (!(st.valid & ZIP_STAT_SIZE) || st.size > kMaxPartSize)
        fail("a part of the workbook is too large: " + std::string(part));
    std::string data(static_cast<std::size_t>(st.size), '\0');
    zip_file_t* f = zip_fopen_index(zip_, it->second.second, 0);
    if (!f)
        fail("a part of the workbook cannot be read: " + std::string(part) + " (" +
             zip_strerror(zip_) + ")");
    zip_int64_t got = data.empty() ? 0 : zip_fread(f, data.data(), data.size());
    // Reading to the end makes libzip check the CRC of the entry.
    char extra = 0;
    zip_int64_t more = zip_fread(f, &extra, 1);
    zip_fclose(f);
    if (got != static_cast<zip_int64_t>(data.size()) || more != 0)
        fail("a part of the workbook is damaged: " + std::string(part));
    return data;
}

std::string XlsxPackage::relsPartOf(std::string_view part) {
    auto slash = part.rfind('/');
    std::string folder =
        slash == std::string_view::npos ? "" : std::string(part.substr(0, slash + 1));
    std::string name =
        slash == std::string_view::npos ? std::string(part) : std::string(part.substr(slash + 1));
    return folder + "_rels/" + name + ".rels";
}

std::string XlsxPackage::resolveTarget(std::string_view sourcePart, std::string_view target) {
    std::string decoded;
    for (std::size_t i = 0; i < target.size(); ++i) {
        if (target[i] == '%' && i + 2 < target.size() && hexValue(target[i + 1]) >= 0 &&
            hexValue(target[i + 2]) >= 0) {
            decoded += static_cast<char>(hexValue(target[i + 1]) * 16 + hexValue(target[i + 2]));
            i += 2;
        } else {
            decoded += target[i] == '\\' ? '/' : target[i];
        }
    }
    std::string base;
    if (!decoded.starts_with("/")) {
        auto slash = sourcePart.rfind('/');
        if (slash != std::string_view::npos)
            base = std::string(sourcePart.substr(0, slash + 1));
    }
    std::vector<std::string> segments;
    std::string joined = base + decoded;
    std::size_t start = 0;
    while (start <= joined.size()) {
        auto end = joined.find('/', start);
        if (end == std::string::npos)
            end = joined.size();
        std::string seg = joined.substr(start, end - start);
        if (seg == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!seg.empty() && seg != ".") {
            segments.push_back(seg);
        }
        start = end + 1;
    }
    std::string out;
    for (const auto& seg : segments)
        out += (out.empty() ? "" : "/") + seg;
    return out;
}

std::vector<Relationship> XlsxPackage::relationships(std::string_view part) const {
    std::string relsPart = part.empty() ? "_rels/.rels" : relsPartOf(part);
    std::vector<Relationship> out;
    if (!has(relsPart))
        return out;
    std::string xml = read(relsPart);
    pugi::xml_document doc;
    if (!doc.load_buffer(xml.data(), xml.size()))
        fail("a part of the workbook is not well-formed: " + relsPart);
    for (pugi::xml_node rel : doc.document_element().children()) {
        std::string_view name = rel.name();
        if (auto colon = name.find(':'); colon != std::string_view::npos)
            name.remove_prefix(colon + 1);
        if (name != "Relationship")
            continue;
        Relationship r;
        r.id = rel.attribute("Id").value();
        r.type = rel.attribute("Type").value();
        if (std::string_view(rel.attribute("TargetMode").value()) != "External")
            r.target = resolveTarget(part, rel.attribute("Target").value());
        out.push_back(std::move(r));
    }
    return out;
}

void XlsxPackage::saveAs(const std::filesystem::path& out,
                         const std::map<std::string, std::string>& replaced,
                         const std::set<std::string>& removed) const {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path folder = out.parent_path();
    if (folder.empty())
        folder = ".";
    std::filesystem::path temp = folder / (".citylink-save-" + std::to_string(::getpid()) + "-" +
                                           std::to_string(counter++) + ".tmp");
    auto removeTemp = [&] {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
    };
    const std::string where = "the workbook cannot be saved as " + displayName(out);

    {
        std::ofstream o(temp, std::ios::binary | std::ios::trunc);
        o.write(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
        o.close();
        if (!o) {
            removeTemp();
            fail(where + " (the folder cannot be written)");
        }
    }

    int code = 0;
    zip_t* z = zip_open(temp.c_str(), 0, &code);
    if (!z) {
        removeTemp();
        fail(where + " (zip error " + std::to_string(code) + ")");
    }
    auto abandon = [&](const std::string& reason) {
        zip_discard(z);
        removeTemp();
        fail(where + " (" + reason + ")");
    };
    for (const auto& [part, data] : replaced) {
        // A replaced part is removed and added anew (at the end of the archive): libzip keeps
        // the original entry's compression settings on a replace, and for a deflated entry that
        // means its highest level, six times slower than zlib's usual level for a larger result.
        // Entry order carries no meaning in a package.
        auto it = entries_.find(lower(part));
        std::string name = it != entries_.end() ? it->second.first : part;
        if (it != entries_.end() && zip_delete(z, it->second.second) != 0)
            abandon(zip_strerror(z));
        zip_source_t* src = zip_source_buffer(z, data.data(), data.size(), 0);
        if (!src)
            abandon(zip_strerror(z));
        zip_int64_t index = zip_file_add(z, name.c_str(), src, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(src);
            abandon(zip_strerror(z));
        }
        if (zip_set_file_compression(z, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 6) != 0)
            abandon(zip_strerror(z));
    }
    for (const auto& part : removed) {
        auto it = entries_.find(lower(part));
        if (it != entries_.end() && zip_delete(z, it->second.second) != 0)
            abandon(zip_strerror(z));
    }
    if (zip_close(z) != 0)
        abandon(zip_strerror(z));

    std::error_code ec;
    std::filesystem::rename(temp, out, ec);
    if (ec) {
        removeTemp();
        fail(where + " (" + ec.message() + ")");
    }
}

} // namespace sheets::xlsx
