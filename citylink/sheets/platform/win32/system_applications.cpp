#include "citylink/sheets/platform/win32/system_applications.h"

#include "citylink/sheets/platform/win32/excel_automation.h"

#include <string>

namespace sheets::win32 {

void RegisterSystemApplications(BackendRegistry& registry, EmbeddedEngineOptions embedded,
                                std::function<bool(std::string_view)> registered) {
    if (!registered)
        registered = ProgIdRegistered;
    for (std::string_view progId : kExcelProgIds) {
        registry.Register(std::string(progId), [progId, embedded, registered]() -> ApplicationPtr {
            if (registered(progId))
                return CreateAutomationApplication(progId);
            for (std::string_view other : kExcelProgIds)
                if (registered(other))
                    throw AutomationError("オブジェクトを作成できません: " + std::string(progId),
                                          errors::kCannotCreateObject);
            return CreateEmbeddedApplication(embedded);
        });
    }
}

} // namespace sheets::win32
