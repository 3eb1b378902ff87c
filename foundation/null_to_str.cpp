// NullToStr lives apart from the data-folder rule: printctl compiles module1.cpp into its own
// library and needs the rule alone.
#include "foundation/module1.h"

#include <cmath>
#include <cstdio>
#include <type_traits>

namespace Module1 {

std::string NullToStr(const Variant& value) {
    return std::visit(
        [](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, Null>) {
                return {};
            } else if constexpr (std::is_same_v<T, std::string>) {
                return v;
            } else if constexpr (std::is_same_v<T, bool>) {
                return v ? "True" : "False";
            } else if constexpr (std::is_same_v<T, long long>) {
                return std::to_string(v);
            } else {
                if (!std::isfinite(v))
                    return {};
                char buf[32];
                std::snprintf(buf, sizeof buf, "%.15g", v);
                return buf;
            }
        },
        value);
}

} // namespace Module1
