#pragma once
// A map of texts that is looked up by std::string_view.
#include "citylink/core/same_text.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace citylink {

// Hashes std::string keys and looks them up by std::string_view: a field is looked up without
// first being copied into a string of its own.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>{}(text);
    }
};
struct TextEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return SameText(a, b); }
};
template <class Value>
using TextMap = std::unordered_map<std::string, Value, TextHash, TextEqual>;

} // namespace citylink
