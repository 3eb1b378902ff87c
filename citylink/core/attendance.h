#pragma once
// One month of attendance as the web attendance service exports it: records of 15 text fields.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace citylink {

// The child's certified care need. The digit prefixes the layout keys of that need; the text is
// how the attendance export names it in its care-need column.
enum class CareNeed { Short, Standard };

std::string_view careNeedDigit(CareNeed need); // "2" (保育短時間) or "3" (保育標準時間)
std::string_view careNeedText(CareNeed need);  // "保育短時間" or "保育標準時間"

inline constexpr int kAttendanceFieldCount = 15;

// The accessors every kind of record shares: Derived provides field(i), 0-based.
template <class Derived>
class AttendanceFields {
public:
    static constexpr int kFieldCount = kAttendanceFieldCount;

    // Column by its 1-based number, as the export's documentation counts them; throws
    // std::out_of_range outside 1..15.
    std::string_view column(int number) const {
        checkColumn(number);
        return self().field(static_cast<std::size_t>(number - 1));
    }

    std::string_view date() const { return self().field(0); }      // "yyyy/mm/dd" when a date
    std::string_view birthDate() const { return self().field(3); } // "yyyy/mm/dd" when a date
    std::string_view careNeed() const { return self().field(6); } // "保育短時間" / "保育標準時間"
    std::string_view childName() const { return self().field(7); }
    std::string_view nameReading() const { return self().field(8); }
    std::string_view arrival() const { return self().field(10); }   // "hh:mm" (登園)
    std::string_view departure() const { return self().field(11); } // "hh:mm" (降園)

    // Field by field, whatever the storage.
    template <class Other>
    bool sameFields(const AttendanceFields<Other>& other) const {
        for (std::size_t i = 0; i < kFieldCount; ++i)
            if (self().field(i) != static_cast<const Other&>(other).field(i))
                return false;
        return true;
    }

    static void checkColumn(int number) {
        if (number < 1 || number > kFieldCount)
            throw std::out_of_range("AttendanceRecord: no column " + std::to_string(number));
    }

private:
    const Derived& self() const { return static_cast<const Derived&>(*this); }
};

class AttendanceRecordView;

// One CSV record on its own: 15 text fields. Records of a file live in an AttendanceTable; this is
// for a record built by hand (a check of one time, a test). Views returned stay valid until the
// record changes or goes.
class AttendanceRecord : public AttendanceFields<AttendanceRecord> {
public:
    AttendanceRecord() = default; // 15 empty fields
    explicit AttendanceRecord(const std::array<std::string_view, kFieldCount>& values);
    explicit AttendanceRecord(const AttendanceRecordView& view);

    void setColumn(int number, std::string_view value);

    std::string_view field(std::size_t i) const {
        std::uint32_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(text_).substr(begin, ends_[i] - begin);
    }

    bool operator==(const AttendanceRecord& other) const { return sameFields(other); }

private:
    // The fields back to back in one string: one allocation per record, not one per field.
    std::string text_;
    std::array<std::uint32_t, kFieldCount> ends_{}; // end offset of each field in text_
};

// One record of an AttendanceTable, by reference: valid until the table changes or goes.
class AttendanceRecordView : public AttendanceFields<AttendanceRecordView> {
public:
    AttendanceRecordView(const char* text, const std::uint32_t* fields)
        : text_(text), fields_(fields) {}
    // A record built by hand, viewed the same way (it must outlive the view).
    AttendanceRecordView(const AttendanceRecord& record); // NOLINT: a record is a view of itself

    std::string_view field(std::size_t i) const {
        if (!text_) // a hand-built record
            return record_->field(i);
        std::uint32_t length;
        std::memcpy(&length, text_ + fields_[i], sizeof length);
        return std::string_view(text_ + fields_[i] + sizeof length, length);
    }

    template <class Other>
    bool operator==(const AttendanceFields<Other>& other) const {
        return sameFields(other);
    }

private:
    const char* text_ = nullptr;
    const std::uint32_t* fields_ = nullptr;
    const AttendanceRecord* record_ = nullptr;
};

// The attendance table: records in file order, numbered from 1 like the window's array.
//
// A big month holds some ten thousand records, and on a fresh process every new page of memory
// costs a page fault, so the table keeps its text compact: all values in one buffer, each record
// 15 offsets into it. A value equal to the same column of the record before is not stored again
// (an export lists a child's days one after another: class, number, name, reading, birth date and
// care need repeat), so the buffer holds little more than the dates and times.
class AttendanceTable {
public:
    static constexpr int kFieldCount = kAttendanceFieldCount;

    std::size_t count() const { return fields_.size(); }
    bool empty() const { return fields_.empty(); }
    // Record number i, 1 <= i <= count(); throws std::out_of_range otherwise. The view stays
    // valid until the table changes.
    AttendanceRecordView at(std::size_t i) const;

    void clear();
    // Room for about `records` records and `textBytes` bytes of values (a hint only).
    void reserve(std::size_t records, std::size_t textBytes);
    // Appends a record; the values may view anything, this table included.
    void append(const std::array<std::string_view, kFieldCount>& values);
    // The same for a record whose columns with their bit set in `asLast` (bit i for column i,
    // 0-based) the caller knows to hold the last record's values: a reader that found those
    // columns repeated byte for byte gives them the last record's storage without comparing them
    // again. The last record must exist when any bit is set.
    void append(const std::array<std::string_view, kFieldCount>& values, std::uint32_t asLast);
    void append(const AttendanceRecordView& record); // a hand-built record too
    // Replaces column `number` (1..15) of record i (1..count()); throws std::out_of_range.
    void setColumn(std::size_t i, int number, std::string_view value);

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = AttendanceRecordView;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = AttendanceRecordView;

        const_iterator() = default;
        AttendanceRecordView operator*() const { return table_->view(index_); }
        const_iterator& operator++() {
            ++index_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++index_;
            return before;
        }
        bool operator==(const const_iterator& other) const { return index_ == other.index_; }

    private:
        friend class AttendanceTable;
        const_iterator(const AttendanceTable* table, std::size_t index)
            : table_(table), index_(index) {}
        const AttendanceTable* table_ = nullptr;
        std::size_t index_ = 0;
    };
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, fields_.size()); }

    // Same records with the same values, however stored.
    bool operator==(const AttendanceTable& other) const;

private:
    using Fields = std::array<std::uint32_t, kFieldCount>;
    AttendanceRecordView view(std::size_t index) const {
        return AttendanceRecordView(text_.data(), fields_[index].data());
    }
    std::uint32_t store(std::string_view value);
    std::uint32_t storeShared(std::size_t column, std::string_view value);
    std::string_view valueAt(std::uint32_t offset) const {
        std::uint32_t length;
        std::memcpy(&length, text_.data() + offset, sizeof length);
        return std::string_view(text_.data() + offset + sizeof length, length);
    }

    // Each value as a 4-byte length and its bytes; offset 0 is the empty value.
    std::string text_;
    std::vector<Fields> fields_; // per record, the offset of each value in text_
    // Per column, the offsets of short values stored lately, by a hash of the value: the dates of
    // the month and the times of day recur all through the file, not only on the record before.
    // Enough slots that the few hundred times of day of a month mostly keep theirs: a value that
    // lost its slot is stored again, and the text written costs more pages than the slots do.
    static constexpr std::size_t kRecentSlots = 512;
    std::vector<std::uint32_t> recent_; // kFieldCount * kRecentSlots once used; 0 for none
};

} // namespace citylink
