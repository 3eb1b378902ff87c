#include "citylink/sheets/registry.h"

namespace sheets {

void BackendRegistry::Register(std::string progId, ApplicationFactory factory) {
    factories_[std::move(progId)] = std::move(factory);
}

bool BackendRegistry::Has(std::string_view progId) const {
    return factories_.find(progId) != factories_.end();
}

ApplicationPtr BackendRegistry::CreateObject(std::string_view progId) const {
    auto it = factories_.find(progId);
    if (it == factories_.end() || !it->second)
        throw AutomationError("オブジェクトを作成できません: " + std::string(progId),
                              errors::kCannotCreateObject);
    ApplicationPtr app = it->second();
    if (!app)
        throw AutomationError("オブジェクトを作成できません: " + std::string(progId),
                              errors::kCannotCreateObject);
    return app;
}

ApplicationPtr CreateFirstAvailable(const BackendRegistry& registry,
                                    std::span<const std::string_view> progIds) {
    AutomationError last("オブジェクトを作成できません", errors::kCannotCreateObject);
    for (std::string_view id : progIds) {
        try {
            return registry.CreateObject(id);
        } catch (const AutomationError& e) {
            // The next identifier may be registered; only the last failure is reported.
            last = e;
        }
    }
    throw last;
}

} // namespace sheets
