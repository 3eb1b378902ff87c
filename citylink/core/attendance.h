#pragma once
// One month of attendance as the web attendance service exports it: records of 15 text fields.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace citylink {

// The child's certified care need. The digit prefixes the layout keys of that need; the text is
// how the attendance export names it in its care-need column.
enum class CareNeed { Short, Standard };

std::string_view careNeedDigit(CareNeed need); // "2" (保育短時間) or "3" (保育標準時間)
std::string_view careNeedText(CareNeed need);  // "保育短時間" or "保育標準時間"

// One CSV record. Every column stays text; the named accessors are the columns the steps use.
struct AttendanceRecord {
    static constexpr int kFieldCount = 15;
    std::array<std::string, kFieldCount> fields;

    // Column by its 1-based number, as the export's documentation counts them.
    std::string& column(int number) { return fields.at(static_cast<std::size_t>(number - 1)); }
    const std::string& column(int number) const {
        return fields.at(static_cast<std::size_t>(number - 1));
    }

    const std::string& date() const { return fields[0]; }       // "yyyy/mm/dd" when a date
    const std::string& birthDate() const { return fields[3]; }  // "yyyy/mm/dd" when a date
    const std::string& careNeed() const { return fields[6]; }   // "保育短時間" / "保育標準時間"
    const std::string& childName() const { return fields[7]; }
    const std::string& nameReading() const { return fields[8]; }
    const std::string& arrival() const { return fields[10]; }   // "hh:mm" (登園)
    const std::string& departure() const { return fields[11]; } // "hh:mm" (降園)

    bool operator==(const AttendanceRecord&) const = default;
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
