#pragma once
// The import's date columns put into the table's form, each distinct text judged once.
#include "citylink/core/text_map.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace citylink {

// A date column as the table keeps it: "yyyy/mm/dd" when it is a date, its text otherwise.
// An export repeats a few dozen date texts thousands of times (the month's days, each child's
// birth date on every day), so each distinct text is judged once.
class DateNormaliser {
public:
    // `field` as the table keeps it. The view points into `field`, into this object or into
    // `storage`, and stays valid while all three do.
    [[gnu::always_inline]] std::string_view normalise(std::string_view field,
                                                      std::string& storage) {
        return isYmdShaped(field) ? field : judge(field, storage);
    }

private:
    [[gnu::noinline]] std::string_view judge(std::string_view field, std::string& storage);

    // Whether text is shaped "dddd/dd/dd" (ten bytes, digits and two slashes). Such a text is kept
    // as it stands whatever it holds: when it is a date it is already "yyyy/mm/dd", and when it is
    // none ("2019/04/31") it keeps its text. The export writes every day of the month this way, so
    // the date column of each record is judged without a parse or a look-up.
    static bool isYmdShaped(std::string_view text) {
        if (text.size() != 10 || text[4] != '/' || text[7] != '/')
            return false;
        if constexpr (std::endian::native == std::endian::little) {
            // The first eight bytes at once, the slashes taken as '0': every byte must lie in
            // '0'-'9', which the three tests of the high bits check without a carry between bytes.
            constexpr std::uint64_t kHigh = 0x8080808080808080ull;
            constexpr std::uint64_t kSlashes = 0xFF0000FF00000000ull; // bytes 4 and 7
            std::uint64_t w;
            std::memcpy(&w, text.data(), 8);
            w = (w & ~kSlashes) | (0x3030303030303030ull & kSlashes);
            if ((w & kHigh) != 0 || (((w | kHigh) - 0x3030303030303030ull) & kHigh) != kHigh ||
                ((w + 0x4646464646464646ull) & kHigh) != 0)
                return false;
            return text[8] >= '0' && text[8] <= '9' && text[9] >= '0' && text[9] <= '9';
        }
        for (std::size_t i = 0; i < text.size(); ++i)
            if (i != 4 && i != 7 && (text[i] < '0' || text[i] > '9'))
                return false;
        return true;
    }

    static constexpr std::size_t kMaxCached = 1 << 14;
    static constexpr std::size_t kMaxCachedText = 32;
    TextMap<std::optional<std::string>> cache_; // nullopt: keep the text
    // The entry of the text judged last (entries never move or go).
    const std::pair<const std::string, std::optional<std::string>>* last_ = nullptr;
};

} // namespace citylink
