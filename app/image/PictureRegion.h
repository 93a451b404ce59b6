// Parts of a picture: cropping to a rectangle, and running an operation so
// that it changes only the pixels inside a rectangle.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "CDIB.h"

namespace orvane {

// A rectangle in picture pixels, x from the left, y from the top row.
struct PixelRect {
  int32_t x = 0, y = 0, width = 0, height = 0;

  bool operator==(const PixelRect&) const = default;
  bool empty() const { return width <= 0 || height <= 0; }
  int64_t right() const { return int64_t{x} + width; }
  int64_t bottom() const { return int64_t{y} + height; }
};

// Empty when the rectangle lies inside a w x h picture and is not empty;
// otherwise why not ("… lies outside the 640 x 480 picture").
std::string CheckRect(const PixelRect& rect, int32_t pictureWidth, int32_t pictureHeight);

// The part of `rect` that lies inside a w x h picture (empty when none does).
PixelRect ClampRect(const PixelRect& rect, int32_t pictureWidth, int32_t pictureHeight);

// Makes `image` the given rectangle of itself (which must lie inside it).
// False, with the picture unchanged, when the rectangle does not fit or memory
// cannot be had.
bool CropTo(CDIB& image, const PixelRect& rect);

// How far an operation reads around a pixel; nullopt when it may read
// anywhere (whole-picture statistics, shapes) or it is not known.
using Reach = std::optional<int32_t>;

// Runs `operation` so that only the pixels inside `region` change. The
// operation runs on the region plus `reach` pixels around it (clipped to the
// picture), or on a copy of the whole picture when the reach is not known;
// then the region alone is copied back. The inside then equals the same part
// of a whole-picture run wherever the reach stays inside the picture. Random
// operations draw a different sequence over a smaller picture, so their
// inside is random in the same way but not the same draws.
// False, with the picture unchanged, when the region does not fit, memory
// cannot be had, or the operation changed the working picture's size.
bool ApplyInside(CDIB& image, const PixelRect& region, Reach reach,
                 const std::function<void(CDIB&)>& operation);

}  // namespace orvane
