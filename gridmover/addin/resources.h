#pragma once
// The add-in's picture resources (its string resources live with the run, in the core).
#include "gridmover/addin/environment.h"

namespace gridmover::addin {

inline constexpr int kResButtonFace = 1000; // 16 x 16 pixels, 16 colours

// The picture of a resource id; throws std::out_of_range for an id the add-in does not hold.
Bitmap LoadResPicture(int id);

} // namespace gridmover::addin
