#pragma once
// Positions and sizes of the add-in's windows are given in twips; on the screen they are pixels
// at the runtime's twips per pixel (15 on a screen of 96 dots per inch).
#include <cmath>

namespace gridmover::addin {

inline int TwipsToPixels(int twips, int twipsPerPixel = 15) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / twipsPerPixel));
}

} // namespace gridmover::addin
