#include "ColourProfile.h"

#include <lcms2.h>

#include <memory>

namespace orvane {

namespace {

struct ProfileCloser {
  void operator()(void* p) const { cmsCloseProfile(p); }
};
struct TransformDeleter {
  void operator()(void* t) const { cmsDeleteTransform(t); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;
using Transform = std::unique_ptr<void, TransformDeleter>;

void quiet(cmsContext, cmsUInt32Number, const char*) {}

}  // namespace

void ConvertToSrgb(CDIB& picture, const QByteArray& iccProfile) {
  if (iccProfile.isEmpty() || picture.DIBPointer() == nullptr) return;
  static const bool silenced = (cmsSetLogErrorHandler(quiet), true);
  (void)silenced;
  Profile source(
      cmsOpenProfileFromMem(iccProfile.constData(), static_cast<cmsUInt32Number>(iccProfile.size())));
  if (!source) return;
  const cmsColorSpaceSignature space = cmsGetColorSpace(source.get());
  // A grey picture is held as three equal channels; its profile maps each of them alike.
  if (space != cmsSigRgbData && space != cmsSigGrayData) return;
  Profile srgb(cmsCreate_sRGBProfile());
  if (!srgb) return;
  const cmsUInt32Number format = space == cmsSigRgbData ? TYPE_BGR_8 : TYPE_GRAY_8;
  Transform transform(cmsCreateTransform(source.get(), format, srgb.get(), TYPE_BGR_8, INTENT_PERCEPTUAL, 0));
  if (!transform) return;
  const int32_t w = picture.Width();
  uint8_t* const base = picture.DIBPointer();
  if (space == cmsSigRgbData) {
    // Same pixel layout in and out: lcms converts each row in place.
    for (int32_t y = 0; y < picture.Height(); ++y) {
      uint8_t* row = base + static_cast<int64_t>(y) * picture.SRB();
      cmsDoTransform(transform.get(), row, row, static_cast<cmsUInt32Number>(w));
    }
    return;
  }
  // Grey: the first channel of each pixel is the grey value. A grey profile on
  // a colour picture does not describe it and is ignored like a broken one.
  for (int32_t y = 0; y < picture.Height(); ++y) {
    const uint8_t* p = base + static_cast<int64_t>(y) * picture.SRB();
    for (int32_t x = 0; x < w; ++x, p += 3)
      if (p[0] != p[1] || p[1] != p[2]) return;
  }
  std::unique_ptr<uint8_t[]> grey(new (std::nothrow) uint8_t[w]);
  if (!grey) return;
  for (int32_t y = 0; y < picture.Height(); ++y) {
    uint8_t* row = base + static_cast<int64_t>(y) * picture.SRB();
    for (int32_t x = 0; x < w; ++x) grey[x] = row[3 * x];
    cmsDoTransform(transform.get(), grey.get(), row, static_cast<cmsUInt32Number>(w));
  }
}

}  // namespace orvane
