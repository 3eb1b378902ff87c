#include "printctl/platform/win32/message_box_prompts.h"

#include "foundation/platform/win32/ansi_text.h"
#include "foundation/platform/win32/windows_include.h"

#include <commdlg.h>

#include <vector>

namespace printctl {

namespace {

HWND ownerWindow(std::int64_t handle) {
    HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
    return window && IsWindow(window) ? window : nullptr;
}

UINT iconFlag(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Critical:
        return MB_ICONERROR;
    case MsgIcon::Question:
        return MB_ICONQUESTION;
    case MsgIcon::Exclamation:
        return MB_ICONWARNING;
    case MsgIcon::Information:
        return MB_ICONINFORMATION;
    case MsgIcon::None:
        break;
    }
    return 0;
}

// "No title given" shows the program's title, as a VB program's message box does: the name of
// the program's file without its extension.
std::wstring titleOrProgram(std::string_view title) {
    if (!title.empty())
        return win32::wideFromUtf8(title);
    wchar_t name[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, name, MAX_PATH);
    std::wstring file(name, n < MAX_PATH ? n : 0);
    file = file.substr(file.find_last_of(L"\\/") + 1);
    return file.substr(0, file.rfind(L'.'));
}

int show(std::int64_t owner, std::string_view title, std::string_view text, UINT flags) {
    std::wstring caption = titleOrProgram(title);
    std::wstring body = win32::wideFromUtf8(text);
    HWND parent = ownerWindow(owner);
    // Without an owner the box is modal to the caller's thread, so no window of it takes input.
    return MessageBoxW(parent, body.c_str(), caption.c_str(),
                       flags | (parent ? MB_APPLMODAL : MB_TASKMODAL));
}

// "CSVファイル|*.CSV|全てのファイル|*.*" -> "CSVファイル\0*.CSV\0全てのファイル\0*.*\0\0".
std::wstring filterList(const std::string& vbFilter) {
    std::wstring list = win32::wideFromUtf8(vbFilter);
    for (wchar_t& c : list) {
        if (c == L'|')
            c = L'\0';
    }
    list.push_back(L'\0');
    list.push_back(L'\0');
    return list;
}

} // namespace

void MessageBoxPrompts::message(MsgIcon icon, std::string_view title, std::string_view text) {
    show(owner_, title, text, MB_OK | iconFlag(icon));
}

bool MessageBoxPrompts::askYesNo(std::string_view title, std::string_view text) {
    return show(owner_, title, text, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

std::optional<std::string> MessageBoxPrompts::chooseOpenFile(const OpenFileRequest& request) {
    std::wstring filter = filterList(request.filter);
    std::wstring title = win32::wideFromUtf8(request.title);
    std::vector<wchar_t> file(32768, L'\0');
    std::wstring initial = win32::wideFromUtf8(request.initialFile);
    if (initial.size() < file.size())
        initial.copy(file.data(), initial.size());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = ownerWindow(owner_);
    ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&ofn))
        return std::nullopt;
    return win32::utf8FromWide(file.data());
}

} // namespace printctl
