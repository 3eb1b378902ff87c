// The creation of the class by its programmatic identifier in the Windows DLL: the spooler's
// printers, the system's message boxes over the caller's window, and the data folder beside the
// DLL's own folder. No Qt: a Windows caller is a native program with native windows.
#include "printctl/printctl.h"

#include "foundation/module1.h"
#include "printctl/library_platform.h"
#include "printctl/platform/win32/message_box_prompts.h"
#include "printctl/platform/win32/win32_printer_system.h"

namespace printctl {

std::unique_ptr<Clsプリンタ制御> CreateObject(std::string_view progId) {
    if (progId != kProgId)
        return nullptr;
    auto prompts = std::make_shared<MessageBoxPrompts>();
    Clsプリンタ制御::Services services;
    services.printers = std::make_shared<Win32PrinterSystem>();
    services.prompts = prompts;
    services.dataFolder = [] { return Module1::GetDataFolder(libraryPlatform()); };
    // Messages belong to the caller's window, as the properties dialog does.
    services.ownerChanged = [weak = std::weak_ptr<MessageBoxPrompts>(prompts)](std::int64_t owner) {
        if (auto p = weak.lock())
            p->setOwner(owner);
    };
    return std::make_unique<Clsプリンタ制御>(std::move(services));
}

} // namespace printctl
