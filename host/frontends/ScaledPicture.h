// A picture at another size than its own, for a display of other pixels per
// inch than the one it was drawn for.
#pragma once

#include "host/loader/Pictures.h"

namespace host {

// The largest side a picture is resampled to; larger is drawn stretched instead.
inline constexpr int kMaxScaledSide = 8 * kMaxPictureSide;

// The picture resampled to width x height (each 1 to kMaxScaledSide): every
// pixel of the result takes the source pixels it covers, weighted by how
// much of each it covers and by their alpha, so that edges stay smooth and
// a transparent pixel lends no colour to its neighbours.
Picture Resampled(const Picture& picture, int width, int height);

}  // namespace host
