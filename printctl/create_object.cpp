// The creation of the class by its programmatic identifier, with the system's own services.
#include "printctl/printctl.h"

#include "foundation/module1.h"
#include "printctl/library_platform.h"
#include "printctl/platform/linux/cups_printer_system.h"
#include "shared_ui/qt_prompts.h"

#include <QWidget>

namespace printctl {

std::unique_ptr<Clsプリンタ制御> CreateObject(std::string_view progId) {
    if (progId != kProgId)
        return nullptr;
    auto prompts = std::make_shared<QtPrompts>();
    Clsプリンタ制御::Services services;
    services.printers = std::make_shared<CupsPrinterSystem>(prompts);
    services.prompts = prompts;
    services.dataFolder = [] { return Module1::GetDataFolder(libraryPlatform()); };
    // Messages belong to the caller's window, as the properties dialog does.
    services.ownerChanged = [weak = std::weak_ptr<QtPrompts>(prompts)](std::int64_t owner) {
        if (auto p = weak.lock())
            p->setParentWidget(owner ? QWidget::find(static_cast<WId>(owner)) : nullptr);
    };
    return std::make_unique<Clsプリンタ制御>(std::move(services));
}

} // namespace printctl
