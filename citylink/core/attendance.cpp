#include "citylink/core/attendance.h"

namespace citylink {

std::string_view careNeedDigit(CareNeed need) {
    return need == CareNeed::Short ? "2" : "3";
}

std::string_view careNeedText(CareNeed need) {
    return need == CareNeed::Short ? "保育短時間" : "保育標準時間";
}

} // namespace citylink
