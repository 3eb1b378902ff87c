#include "gridmover/core/guid.h"

#include <stdexcept>

namespace gridmover {

namespace {

std::string hex(std::uint32_t value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    do {
        s.insert(s.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return s;
}

} // namespace

void GUID::ToBytes(std::span<std::uint8_t> b) const {
    if (b.size() < 16) {
        throw std::out_of_range("GUID::ToBytes: the array holds fewer than 16 bytes");
    }
    const auto d1 = static_cast<std::uint32_t>(Data1);
    const auto d2 = static_cast<std::uint16_t>(Data2);
    const auto d3 = static_cast<std::uint16_t>(Data3);
    b[0] = static_cast<std::uint8_t>(d1);
    b[1] = static_cast<std::uint8_t>(d1 >> 8);
    b[2] = static_cast<std::uint8_t>(d1 >> 16);
    b[3] = static_cast<std::uint8_t>(d1 >> 24);
    b[4] = static_cast<std::uint8_t>(d2);
    b[5] = static_cast<std::uint8_t>(d2 >> 8);
    b[6] = static_cast<std::uint8_t>(d3);
    b[7] = static_cast<std::uint8_t>(d3 >> 8);
    b[8] = Byte1;
    b[9] = Byte2;
    b[10] = Byte3;
    b[11] = Byte4;
    b[12] = Byte5;
    b[13] = Byte6;
    b[14] = Byte7;
    b[15] = Byte8;
}

std::string GUID::ToString() const {
    std::string s = ZeroPad(hex(static_cast<std::uint32_t>(Data1)), 8);
    s += '-';
    s += ZeroPad(hex(static_cast<std::uint16_t>(Data2)), 4);
    s += '-';
    s += ZeroPad(hex(static_cast<std::uint16_t>(Data3)), 4);
    s += '-';
    s += ZeroPad(hex(Byte1), 2);
    s += ZeroPad(hex(Byte2), 2);
    s += '-';
    for (std::uint8_t b : {Byte3, Byte4, Byte5, Byte6, Byte7, Byte8}) {
        s += ZeroPad(hex(b), 2);
    }
    return s;
}

std::string GUID::ZeroPad(std::string s, std::size_t width) {
    if (s.size() < width) {
        s.insert(0, width - s.size(), '0');
    }
    return s;
}

} // namespace gridmover
