#include "citylink/core/attendance.h"

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

std::string_view AttendanceRecord::column(int number) const {
    if (number < 1 || number > kFieldCount)
        throw std::out_of_range("AttendanceRecord: no column " + std::to_string(number));
    return field(static_cast<std::size_t>(number - 1));
}

void AttendanceRecord::setColumn(int number, std::string_view value) {
    column(number); // range check
    std::array<std::string, kFieldCount> copies;
    std::array<std::string_view, kFieldCount> views;
    for (int i = 0; i < kFieldCount; ++i) {
        copies[static_cast<std::size_t>(i)] =
            i == number - 1 ? std::string(value) : std::string(field(static_cast<std::size_t>(i)));
        views[static_cast<std::size_t>(i)] = copies[static_cast<std::size_t>(i)];
    }
    *this = AttendanceRecord(views);
}

} // namespace citylink
