#pragma once
// A keyed, ordered collection that behaves like the collection of the Basic runtime that the
// catalogue was designed around: items are numbered from 1 in insertion order, an item may carry
// a text key, keys compare without regard to (ASCII) letter case, a second item under an existing
// key is refused, and a missing key or an index outside 1..Count is an error.
#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gridmover {

// The collection's errors, with the runtime's error numbers so that callers can tell them apart:
// 5 invalid argument, 9 index or key not present, 457 duplicate key.
class CollectionError : public std::runtime_error {
public:
    CollectionError(int number, const std::string& what)
        : std::runtime_error(what), number(number) {}
    int number;
};

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

template <typename T>
class KeyedCollection {
public:
    using Entry = std::pair<std::optional<std::string>, std::shared_ptr<T>>;

    // Appends item under key (no key when nullopt). Throws CollectionError 457 on a duplicate key.
    void Add(std::shared_ptr<T> item, std::optional<std::string> key = std::nullopt) {
        if (!item) {
            throw CollectionError(5, "Invalid procedure call or argument");
        }
        if (key && find(*key) != npos) {
            throw CollectionError(457, "This key is already associated with an element of this "
                                       "collection");
        }
        entries_.emplace_back(std::move(key), std::move(item));
    }
    // The item at 1-based index. Throws CollectionError 9 outside 1..Count.
    const std::shared_ptr<T>& Item(long index) const {
        return entries_[checkedIndex(index)].second;
    }
    // The item under key. Throws CollectionError 9 when no item carries it.
    const std::shared_ptr<T>& Item(std::string_view key) const {
        std::size_t i = find(key);
        if (i == npos) {
            throw CollectionError(9, "Subscript out of range: no item under the key \"" +
                                         std::string(key) + "\"");
        }
        return entries_[i].second;
    }
    const std::shared_ptr<T>& Item(const char* key) const { return Item(std::string_view(key)); }
    long Count() const { return static_cast<long>(entries_.size()); }
    void Remove(long index) {
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(checkedIndex(index)));
    }
    void Remove(std::string_view key) {
        std::size_t i = find(key);
        if (i == npos) {
            throw CollectionError(9, "Subscript out of range: no item under the key \"" +
                                         std::string(key) + "\"");
        }
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    void Remove(const char* key) { Remove(std::string_view(key)); }
    // Looks a key up without throwing; nullptr when absent.
    std::shared_ptr<T> Find(std::string_view key) const {
        std::size_t i = find(key);
        return i == npos ? nullptr : entries_[i].second;
    }

    // Iteration in insertion order (the collection's enumerator).
    class const_iterator {
    public:
        explicit const_iterator(typename std::vector<Entry>::const_iterator it) : it_(it) {}
        const std::shared_ptr<T>& operator*() const { return it_->second; }
        const_iterator& operator++() {
            ++it_;
            return *this;
        }
        bool operator==(const const_iterator& o) const { return it_ == o.it_; }
        bool operator!=(const const_iterator& o) const { return it_ != o.it_; }

    private:
        typename std::vector<Entry>::const_iterator it_;
    };
    const_iterator begin() const { return const_iterator(entries_.begin()); }
    const_iterator end() const { return const_iterator(entries_.end()); }

private:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    std::size_t checkedIndex(long index) const {
        if (index < 1 || index > Count()) {
            throw CollectionError(9, "Subscript out of range: index " + std::to_string(index));
        }
        return static_cast<std::size_t>(index - 1);
    }
    std::size_t find(std::string_view key) const {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            if (entries_[i].first && EqualsIgnoringAsciiCase(*entries_[i].first, key)) {
                return i;
            }
        }
        return npos;
    }

    std::vector<Entry> entries_;
};

} // namespace gridmover
