// Separable resampling between two drawing surfaces.
//
// Each axis on its own: area averaging when it shrinks (or keeps its size),
// bilinear interpolation between pixel centres when it grows, so a picture
// can be reduced across and enlarged along at once. Weights are 14-bit fixed
// point and sum exactly to one per output pixel; the columns are resampled
// with 7 extra bits kept, the rows then round to nearest (halves up). The
// result depends on nothing but the two sizes and the pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "DrawingSurface.h"

namespace orvane {

// The source taps of every output position along one axis.
struct ResampleAxis {
  static constexpr int32_t kOne = 1 << 14;  // weight of a whole pixel

  std::vector<int32_t> first;    // first source index of output k
  std::vector<int32_t> begin;    // weights of output k: weights[begin[k] .. begin[k + 1])
  std::vector<int32_t> weights;  // consecutive source pixels from first[k]

  // Taps for n source pixels onto m output pixels (both at least 1).
  static ResampleAxis build(int32_t n, int32_t m);
};

// Resamples all of from onto all of to. False when working memory could not
// be had (to is then unchanged) or either surface has no pixels.
bool Resample(const DrawingSurface& from, const DrawingSurface& to);

}  // namespace orvane
