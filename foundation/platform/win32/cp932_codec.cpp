// CP932 conversion on Windows: the system's own code page 932 tables, through UTF-16. Invalid input
// is refused (MB_ERR_INVALID_CHARS), and a character without a CP932 form is an error rather than
// a best-fit look-alike or "?" (WC_NO_BEST_FIT_CHARS and the default-character flag).
#include "foundation/cp932.h"

#include "foundation/platform/win32/windows_include.h"

#include <algorithm>

namespace cp932 {
namespace {

constexpr UINT kCp932 = 932;

bool toWide(UINT codePage, std::string_view in, std::wstring& out) {
    out.clear();
    if (in.empty())
        return true;
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                                static_cast<int>(in.size()), nullptr, 0);
    if (n <= 0)
        return false;
    out.resize(static_cast<std::size_t>(n));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                               static_cast<int>(in.size()), out.data(), n) == n;
}

bool toCp932(std::wstring_view in, std::string& out) {
    out.clear();
    if (in.empty())
        return true;
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, in.data(),
                                static_cast<int>(in.size()), nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return false;
    out.resize(static_cast<std::size_t>(n));
    return WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, in.data(), static_cast<int>(in.size()),
                               out.data(), n, nullptr, &usedDefault) == n &&
           !usedDefault;
}

std::string utf8Of(std::wstring_view in) {
    if (in.empty())
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, in.data(), static_cast<int>(in.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, in.data(), static_cast<int>(in.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

// Windows' table gives the single bytes 0x80, 0xA0 and 0xFD to 0xFF characters (a control and
// private-use code points) that no Shift_JIS text holds; the Linux codec refuses them. They are
// refused here too, so that one file reads alike on both systems. The offset of the first such
// byte, or npos.
std::size_t firstUnmappedSingle(std::string_view cp932) {
    for (std::size_t i = 0; i < cp932.size(); ++i) {
        const auto b = static_cast<unsigned char>(cp932[i]);
        if (isLeadByte(b))
            ++i;
        else if (b == 0x80 || b == 0xA0 || b >= 0xFD)
            return i;
    }
    return std::string_view::npos;
}

// Where the conversion of in stops: the offset of the first character that does not convert on
// its own. The converters report failure for the whole text only.
std::size_t firstBadCp932(std::string_view in) {
    std::wstring w;
    std::size_t i = 0;
    while (i < in.size()) {
        std::size_t len = isLeadByte(static_cast<unsigned char>(in[i])) ? 2 : 1;
        if (i + len > in.size() || !toWide(kCp932, in.substr(i, len), w))
            return i;
        i += len;
    }
    return in.size();
}

std::size_t utf8Length(unsigned char lead) {
    return lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

std::size_t firstBadUtf8(std::string_view in) {
    std::wstring w;
    std::string bytes;
    std::size_t i = 0;
    while (i < in.size()) {
        std::size_t len = utf8Length(static_cast<unsigned char>(in[i]));
        if (i + len > in.size() || !toWide(CP_UTF8, in.substr(i, len), w) || !toCp932(w, bytes) ||
            firstUnmappedSingle(bytes) != std::string_view::npos)
            return i;
        i += len;
    }
    return in.size();
}

} // namespace

std::string toUtf8(std::string_view cp932Bytes) {
    std::wstring w;
    if (!toWide(kCp932, cp932Bytes, w))
        throw Error("text is not valid CP932 (Shift_JIS)", firstBadCp932(cp932Bytes));
    if (std::size_t at = firstUnmappedSingle(cp932Bytes); at != std::string_view::npos)
        throw Error("text is not valid CP932 (Shift_JIS)", std::min(at, firstBadCp932(cp932Bytes)));
    return utf8Of(w);
}

std::string fromUtf8(std::string_view utf8) {
    std::wstring w;
    std::string out;
    if (!toWide(CP_UTF8, utf8, w) || !toCp932(w, out) ||
        firstUnmappedSingle(out) != std::string_view::npos)
        throw Error("text has a character that CP932 (Shift_JIS) cannot hold", firstBadUtf8(utf8));
    return out;
}

} // namespace cp932
