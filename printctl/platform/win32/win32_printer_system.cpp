// Names come from the A functions in the ANSI code page and are handed on as UTF-8; a name given
// back to the system is converted the other way.
#include "printctl/platform/win32/win32_printer_system.h"

#include "foundation/platform/win32/ansi_text.h"
#include "foundation/platform/win32/windows_include.h"

#include <shlobj.h>
#include <winspool.h>

namespace printctl {

std::vector<std::string> Win32PrinterSystem::Printers() {
    // Local printers and the user's network connections, as the runtime's printer list holds
    // them. The list may grow between the size query and the read: ask again then.
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    std::vector<BYTE> buffer;
    DWORD needed = 0, count = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (EnumPrintersA(flags, nullptr, 4, buffer.empty() ? nullptr : buffer.data(),
                          static_cast<DWORD>(buffer.size()), &needed, &count))
            break;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return {};
        buffer.resize(needed);
        count = 0;
    }
    std::vector<std::string> names;
    const auto* info = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (info[i].pPrinterName)
            names.push_back(win32::utf8FromAnsi(info[i].pPrinterName));
    return names;
}

std::string Win32PrinterSystem::DefaultPrinter() {
    DWORD size = 0;
    GetDefaultPrinterA(nullptr, &size);
    if (size == 0)
        return {};
    std::string name(size, '\0');
    if (!GetDefaultPrinterA(name.data(), &size))
        return {};
    return win32::utf8FromAnsi(name.c_str());
}

void Win32PrinterSystem::ShowProperties(std::int64_t ownerWindow, const std::string& printer) {
    // Action 1 (PRINTACTION_PROPERTIES), modal: returns when the dialog is closed.
    std::string name = win32::ansiFromUtf8(printer);
    SHInvokePrinterCommandA(reinterpret_cast<HWND>(static_cast<INT_PTR>(ownerWindow)),
                            PRINTACTION_PROPERTIES, name.c_str(), nullptr, TRUE);
}

} // namespace printctl
