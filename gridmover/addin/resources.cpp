#include "gridmover/addin/resources.h"

#include <array>
#include <stdexcept>

namespace gridmover::addin {

namespace {

// The button face: a grid with a header row and an arrow into it, drawn in the 16 standard
// colours of the palette the environment's toolbar uses (one letter a colour).
constexpr std::array<const char*, 16> kButtonFace{
    "................", //
    ".kkkkkkkkkkkkkk.", //
    ".kBBBBkBBBBkBBk.", //
    ".kkkkkkkkkkkkkk.", //
    ".kWWWWkWWWWkWWk.", //
    ".kWWWWkWWWWkWWk.", //
    ".kkkkkkkkkkkkkk.", //
    ".kWWWWkWWWWkWWk.", //
    ".kWWWWkWRRWkWWk.", //
    ".kkkkkkkRRkkkkk.", //
    ".kWWWWRRRRRRWWk.", //
    ".kWWWWkRRRRkWWk.", //
    ".kkkkkkkRRkkkkk.", //
    ".kWWWWkWWWWkWWk.", //
    ".kkkkkkkkkkkkkk.", //
    "................", //
};

std::uint32_t colourOf(char c) {
    switch (c) {
    case 'k':
        return 0xFF808080; // dark grey
    case 'B':
        return 0xFF000080; // navy
    case 'W':
        return 0xFFFFFFFF;
    case 'R':
        return 0xFF008000; // green
    default:
        return 0xFFC0C0C0; // the button's grey
    }
}

} // namespace

Bitmap LoadResPicture(int id) {
    if (id != kResButtonFace) {
        throw std::out_of_range("no picture resource " + std::to_string(id));
    }
    Bitmap b;
    b.width = 16;
    b.height = 16;
    for (const char* row : kButtonFace) {
        for (int x = 0; x < 16; ++x) {
            b.pixels.push_back(colourOf(row[x]));
        }
    }
    return b;
}

} // namespace gridmover::addin
