#include "cFilterDIB.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "PackedPixels.h"
#include "Qrix.h"
#include "qrix_modes.h"

namespace orvane {

namespace {

using SweepFn = int32_t(const uint8_t*, uint8_t*, int32_t, int32_t);
using InteriorFn = int32_t(uint8_t*, int32_t, int32_t, int32_t, int32_t);

// Products of slider values stay inside 32 bits instead of overflowing.
int32_t scaled(int32_t value, int32_t factor) {
  const int64_t v = static_cast<int64_t>(value) * factor;
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// Nearest whole number, halves to even.
int32_t roundEven(double v) {
  const double r = std::nearbyint(v);
  if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max()))
    return r < 0 ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(r);
}

// Flat-walk functions get the padding-free pixels.
template <typename Fn>
void onPacked(CDIB& image, Fn&& fn) {
  if (image.DIBPointer() == nullptr) return;
  withPackedPixels(image, fn);
}

// Pixel-by-pixel functions run over the rows piecewise (see PackedPixels.h);
// only functions that look at the whole picture need it packed.
void pnoMode(CDIB& image, qrix_pno_mode mode) {
  auto call = [mode](uint8_t* p, int32_t n) { QRIX(pno)(p, n, mode); };
  // AutoContrast and AutoLevel measure the whole picture first; Eclipse's walk
  // stops short of the last pixel of the picture, not of each piece.
  if (mode == QRIX_PNO_AUTO_CONTRAST || mode == QRIX_PNO_AUTO_LEVEL || mode == QRIX_PNO_ECLIPSE)
    onPacked(image, call);
  else if (mode == QRIX_PNO_WET_PAPER)  // WetPaper builds its table on each call
    forPixelRuns(image, call);
  else
    forPixelRows(image, call);
}

void greyMode(CDIB& image, qrix_grey_mode mode) {
  forPixelRows(image, [mode](uint8_t* p, int32_t n) { QRIX(dllgreyadvance)(p, n, mode); });
}

// Interior-shape functions take the stride and work on the image itself.
void interior(CDIB& image, InteriorFn* fn) {
  if (image.DIBPointer() == nullptr) return;
  fn(image.DIBPointer(), image.RGBSize(), image.SRB(), image.Width(), image.Height());
}

void engrave(CDIB& image, int32_t red, int32_t green, int32_t blue) {
  if (image.DIBPointer() == nullptr) return;
  QRIX(dllengrave)(image.DIBPointer(), image.RGBSize(), image.SRB(), red, green, blue);
}

}  // namespace

cFilterDIB::cFilterDIB() = default;
cFilterDIB::~cFilterDIB() = default;

bool cFilterDIB::PrepareWorkingCopy(CDIB& xDIB) {
  if (!work_) work_ = std::make_unique<CDIB>();
  // The copy keeps its memory between operations; it is overwritten entirely
  // each time, so it is neither cleared before nor after.
  return work_->CopyOf(xDIB);
}

const uint8_t* cFilterDIB::PackedWorkingCopy(CDIB& xDIB) {
  if (!work_) work_ = std::make_unique<CDIB>();
  return PackedPixels::packedCopy(xDIB, *work_);
}

template <typename Filter>
bool cFilterDIB::FilterIntoWorkingCopy(CDIB& xDIB, Filter&& filter) {
  if (!work_) work_ = std::make_unique<CDIB>();
  if (!work_->Reshape(xDIB.Width(), xDIB.Height())) return false;
  uint8_t* image = xDIB.DIBPointer();
  uint8_t* result = work_->DIBPointer();
  // The bytes the filter leaves alone keep the image's values, pad bytes included.
  const size_t bytes = xDIB.ByteCount();
  const size_t edge = std::min(bytes, 2 * static_cast<size_t>(xDIB.SRB()) + 8);
  std::memcpy(result, image, edge);
  std::memcpy(result + bytes - edge, image + bytes - edge, edge);
  // A copy reads 0 in its pad bytes; so does the image when it serves as the source.
  const size_t row = static_cast<size_t>(xDIB.Width()) * 3, stride = static_cast<size_t>(xDIB.SRB());
  if (row != stride)
    for (size_t at = row; at < bytes; at += stride) std::memset(image + at, 0, stride - row);
  filter(static_cast<const uint8_t*>(image), result);
  xDIB.Swap(*work_);
  return true;
}

bool cFilterDIB::Sweep(CDIB& xDIB, int32_t (*fn)(const uint8_t*, uint8_t*, int32_t, int32_t)) {
  if (xDIB.DIBPointer() == nullptr) return false;
  const int32_t size = xDIB.RGBSize(), stride = xDIB.SRB();
  return FilterIntoWorkingCopy(
      xDIB, [&](const uint8_t* source, uint8_t* destination) { fn(source, destination, size, stride); });
}

void cFilterDIB::BrownSelector(CDIB& xDIB, int32_t divisor) {
  pnoMode(xDIB, divisor == 128 ? QRIX_PNO_FAST_BROWN : QRIX_PNO_FAST_DARK_BROWN);
}

void cFilterDIB::UnSharpMask(CDIB& xDIB) { interior(xDIB, QRIX(DllUnSharpMask)); }
void cFilterDIB::SharpenLess(CDIB& xDIB) { interior(xDIB, QRIX(DllSharpenLess)); }
void cFilterDIB::SharpenMore(CDIB& xDIB) { interior(xDIB, QRIX(DllSharpenMore)); }
void cFilterDIB::SimpleSharpen(CDIB& xDIB) { interior(xDIB, QRIX(DllSimpleSharpen)); }
void cFilterDIB::BlurMore(CDIB& xDIB) { interior(xDIB, QRIX(DllBlurMore)); }
void cFilterDIB::BlurSoftly(CDIB& xDIB) { interior(xDIB, QRIX(DllBlurSoftly)); }
void cFilterDIB::EmbossHightLight(CDIB& xDIB) { interior(xDIB, QRIX(DllEmbossHighLight)); }
void cFilterDIB::EmbossColor(CDIB& xDIB) { interior(xDIB, QRIX(DllEmbossColor)); }

void cFilterDIB::AdjLevel(CDIB& xDIB, uint8_t RMin, uint8_t RMax, uint8_t GMin, uint8_t GMax, uint8_t bMin,
                          uint8_t BMax) {
  if (!(RMax > RMin && GMax > GMin && BMax > bMin)) return;
  forPixelRuns(xDIB, [&](uint8_t* p, int32_t n) {
    QRIX(DllAdjLevel)(p, n, RMax, RMin, GMax, GMin, BMax, bMin);
  });
}

void cFilterDIB::EnhanceEdge(CDIB& xDIB) {
  const int32_t w = xDIB.Width(), h = xDIB.Height();
  onPacked(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllEnhanceEdge)(p, n, w, h); });
}

void cFilterDIB::HistogramEquip(CDIB&) {}

void cFilterDIB::SuperEdge(CDIB& xDIB) {
  if (Sweep(xDIB, QRIX(dllsharpenhor))) pnoMode(xDIB, QRIX_PNO_INVERT_ALL);
}

void cFilterDIB::FastBlur(CDIB& xDIB) { Sweep(xDIB, QRIX(dllfastblur)); }

void cFilterDIB::ArtisticEdge(CDIB& xDIB) {
  if (!Sweep(xDIB, QRIX(dllsharpenwallis))) return;
  onPacked(xDIB, [](uint8_t* p, int32_t n) {
    QRIX(pno)(p, n, QRIX_PNO_INVERT_ALL);
    QRIX(pno)(p, n, QRIX_PNO_AUTO_LEVEL);
  });
}

void cFilterDIB::SpecialBlur(CDIB& xDIB) { Sweep(xDIB, QRIX(dllspecialblur)); }
void cFilterDIB::AutoContrast(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_AUTO_CONTRAST); }

void cFilterDIB::ColorBound(CDIB& xDIB, int32_t RMin, int32_t RMax, int32_t GMin, int32_t GMax, int32_t bMin,
                            int32_t BMax) {
  forPixelRows(xDIB, [&](uint8_t* p, int32_t n) {
    QRIX(dllcolorbound)(p, n, RMax, GMax, BMax, RMin, GMin, bMin);
  });
}

void cFilterDIB::FalseColor(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_FALSE_COLOR); }

void cFilterDIB::FastBlurPlus(CDIB& xDIB, int32_t xScale) {
  if (xDIB.DIBPointer() == nullptr) return;
  auto* fn = QRIX(dllfastblurplus);
  const uint8_t* source = PackedWorkingCopy(xDIB);
  if (source == nullptr) return;
  const int32_t w = xDIB.Width(), h = xDIB.Height();
  withPackedPixels(xDIB, [&](uint8_t* p, int32_t n) { fn(source, p, n, w, h, xScale); });
}

void cFilterDIB::AutoLevel(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_AUTO_LEVEL); }
void cFilterDIB::InvertAll(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_INVERT_ALL); }
void cFilterDIB::InvertRed(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_INVERT_RED); }
void cFilterDIB::InvertGreen(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_INVERT_GREEN); }
void cFilterDIB::InvertBlue(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_INVERT_BLUE); }
void cFilterDIB::InvertCyan(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_INVERT_CYAN); }
void cFilterDIB::InvertCarmine(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_INVERT_CARMINE); }
void cFilterDIB::InvertYellow(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_INVERT_YELLOW); }
void cFilterDIB::GreyScale_Average(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_GREY_AVERAGE); }
void cFilterDIB::GreyScale_HighLight(CDIB& xDIB) { greyMode(xDIB, QRIX_GREY_HIGH_LIGHT); }
void cFilterDIB::GreyScale_MedianLight(CDIB& xDIB) { greyMode(xDIB, QRIX_GREY_MEDIAN_LIGHT); }
void cFilterDIB::GreyScale_LowLight(CDIB& xDIB) { greyMode(xDIB, QRIX_GREY_LOW_LIGHT); }
void cFilterDIB::GreyScale_OnlyR(CDIB& xDIB) { greyMode(xDIB, QRIX_GREY_ONLY_R); }
void cFilterDIB::GreyScale_OnlyG(CDIB& xDIB) { greyMode(xDIB, QRIX_GREY_ONLY_G); }
void cFilterDIB::GreyScale_OnlyB(CDIB& xDIB) { greyMode(xDIB, QRIX_GREY_ONLY_B); }
void cFilterDIB::StandardGreyscale(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_STANDARD_GREY); }

void cFilterDIB::Brightness(CDIB& xDIB, int32_t Rpct) {
  forPixelRows(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllbrightness)(p, n, Rpct); });
}

void cFilterDIB::Contrast(CDIB& xDIB, int32_t Rpct) {
  forPixelRows(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllcontrast)(p, n, Rpct); });
}

void cFilterDIB::Exposal(CDIB& xDIB, int32_t Rpct) {
  forPixelRows(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllexposal)(p, n, Rpct); });
}

void cFilterDIB::RGBBalance(CDIB& xDIB, int32_t Cr, int32_t cG, int32_t Cb) {
  forPixelRows(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllrgbbalance)(p, n, Cr, cG, Cb); });
}

void cFilterDIB::RGB2BRG(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_RGB_TO_BRG); }
void cFilterDIB::RGB2BGR(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_RGB_TO_BGR); }
void cFilterDIB::RGB2GRB(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_RGB_TO_GRB); }
void cFilterDIB::RGB2GBR(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_RGB_TO_GBR); }
void cFilterDIB::RGB2RBG(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_RGB_TO_RBG); }

void cFilterDIB::YUVBalance(CDIB& xDIB, int32_t xy, int32_t xu, int32_t xv) {
  forPixelRows(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllyuvbalance)(p, n, xy, xu, xv); });
}

void cFilterDIB::HSLBalance(CDIB& xDIB, int32_t xH, int32_t xS, int32_t xL) {
  forPixelRows(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllhsl)(p, n, xH, xS, xL); });
}

void cFilterDIB::YCbCrBalance(CDIB& xDIB, int16_t xy, int16_t xcb, int16_t xcr) {
  forPixelRows(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllycbcr)(p, n, xy, xcb, xcr); });
}

void cFilterDIB::KillRed(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_KILL_RED); }
void cFilterDIB::KillGreen(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_KILL_GREEN); }
void cFilterDIB::KillBlue(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_KILL_BLUE); }
void cFilterDIB::KillYellow(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_KILL_YELLOW); }
void cFilterDIB::KillCyan(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_KILL_CYAN); }
void cFilterDIB::KillCarmine(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_KILL_CARMINE); }
void cFilterDIB::SoftRed(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_SOFT_RED); }
void cFilterDIB::SoftGreen(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_SOFT_GREEN); }
void cFilterDIB::SoftOrange(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_SOFT_ORANGE); }
void cFilterDIB::SoftYellow(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_SOFT_YELLOW); }
void cFilterDIB::SoftPurple(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_SOFT_PURPLE); }
void cFilterDIB::HardRed(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_HARD_RED); }
void cFilterDIB::HardGreen(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_HARD_GREEN); }
void cFilterDIB::HardBlue(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_HARD_BLUE); }
void cFilterDIB::HardYellow(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_HARD_YELLOW); }
void cFilterDIB::FastPurple(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_FAST_PURPLE); }
void cFilterDIB::FastGrey(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_FAST_GREY); }
void cFilterDIB::FastYellow(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_FAST_YELLOW); }
void cFilterDIB::FastBrown(CDIB& xDIB) { BrownSelector(xDIB, 128); }
void cFilterDIB::FastDarkBrown(CDIB& xDIB) { BrownSelector(xDIB, 256); }

void cFilterDIB::BlackWhite(CDIB& xDIB, bool Average, int32_t Bw) {
  forPixelRows(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllblackwhite)(p, n, Average ? 1 : 0, Bw); });
}

void cFilterDIB::MotionBlur(CDIB& xDIB, int32_t Intensity, int32_t Direction) {
  if (xDIB.DIBPointer() == nullptr) return;
  auto* fn = QRIX(dllmotionblur);
  const int32_t size = xDIB.RGBSize(), stride = xDIB.SRB();
  FilterIntoWorkingCopy(xDIB, [&](const uint8_t* source, uint8_t* destination) {
    fn(source, destination, size, stride, Intensity, Direction);
  });
}

void cFilterDIB::GaussBlur(CDIB& xDIB) { Sweep(xDIB, QRIX(dllgaussblur)); }

void cFilterDIB::Sharpen(CDIB& xDIB, int32_t Rpct, int32_t Direction) {
  if (xDIB.DIBPointer() == nullptr) return;
  auto* fn = QRIX(dllsharpen);
  // Other directions write nothing.
  if (Direction < 1 || Direction > 8) return;
  const int32_t size = xDIB.RGBSize(), stride = xDIB.SRB();
  FilterIntoWorkingCopy(xDIB, [&](const uint8_t* source, uint8_t* destination) {
    fn(source, destination, size, stride, Direction, Rpct);
  });
}

void cFilterDIB::Sharpen_Horizontal(CDIB& xDIB) { Sweep(xDIB, QRIX(dllsharpenhor)); }
void cFilterDIB::Sharpen_Vertical(CDIB& xDIB) { Sweep(xDIB, QRIX(dllsharpenver)); }
void cFilterDIB::Sharpen_Roberts(CDIB& xDIB) { Sweep(xDIB, QRIX(dllsharpenroberts)); }
void cFilterDIB::Sharpen_Wallis(CDIB& xDIB) { Sweep(xDIB, QRIX(dllsharpenwallis)); }
void cFilterDIB::Sharpen_Laplacian1(CDIB& xDIB) { Sweep(xDIB, QRIX(dllsharpen_laplacian1)); }
void cFilterDIB::Sharpen_Laplacian2(CDIB& xDIB) { Sweep(xDIB, QRIX(dllsharpen_laplacian2)); }

void cFilterDIB::Emboss(CDIB& xDIB, bool GreyScale, int32_t Intensity, int32_t Direction, int32_t xR,
                        int32_t xG, int32_t xB) {
  if (xDIB.DIBPointer() == nullptr) return;
  auto* fn = QRIX(dllemboss);
  const int32_t size = xDIB.RGBSize(), stride = xDIB.SRB();
  auto emboss = [&](const uint8_t* source, uint8_t* destination) {
    fn(source, destination, size, stride, Intensity, Direction, xR, xG, xB, GreyScale ? 1 : 0);
  };
  // Each pixel is set against a partner at most |distance| rows and pixels away,
  // or against the mirrored one. While twice that reach fits in the buffer one of
  // the two lies inside for every pixel, so every pixel is rewritten; otherwise
  // pixels with neither partner inside keep their bytes and need a whole copy.
  const int64_t reach = std::max<int64_t>(1, std::abs(int64_t{Intensity})) * (int64_t{stride} + 3);
  if (2 * reach <= int64_t{size} - 2) {
    FilterIntoWorkingCopy(xDIB, emboss);
    return;
  }
  if (!PrepareWorkingCopy(xDIB)) return;
  emboss(work_->DIBPointer(), xDIB.DIBPointer());
}

void cFilterDIB::Engrave(CDIB& xDIB) { engrave(xDIB, 1, 1, 1); }
void cFilterDIB::EngraveRed(CDIB& xDIB) { engrave(xDIB, 1, 0, 0); }
void cFilterDIB::EngraveGreen(CDIB& xDIB) { engrave(xDIB, 0, 1, 0); }
void cFilterDIB::EngraveBlue(CDIB& xDIB) { engrave(xDIB, 0, 0, 1); }
void cFilterDIB::EngraveCyan(CDIB& xDIB) { engrave(xDIB, 0, 1, 1); }
void cFilterDIB::EngraveCarmine(CDIB& xDIB) { engrave(xDIB, 1, 0, 1); }
void cFilterDIB::EngraveYellow(CDIB& xDIB) { engrave(xDIB, 1, 1, 0); }

void cFilterDIB::Contour(CDIB& xDIB) { Sweep(xDIB, QRIX(dllcontour)); }

void cFilterDIB::Diffuse(CDIB& xDIB, int32_t Diffuse) {
  if (xDIB.DIBPointer() == nullptr) return;
  auto* fn = QRIX(dlldiffuse);
  const int32_t spread = scaled(Diffuse, 10);
  // A spread of 0 would make the library's random step divide by zero.
  if (spread != 0) withPackedPixels(xDIB, [&](uint8_t* p, int32_t n) { fn(p, n, spread); });
}

void cFilterDIB::AfricaF(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_AFRICA); }
void cFilterDIB::Strange(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_STRANGE); }
void cFilterDIB::Unreal(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_UNREAL); }

void cFilterDIB::CharCoal(CDIB& xDIB) {
  forPixelRows(xDIB, [](uint8_t* p, int32_t n) { QRIX(dllcharcoal)(p, n); });
}

void cFilterDIB::KeshNost(CDIB& xDIB, int32_t Nos) {
  forPixelRows(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllnost)(p, n, Nos); });
}

void cFilterDIB::Neon(CDIB& xDIB, int32_t xNeon) {
  onPacked(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllneon)(p, n, xNeon); });
}

void cFilterDIB::Erode(CDIB& xDIB, int32_t xErode) {
  const int32_t mask = scaled(xErode, 8);
  forPixelRuns(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllerode)(p, n, mask); });
}

void cFilterDIB::Ice(CDIB& xDIB, int32_t Freeze) {
  forPixelRows(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllice)(p, n, Freeze); });
}

void cFilterDIB::Wave(CDIB& xDIB, int32_t intWave) {
  const int32_t w = xDIB.Width(), h = xDIB.Height();
  onPacked(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllwave)(p, n, w, h, intWave); });
}

void cFilterDIB::Noise(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_NOISE); }
void cFilterDIB::Liquid(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_LIQUID); }
void cFilterDIB::WetPaper(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_WET_PAPER); }

void cFilterDIB::Wind(CDIB& xDIB, int32_t Blow) {
  // The library divides by Blow + 1.
  if (Blow == -1) return;
  forPixelRuns(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllwind)(p, n, Blow); });
}

int32_t cFilterDIB::FogArea(const CDIB& xDIB, int32_t Area) {
  if (Area == -1) return xDIB.SRB();
  return roundEven(static_cast<double>(static_cast<float>(Area)) / 100000.0 * xDIB.RGBSize());
}

void cFilterDIB::Fog(CDIB& xDIB, int32_t xFog, int32_t Area) {
  const int32_t amount = scaled(xFog, 5);
  const int32_t area = FogArea(xDIB, Area);
  // A spread of 0 would make the library's random step divide by zero.
  if (amount == 0) return;
  onPacked(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllfog)(p, n, amount, area); });
}

void cFilterDIB::Flame(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_FLAME); }
void cFilterDIB::Night(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_NIGHT); }
void cFilterDIB::Eclipse(CDIB& xDIB) { pnoMode(xDIB, QRIX_PNO_ECLIPSE); }

void cFilterDIB::WaterColour(CDIB& xDIB, int32_t xWater) {
  forPixelRuns(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllwatercolour)(p, n, xWater); });
}

void cFilterDIB::Comedy(CDIB& xDIB, int32_t xCome) {
  forPixelRuns(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllcomedy)(p, n, xCome); });
}

void cFilterDIB::Spotted(CDIB& xDIB, int32_t xSpotted) {
  forPixelRuns(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllspotted)(p, n, xSpotted); });
}

void cFilterDIB::Noise_Reduction_Median(CDIB& xDIB) { Sweep(xDIB, QRIX(medianfiltering)); }

std::pair<int32_t, int32_t> cFilterDIB::CanvasSteps(const CDIB& xDIB, int32_t xScale, int32_t YScale) {
  if (xScale == 0) xScale = 1;
  if (YScale == 0) YScale = 1;
  int32_t xStep = roundEven(xScale / 100.0 * xDIB.Width());
  int32_t yStep = roundEven(xDIB.Height() * static_cast<double>(static_cast<float>(YScale) / 100.0f));
  // A step of 0 would make the library's random step divide by zero (small
  // pictures at low percentages); the smallest scatter is one pixel.
  if (xStep == 0) xStep = 1;
  if (yStep == 0) yStep = 1;
  return {xStep, yStep};
}

void cFilterDIB::Canvas(CDIB& xDIB, int32_t xScale, int32_t YScale) {
  if (xDIB.DIBPointer() == nullptr) return;
  auto* fn = QRIX(dllcanvas);
  const uint8_t* source = PackedWorkingCopy(xDIB);
  if (source == nullptr) return;
  const auto [xStep, yStep] = CanvasSteps(xDIB, xScale, YScale);
  const int32_t w = xDIB.Width(), h = xDIB.Height();
  withPackedPixels(xDIB, [&](uint8_t* p, int32_t n) { fn(source, p, n, w, h, xStep, yStep); });
}

}  // namespace orvane
