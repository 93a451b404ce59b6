#include "PictureRegion.h"

#include <algorithm>

namespace orvane {

std::string CheckRect(const PixelRect& rect, int32_t w, int32_t h) {
  if (rect.empty()) return "the rectangle is empty (width and height must be at least 1)";
  if (rect.x < 0 || rect.y < 0 || rect.right() > w || rect.bottom() > h)
    return "the rectangle " + std::to_string(rect.x) + "," + std::to_string(rect.y) + "," +
           std::to_string(rect.width) + "," + std::to_string(rect.height) + " lies outside the " +
           std::to_string(w) + " x " + std::to_string(h) + " picture";
  return {};
}

PixelRect ClampRect(const PixelRect& rect, int32_t w, int32_t h) {
  const int64_t left = std::max<int64_t>(rect.x, 0), top = std::max<int64_t>(rect.y, 0);
  const int64_t right = std::min<int64_t>(rect.right(), w), bottom = std::min<int64_t>(rect.bottom(), h);
  if (right <= left || bottom <= top) return {};
  return {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right - left),
          static_cast<int32_t>(bottom - top)};
}

namespace {

// A copy of `rect` of `source` in a picture of its own.
bool CopyRect(CDIB& source, const PixelRect& rect, CDIB& out) {
  if (!out.Reshape(rect.width, rect.height)) return false;
  out.CloneHDC(source.hDC(), SRCCOPY, rect.x, rect.y);
  return true;
}

}  // namespace

bool CropTo(CDIB& image, const PixelRect& rect) {
  if (!CheckRect(rect, image.Width(), image.Height()).empty()) return false;
  CDIB part;
  if (!CopyRect(image, rect, part)) return false;
  image.Swap(part);
  return true;
}

bool ApplyInside(CDIB& image, const PixelRect& region, Reach reach,
                 const std::function<void(CDIB&)>& operation) {
  if (!CheckRect(region, image.Width(), image.Height()).empty()) return false;
  PixelRect work{0, 0, image.Width(), image.Height()};
  if (reach) {
    const int64_t margin = std::max(*reach, 0);
    const int64_t left = std::max<int64_t>(region.x - margin, 0),
                  top = std::max<int64_t>(region.y - margin, 0);
    const int64_t right = std::min<int64_t>(region.right() + margin, image.Width());
    const int64_t bottom = std::min<int64_t>(region.bottom() + margin, image.Height());
    work = {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right - left),
            static_cast<int32_t>(bottom - top)};
  }
  CDIB part;
  if (!CopyRect(image, work, part)) return false;
  operation(part);
  if (part.Width() != work.width || part.Height() != work.height) return false;
  BitBlt(image.hDC(), region.x, region.y, region.width, region.height, part.hDC(), region.x - work.x,
         region.y - work.y);
  return true;
}

}  // namespace orvane
