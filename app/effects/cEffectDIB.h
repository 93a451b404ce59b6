// cEffectDIB: the program's geometric effects.
//
// Rotation, flips, mirrors and resizing rearrange the pixels in memory; the
// colour mix, blinds and shape distortions hand the image to qrix. Every
// operation changes the image it is given in place (Rotate and Zoom may change
// its size).
#pragma once

#include <cstdint>
#include <memory>

#include "CDIB.h"

namespace orvane {

class cEffectDIB {
 public:
  cEffectDIB();
  ~cEffectDIB();
  cEffectDIB(const cEffectDIB&) = delete;
  cEffectDIB& operator=(const cEffectDIB&) = delete;

  // 90: a quarter turn counter-clockwise, 180: a half turn, 270: a quarter
  // turn clockwise. Any other angle leaves the image as it is.
  void Rotate(CDIB& xDIB, int32_t Angle = 0);
  // Resizes the image. With ByRatio, newW and newH are percentages (1 to 1000);
  // otherwise pixel sizes (at least 1). False when the image could not be made.
  bool Zoom(CDIB& xDIB, int32_t newW, int32_t newH, bool ByRatio);
  void FlipHor(CDIB& xDIB);
  void FlipVer(CDIB& xDIB);
  void MirrorHor(CDIB& xDIB);
  void MirrorHorRev(CDIB& xDIB);
  void MirrorVer(CDIB& xDIB);
  void MirrorVerRev(CDIB& xDIB);

  void MixColor(CDIB& xDIB, int32_t AB, int32_t xR, int32_t xG, int32_t xB);
  // A Blinds of 0 is taken as 1 and written back.
  void Blinds(CDIB& xDIB, int32_t& Blinds, bool Reverse, bool Hor, bool Bump);
  void Pentagon(CDIB& xDIB, int32_t HighRatio, int32_t MedRatio, int32_t LowRatio);
  void Trapezia(CDIB& xDIB, int32_t Ratio, bool Rev, bool Hor);
  void Parallel(CDIB& xDIB, int32_t Ratio, bool Rev, bool Hor);

 private:
  using ShapeFn = int32_t(const uint8_t*, uint8_t*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                          int32_t);
  // False when the black canvas could not be had; the image is then unchanged.
  bool RedrawFromCopy(CDIB& xDIB, ShapeFn* fn, int32_t a, int32_t b, int32_t c);
  // A half turn in place, a pair of rows at a time.
  void TurnHalf(CDIB& xDIB);
  CDIB& WorkingCopy();

  std::unique_ptr<CDIB> work_;
};

}  // namespace orvane
