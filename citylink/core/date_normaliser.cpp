#include "citylink/core/date_normaliser.h"

#include "foundation/dates.h"

namespace citylink {
namespace {

// Whether text is already d written as "yyyy/mm/dd" (the common case in an export; checking
// is much cheaper than formatting it again).
bool isYmdOf(std::string_view text, const dates::Date& d) {
    if (text.size() != 10 || text[4] != '/' || text[7] != '/')
        return false;
    auto digits = [&](std::size_t at, std::size_t n) {
        int v = 0;
        for (std::size_t i = at; i < at + n; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            v = v * 10 + (text[i] - '0');
        }
        return v;
    };
    return digits(0, 4) == static_cast<int>(d.year()) &&
           digits(5, 2) == static_cast<int>(static_cast<unsigned>(d.month())) &&
           digits(8, 2) == static_cast<int>(static_cast<unsigned>(d.day()));
}

// dates::formatYmd without its printf, which cost more than the rest of judging a birth date:
// "yyyy/mm/dd" of a date dates::parseDate gave (years 1 to 9999).
std::string ymdText(const dates::Date& d) {
    const int y = static_cast<int>(d.year());
    const auto m = static_cast<unsigned>(d.month());
    const auto day = static_cast<unsigned>(d.day());
    if (y < 1 || y > 9999 || m > 99 || day > 99)
        return dates::formatYmd(d);
    const char text[10] = {static_cast<char>('0' + y / 1000),
                           static_cast<char>('0' + y / 100 % 10),
                           static_cast<char>('0' + y / 10 % 10),
                           static_cast<char>('0' + y % 10),
                           '/',
                           static_cast<char>('0' + m / 10),
                           static_cast<char>('0' + m % 10),
                           '/',
                           static_cast<char>('0' + day / 10),
                           static_cast<char>('0' + day % 10)};
    return std::string(text, sizeof text);
}

} // namespace

std::string_view DateNormaliser::judge(std::string_view field, std::string& storage) {
    // A date is a short text; a long one (a hostile file's) is judged each time rather than
    // kept, so that the cache stays small whatever the file holds.
    if (field.size() > kMaxCachedText) {
        auto d = dates::parseDate(field);
        if (!d || isYmdOf(field, *d))
            return field;
        storage = ymdText(*d);
        return storage;
    }
    // A child's birth date stands on every one of the child's days, one after another.
    if (last_ && SameText(last_->first, field))
        return last_->second ? std::string_view(*last_->second) : field;
    if (auto it = cache_.find(field); it != cache_.end()) {
        last_ = &*it;
        return it->second ? std::string_view(*it->second) : field;
    }
    std::optional<std::string> ymd;
    if (auto d = dates::parseDate(field); d && !isYmdOf(field, *d))
        ymd = ymdText(*d);
    if (cache_.size() < kMaxCached) {
        auto it = cache_.emplace(std::string(field), std::move(ymd)).first;
        last_ = &*it;
        return it->second ? std::string_view(*it->second) : field;
    }
    if (!ymd)
        return field;
    storage = std::move(*ymd);
    return storage;
}

} // namespace citylink
