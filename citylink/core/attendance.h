#pragma once
// One month of attendance as the web attendance service exports it: records of 15 text fields.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace citylink {

// The child's certified care need. The digit prefixes the layout keys of that need; the text is
// how the attendance export names it in its care-need column.
enum class CareNeed { Short, Standard };

std::string_view careNeedDigit(CareNeed need); // "2" (保育短時間) or "3" (保育標準時間)
std::string_view careNeedText(CareNeed need);  // "保育短時間" or "保育標準時間"

// One CSV record: 15 text fields. The named accessors are the columns the steps use.
// The fields live back to back in one string: a big month holds some ten thousand records, and
// one allocation per record instead of one per field keeps the import close to the speed of
// merely decoding the file. Views returned stay valid until the record changes or goes.
class AttendanceRecord {
public:
    static constexpr int kFieldCount = 15;

    AttendanceRecord() = default; // 15 empty fields
    explicit AttendanceRecord(const std::array<std::string_view, kFieldCount>& values);

    // Column by its 1-based number, as the export's documentation counts them; throws
    // std::out_of_range outside 1..15.
    std::string_view column(int number) const;
    void setColumn(int number, std::string_view value);

    std::string_view date() const { return field(0); }      // "yyyy/mm/dd" when a date
    std::string_view birthDate() const { return field(3); } // "yyyy/mm/dd" when a date
    std::string_view careNeed() const { return field(6); } // "保育短時間" / "保育標準時間"
    std::string_view childName() const { return field(7); }
    std::string_view nameReading() const { return field(8); }
    std::string_view arrival() const { return field(10); }   // "hh:mm" (登園)
    std::string_view departure() const { return field(11); } // "hh:mm" (降園)

    bool operator==(const AttendanceRecord&) const = default;

private:
    std::string_view field(std::size_t i) const {
        std::uint32_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(text_).substr(begin, ends_[i] - begin);
    }

    std::string text_;
    std::array<std::uint32_t, kFieldCount> ends_{}; // end offset of each field in text_
};

// The attendance table: records in file order, numbered from 1 like the window's array.
class AttendanceTable {
public:
    std::size_t count() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    // Record number i, 1 <= i <= count(); throws std::out_of_range otherwise.
    const AttendanceRecord& at(std::size_t i) const { return records_.at(i - 1); }
    AttendanceRecord& at(std::size_t i) { return records_.at(i - 1); }

    void clear() { records_.clear(); }
    void append(AttendanceRecord record) { records_.push_back(std::move(record)); }
    // Replaces the whole table.
    void assign(std::vector<AttendanceRecord> records) { records_ = std::move(records); }

    auto begin() const { return records_.begin(); }
    auto end() const { return records_.end(); }

private:
    std::vector<AttendanceRecord> records_;
};

} // namespace citylink
