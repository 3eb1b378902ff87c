#include "citylink/core/field_decoder.h"

#include "foundation/cp932.h"

namespace citylink {

bool FieldDecoder::decodeText(std::string_view raw, std::size_t column, std::string_view& out) {
    // Consecutive records are mostly days of one child: the same name, reading, class.
    Last& last = last_[column % last_.size()];
    if (SameText(last.raw, raw)) {
        out = last.utf8;
        return true;
    }
    // A few texts take turns in a column (出席 and 欠席, the usual remarks): the column's
    // recent ones are found by a few of their bytes, without hashing them whole for the cache.
    Seen& seen = seen_[column % seen_.size()][seenSlot(raw)];
    if (SameText(seen.raw, raw)) {
        last.raw = seen.raw;
        last.utf8 = seen.utf8;
        out = last.utf8;
        return true;
    }
    // Only short texts are kept: names and classes repeat and are short, while long texts
    // (remarks, or a hostile file's megabyte names) would fill the cache with copies.
    if (raw.size() > kMaxCachedText) {
        auto utf8 = cp932::tryToUtf8(raw);
        if (!utf8)
            return false;
        last.ownUtf8 = std::move(*utf8);
        last.raw = {};
        last.utf8 = last.ownUtf8;
        out = last.utf8;
        return true;
    }
    auto it = cache_.find(raw);
    if (it == cache_.end()) {
        auto utf8 = cp932::tryToUtf8(raw);
        if (!utf8)
            return false;
        if (cache_.size() < kMaxCached) {
            it = cache_.emplace(std::string(raw), std::move(*utf8)).first;
        } else {
            last.ownRaw.assign(raw);
            last.ownUtf8 = std::move(*utf8);
            last.raw = last.ownRaw;
            last.utf8 = last.ownUtf8;
            out = last.utf8;
            return true;
        }
    }
    // The cache's entries never move or go: the column's last text is viewed, not copied.
    last.raw = seen.raw = it->first;
    last.utf8 = seen.utf8 = it->second;
    out = last.utf8;
    return true;
}

} // namespace citylink
