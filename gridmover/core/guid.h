#pragma once
// One named GUID of a grid control version: the class id of the grid, the id of its type library
// or of one of its interfaces. The catalogue fills the fields one by one; nothing here parses text.
#include <cstdint>
#include <span>
#include <string>

namespace gridmover {

class GUID {
public:
    std::string Name;
    // Signed storage as in the catalogue; every conversion uses the fields' bit patterns.
    std::int32_t Data1 = 0;
    std::int16_t Data2 = 0;
    std::int16_t Data3 = 0;
    std::uint8_t Byte1 = 0, Byte2 = 0, Byte3 = 0, Byte4 = 0;
    std::uint8_t Byte5 = 0, Byte6 = 0, Byte7 = 0, Byte8 = 0;

    // Writes the 16-byte in-memory (little-endian) form into b[0..15], the layout a GUID has in
    // binary form files. Throws std::out_of_range, writing nothing, when b holds fewer than 16
    // bytes.
    void ToBytes(std::span<std::uint8_t> b) const;
    // Registry text form without braces: 36 upper-case characters, e.g.
    // "00028C00-0000-0000-0000-000000000046".
    std::string ToString() const;

private:
    // s with "0" put in front until it is at least width characters long.
    static std::string ZeroPad(std::string s, std::size_t width);
};

} // namespace gridmover
