// cFilterDIB: the program's named filter operations.
//
// Each operation takes the image to change (xDIB) and a few numbers, hands the
// image's pixel bytes to qrix and returns; the image is changed in place.
// Neighbourhood filters read an unchanged source: either a private working copy
// of the image, or, for filters that rewrite nearly every byte, the image itself
// while the working copy receives the result and then becomes the image. A missing library or entry point
// throws orvane::LibraryError and stops the operation.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "CDIB.h"

namespace orvane {

class cFilterDIB {
 public:
  cFilterDIB();
  ~cFilterDIB();
  cFilterDIB(const cFilterDIB&) = delete;
  cFilterDIB& operator=(const cFilterDIB&) = delete;

  void UnSharpMask(CDIB& xDIB);
  void SharpenLess(CDIB& xDIB);
  void SharpenMore(CDIB& xDIB);
  void SimpleSharpen(CDIB& xDIB);
  void BlurMore(CDIB& xDIB);
  void BlurSoftly(CDIB& xDIB);
  void EmbossHightLight(CDIB& xDIB);
  void EmbossColor(CDIB& xDIB);
  // Does nothing unless every maximum lies strictly above its minimum.
  void AdjLevel(CDIB& xDIB, uint8_t RMin, uint8_t RMax, uint8_t GMin, uint8_t GMax, uint8_t bMin,
                uint8_t BMax);
  void EnhanceEdge(CDIB& xDIB);
  // Kept for the menu; it leaves the image as it is.
  void HistogramEquip(CDIB& xDIB);
  void SuperEdge(CDIB& xDIB);
  void FastBlur(CDIB& xDIB);
  void ArtisticEdge(CDIB& xDIB);
  void SpecialBlur(CDIB& xDIB);
  void AutoContrast(CDIB& xDIB);
  void ColorBound(CDIB& xDIB, int32_t RMin, int32_t RMax, int32_t GMin, int32_t GMax, int32_t bMin,
                  int32_t BMax);
  void FalseColor(CDIB& xDIB);
  void FastBlurPlus(CDIB& xDIB, int32_t xScale);
  void AutoLevel(CDIB& xDIB);
  void InvertAll(CDIB& xDIB);
  void InvertRed(CDIB& xDIB);
  void InvertGreen(CDIB& xDIB);
  void InvertBlue(CDIB& xDIB);
  void InvertCyan(CDIB& xDIB);
  void InvertCarmine(CDIB& xDIB);
  void InvertYellow(CDIB& xDIB);
  void GreyScale_Average(CDIB& xDIB);
  void GreyScale_HighLight(CDIB& xDIB);
  void GreyScale_MedianLight(CDIB& xDIB);
  void GreyScale_LowLight(CDIB& xDIB);
  void GreyScale_OnlyR(CDIB& xDIB);
  void GreyScale_OnlyG(CDIB& xDIB);
  void GreyScale_OnlyB(CDIB& xDIB);
  void StandardGreyscale(CDIB& xDIB);
  void Brightness(CDIB& xDIB, int32_t Rpct);
  void Contrast(CDIB& xDIB, int32_t Rpct);
  void Exposal(CDIB& xDIB, int32_t Rpct);
  void RGBBalance(CDIB& xDIB, int32_t Cr, int32_t cG, int32_t Cb);
  void RGB2BRG(CDIB& xDIB);
  void RGB2BGR(CDIB& xDIB);
  void RGB2GRB(CDIB& xDIB);
  void RGB2GBR(CDIB& xDIB);
  void RGB2RBG(CDIB& xDIB);
  void YUVBalance(CDIB& xDIB, int32_t xy, int32_t xu, int32_t xv);
  void HSLBalance(CDIB& xDIB, int32_t xH, int32_t xS, int32_t xL);
  void YCbCrBalance(CDIB& xDIB, int16_t xy, int16_t xcb, int16_t xcr);
  void KillRed(CDIB& xDIB);
  void KillGreen(CDIB& xDIB);
  void KillBlue(CDIB& xDIB);
  void KillYellow(CDIB& xDIB);
  void KillCyan(CDIB& xDIB);
  void KillCarmine(CDIB& xDIB);
  void SoftRed(CDIB& xDIB);
  void SoftGreen(CDIB& xDIB);
  void SoftOrange(CDIB& xDIB);
  void SoftYellow(CDIB& xDIB);
  void SoftPurple(CDIB& xDIB);
  void HardRed(CDIB& xDIB);
  void HardGreen(CDIB& xDIB);
  void HardBlue(CDIB& xDIB);
  void HardYellow(CDIB& xDIB);
  void FastPurple(CDIB& xDIB);
  void FastGrey(CDIB& xDIB);
  void FastYellow(CDIB& xDIB);
  void FastBrown(CDIB& xDIB);
  void FastDarkBrown(CDIB& xDIB);
  void BlackWhite(CDIB& xDIB, bool Average, int32_t Bw);
  void MotionBlur(CDIB& xDIB, int32_t Intensity, int32_t Direction);
  void GaussBlur(CDIB& xDIB);
  void Sharpen(CDIB& xDIB, int32_t Rpct, int32_t Direction);
  void Sharpen_Horizontal(CDIB& xDIB);
  void Sharpen_Vertical(CDIB& xDIB);
  void Sharpen_Roberts(CDIB& xDIB);
  void Sharpen_Wallis(CDIB& xDIB);
  void Sharpen_Laplacian1(CDIB& xDIB);
  void Sharpen_Laplacian2(CDIB& xDIB);
  void Emboss(CDIB& xDIB, bool GreyScale, int32_t Intensity, int32_t Direction, int32_t xR, int32_t xG,
              int32_t xB);
  void Engrave(CDIB& xDIB);
  void EngraveRed(CDIB& xDIB);
  void EngraveGreen(CDIB& xDIB);
  void EngraveBlue(CDIB& xDIB);
  void EngraveCyan(CDIB& xDIB);
  void EngraveCarmine(CDIB& xDIB);
  void EngraveYellow(CDIB& xDIB);
  void Contour(CDIB& xDIB);
  void Diffuse(CDIB& xDIB, int32_t Diffuse);
  void AfricaF(CDIB& xDIB);
  void Strange(CDIB& xDIB);
  void Unreal(CDIB& xDIB);
  void CharCoal(CDIB& xDIB);
  void KeshNost(CDIB& xDIB, int32_t Nos);
  void Neon(CDIB& xDIB, int32_t xNeon);
  void Erode(CDIB& xDIB, int32_t xErode);
  void Ice(CDIB& xDIB, int32_t Freeze);
  void Wave(CDIB& xDIB, int32_t intWave);
  void Noise(CDIB& xDIB);
  void Liquid(CDIB& xDIB);
  void WetPaper(CDIB& xDIB);
  void Wind(CDIB& xDIB, int32_t Blow);
  // Area is in hundred-thousandths of the image's bytes; -1 means one row.
  void Fog(CDIB& xDIB, int32_t xFog, int32_t Area);
  void Flame(CDIB& xDIB);
  void Night(CDIB& xDIB);
  void Eclipse(CDIB& xDIB);
  void WaterColour(CDIB& xDIB, int32_t xWater);
  void Comedy(CDIB& xDIB, int32_t xCome);
  void Spotted(CDIB& xDIB, int32_t xSpotted);
  void Noise_Reduction_Median(CDIB& xDIB);
  // xScale and YScale are percentages of the width and height.
  void Canvas(CDIB& xDIB, int32_t xScale, int32_t YScale);

  // The run length Fog hands the library for an Area setting.
  static int32_t FogArea(const CDIB& xDIB, int32_t Area);
  // The column and row spreads Canvas hands the library.
  static std::pair<int32_t, int32_t> CanvasSteps(const CDIB& xDIB, int32_t xScale, int32_t YScale);

 private:
  // The working copy made with its rows packed (see PackedPixels::packedCopy);
  // null when it could not be had.
  const uint8_t* PackedWorkingCopy(CDIB& xDIB);
  void BrownSelector(CDIB& xDIB, int32_t divisor);
  // False when the image has no pixels or the working copy could not be had.
  bool Sweep(CDIB& xDIB, int32_t (*fn)(const uint8_t*, uint8_t*, int32_t, int32_t));
  // Runs filter(source, destination) for a filter that writes every byte from
  // the second row's second pixel to the row before last: the image is the
  // source and the working copy, holding the image's first and last two rows,
  // the destination; the two then change places. False when the working copy
  // could not be had (the image is then unchanged).
  template <typename Filter>
  bool FilterIntoWorkingCopy(CDIB& xDIB, Filter&& filter);

  std::unique_ptr<CDIB> work_;
};

}  // namespace orvane
