#include "foundation/platform/win32/ansi_text.h"

#include "foundation/platform/win32/windows_include.h"

namespace win32 {

namespace {

std::wstring toWide(UINT codePage, std::string_view in) {
    if (in.empty())
        return {};
    int wide = MultiByteToWideChar(codePage, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
    if (wide <= 0)
        return {};
    std::wstring w(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(codePage, 0, in.data(), static_cast<int>(in.size()), w.data(), wide);
    return w;
}

std::string fromWide(UINT codePage, std::wstring_view w) {
    if (w.empty())
        return {};
    int bytes = WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
    if (bytes <= 0)
        return {};
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), out.data(), bytes,
                        nullptr, nullptr);
    return out;
}

} // namespace

std::string utf8FromAnsi(std::string_view ansi) {
    return fromWide(CP_UTF8, toWide(CP_ACP, ansi));
}

std::string ansiFromUtf8(std::string_view utf8) {
    return fromWide(CP_ACP, toWide(CP_UTF8, utf8));
}

std::wstring wideFromUtf8(std::string_view utf8) {
    return toWide(CP_UTF8, utf8);
}

std::string utf8FromWide(std::wstring_view wide) {
    return fromWide(CP_UTF8, wide);
}

} // namespace win32
