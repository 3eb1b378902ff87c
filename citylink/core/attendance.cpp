#include "citylink/core/attendance.h"

#include "citylink/core/same_text.h"

#include <bit>
#include <cstring>
#include <stdexcept>

namespace citylink {

std::string_view careNeedDigit(CareNeed need) {
    return need == CareNeed::Short ? "2" : "3";
}

std::string_view careNeedText(CareNeed need) {
    return need == CareNeed::Short ? "保育短時間" : "保育標準時間";
}

AttendanceRecord::AttendanceRecord(const std::array<std::string_view, kFieldCount>& values) {
    std::size_t total = 0;
    for (std::string_view v : values)
        total += v.size();
    if (total > UINT32_MAX)
        throw std::length_error("AttendanceRecord: fields too long");
    text_.resize(total);
    std::size_t at = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!values[i].empty())
            std::memcpy(text_.data() + at, values[i].data(), values[i].size());
        at += values[i].size();
        ends_[i] = static_cast<std::uint32_t>(at);
    }
}

namespace {

std::array<std::string_view, kAttendanceFieldCount> valuesOf(const AttendanceRecordView& view) {
    std::array<std::string_view, kAttendanceFieldCount> values;
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = view.field(i);
    return values;
}

} // namespace

AttendanceRecord::AttendanceRecord(const AttendanceRecordView& view)
    : AttendanceRecord(valuesOf(view)) {}

void AttendanceRecord::setColumn(int number, std::string_view value) {
    checkColumn(number);
    std::array<std::string, kFieldCount> copies;
    std::array<std::string_view, kFieldCount> views;
    for (int i = 0; i < kFieldCount; ++i) {
        copies[static_cast<std::size_t>(i)] =
            i == number - 1 ? std::string(value) : std::string(field(static_cast<std::size_t>(i)));
        views[static_cast<std::size_t>(i)] = copies[static_cast<std::size_t>(i)];
    }
    *this = AttendanceRecord(views);
}

AttendanceRecordView::AttendanceRecordView(const AttendanceRecord& record) : record_(&record) {}

AttendanceRecordView AttendanceTable::at(std::size_t i) const {
    if (i < 1 || i > fields_.size())
        throw std::out_of_range("AttendanceTable: no record " + std::to_string(i));
    return view(i - 1);
}

void AttendanceTable::clear() {
    text_.clear();
    fields_.clear();
    recent_.clear();
}

void AttendanceTable::reserve(std::size_t records, std::size_t textBytes) {
    fields_.reserve(records);
    text_.reserve(textBytes);
}

std::uint32_t AttendanceTable::store(std::string_view value) {
    if (text_.empty()) // offset 0: the empty value every empty field shares
        text_.assign(sizeof(std::uint32_t), '\0');
    if (value.empty())
        return 0;
    const std::size_t at = text_.size();
    // A value taken from this very table must survive the buffer moving.
    if (value.data() >= text_.data() && value.data() < text_.data() + text_.size()) {
        const std::string copy(value);
        return store(copy);
    }
    if (value.size() > UINT32_MAX || at + sizeof(std::uint32_t) + value.size() > UINT32_MAX)
        throw std::length_error("AttendanceTable: too much text");
    const auto length = static_cast<std::uint32_t>(value.size());
    text_.resize(at + sizeof length + value.size());
    std::memcpy(text_.data() + at, &length, sizeof length);
    std::memcpy(text_.data() + at + sizeof length, value.data(), value.size());
    return static_cast<std::uint32_t>(at);
}

namespace {

// A hash of a short value (1 to 32 bytes) from a few word loads: the table hashes three or four
// values of every record (the date and the times), and a byte-by-byte hash cost more than the
// rest of storing them. Only the slot of the recent values depends on it. 32 bits.
std::uint64_t shortHash(std::string_view value) {
    const char* p = value.data();
    const std::size_t n = value.size();
    std::uint64_t a, b;
    if (n >= 8) {
        std::memcpy(&a, p, 8);
        std::memcpy(&b, p + n - 8, 8);
        if (n > 16) {
            std::uint64_t c, d;
            std::memcpy(&c, p + 8, 8);
            std::memcpy(&d, p + n - 16, 8);
            a ^= (c ^ 0x9E3779B97F4A7C15ull) * 0xC2B2AE3D27D4EB4Full;
            b ^= d;
        }
    } else if (n >= 4) {
        std::uint32_t x, y;
        std::memcpy(&x, p, 4);
        std::memcpy(&y, p + n - 4, 4);
        a = x;
        b = y;
    } else {
        a = static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[n / 2]) << 8 |
            static_cast<unsigned char>(p[n - 1]) << 16;
        b = 0;
    }
    // The high bits of the product depend on every bit of the words.
    return ((a ^ (b * 0x9E3779B97F4A7C15ull) ^ n) * 0xFF51AFD7ED558CCDull) >> 32;
}

} // namespace

// Inlined into append, which calls it for three or four values of every record.
[[gnu::always_inline]] inline std::uint32_t AttendanceTable::storeShared(std::size_t column,
                                                                         std::string_view value) {
    constexpr std::size_t kShort = 32; // dates, times, names; a long remark is hardly repeated
    if (value.empty() || value.size() > kShort)
        return store(value);
    if (recent_.empty()) [[unlikely]]
        recent_.assign(kFieldCount * kRecentSlots, 0);
    std::uint32_t& slot = recent_[column * kRecentSlots + (shortHash(value) * kRecentSlots >> 32)];
    if (slot != 0 && SameText(valueAt(slot), value))
        return slot;
    slot = store(value);
    return slot;
}

void AttendanceTable::append(const std::array<std::string_view, kFieldCount>& values) {
    append(values, 0);
}

void AttendanceTable::append(const std::array<std::string_view, kFieldCount>& values,
                             std::uint32_t asLast) {
    Fields fields;
    // The record before, by offsets: text_ may move while this record's values are stored.
    const bool hasPrevious = !fields_.empty();
    if (!hasPrevious && asLast != 0)
        throw std::logic_error("AttendanceTable: no last record to repeat");
    const Fields previous = hasPrevious ? fields_.back() : Fields{};
    fields = previous; // the columns asLast names keep these
    for (std::uint32_t rest = ~asLast & ((1u << kFieldCount) - 1); rest != 0; rest &= rest - 1) {
        const auto i = static_cast<std::size_t>(std::countr_zero(rest));
        if (!hasPrevious || !SameText(valueAt(previous[i]), values[i]))
            fields[i] = storeShared(i, values[i]);
    }
    fields_.push_back(fields);
}

void AttendanceTable::append(const AttendanceRecordView& record) {
    std::array<std::string_view, kFieldCount> values;
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = record.field(i);
    append(values);
}

void AttendanceTable::setColumn(std::size_t i, int number, std::string_view value) {
    at(i);
    AttendanceRecordView::checkColumn(number);
    // A value shared with the neighbours is never overwritten: the record gets its own.
    const std::uint32_t offset = store(value);
    fields_[i - 1][static_cast<std::size_t>(number - 1)] = offset;
}

bool AttendanceTable::operator==(const AttendanceTable& other) const {
    if (count() != other.count())
        return false;
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (!view(i).sameFields(other.view(i)))
            return false;
    return true;
}

} // namespace citylink
