#include "AdjustModes.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "Operations.h"

namespace orvane {

namespace {

PaneArg S(const char* slider) { return {PaneArg::Slider, slider}; }
PaneArg T(const char* box) { return {PaneArg::Ticked, box}; }
PaneArg Fixed(int32_t value) { return {PaneArg::Fixed, nullptr, value}; }
std::vector<PaneArg> S(std::initializer_list<const char*> sliders) {
  std::vector<PaneArg> out;
  for (const char* s : sliders) out.push_back(S(s));
  return out;
}
// The red, green and blue of a colour box.
std::vector<PaneArg> RGB(const char* box) {
  return {{PaneArg::Red, box}, {PaneArg::Green, box}, {PaneArg::Blue, box}};
}
template <typename... More>
std::vector<PaneArg> join(std::vector<PaneArg> first, More&&... more) {
  (first.insert(first.end(), more.begin(), more.end()), ...);
  return first;
}

const char* const kColor = "mnu_Filter_ColorAdj";
const char* const kChemistry = "mnu_Filter_Chemistry";
const char* const kNature = "mnu_Filter_Nature";
const char* const kArt = "mnu_Filter_Art";
const char* const kDistortion = "mnu_Effect_Distortion";

// Built on first use: the table holds vectors, and the menus may be built
// before this file's statics would be.
const AdjustMode* modes() {
  static const AdjustMode kModes[] = {
      {"Brightness And Contrast",
       "Brightness and Contrast",
       kColor,
       0,
       "Brightness and Contrast...",
       {{"Brightness", {S("HSBright")}}, {"Contrast", {S("HSContrast")}}}},
      {"Exposal", "Exposal", kColor, 1, "Exposal...", {{"Exposal", {S("HSExposal")}}}},
      {"Adjust Levels",
       "Adjust Levels",
       kColor,
       3,
       "Adjust Levels...",
       {{"AdjLevel", S({"HSLevelsRMin", "HSLevelsRMax", "HSLevelsGMin", "HSLevelsGMax", "HSLevelsBMin",
                        "HSLevelsBMax"})}}},
      {"Hue and Saturation",
       "Hue and Saturation",
       kColor,
       4,
       "Hue and Saturation...",
       {{"HSLBalance", {S("HSHue"), S("HSSaturation"), Fixed(0)}}}},
      {"Mix Solid Color",
       "Mix Solid Color",
       kColor,
       5,
       "Mix Solid Color...",
       {{"MixColor", join({S("HSMix")}, RGB("picColor"))}}},
      {"RGB Balance",
       "Red Green Blue",
       kColor,
       7,
       "RGB Balance...",
       {{"RGBBalance", S({"HSRGBRed", "HSRGBGreen", "HSRGBBlue"})}}},
      {"RGB Bounds",
       "RGB Bounds",
       kColor,
       8,
       "RGB Bounds...",
       {{"ColorBound", S({"HSBoundsRMin", "HSBoundsRMax", "HSBoundsGMin", "HSBoundsGMax", "HSBoundsBMin",
                          "HSBoundsBMax"})}}},
      {"Black and White",
       "Black and White",
       kColor,
       19,
       "Black and White...",
       {{"BlackWhite", {T("OpAverage"), S("HSBlackWhite")}}}},
      {"Average Blur",
       "Average Blur",
       "mnu_Blur",
       5,
       "Average Blur...",
       {{"FastBlurPlus", {S("HSAverageBlur")}}}},
      {"Direction Blur",
       "Direction Blur",
       "mnu_Blur",
       6,
       "Direction Blur...",
       {{"MotionBlur", S({"HSDBlur", "HSDBlurDirection"})}}},
      {"Sharpen Balance",
       "Sharpen Balance",
       "mnu_Sharpen",
       0,
       "Sharpen Balance...",
       {{"Sharpen", S({"HSSharpen", "HSSharpenDirection"})}}},
      {"Emboss",
       "Emboss",
       "mnu_Style",
       0,
       "Emboss...",
       {{"Emboss",
         join({T("CheckEmboss")}, S({"HSEmbossIntensity", "HSEmbossDirection"}), RGB("PicEmbossColor"))}}},
      {"Canvas", "Canvas", "mnu_Style", 2, "Canvas...", {{"Canvas", S({"HSCanvasHor", "HSCanvasVer"})}}},
      {"Diffuse", "Diffuse", "mnu_Style", 3, "Diffuse...", {{"Diffuse", {S("HSDiffuse")}}}},
      {"Nostalgic", "Nostalgic", "mnu_Style", 4, "Kesh Nostalgic..", {{"KeshNost", {S("HSNost")}}}},
      {"Neon", "Neon", kChemistry, 0, "Neon...", {{"Neon", {S("HSNeon")}}}},
      // Erode (1) and Ice (2) sit in the menu out of mode order.
      {"Ice", "Ice", kChemistry, 2, "Ice...", {{"Ice", {S("HSIce")}}}},
      {"Erode", "Erode", kChemistry, 1, "Erode...", {{"Erode", {S("HSErode")}}}},
      {"Wave", "Wave", "mnu_Filter_Physics", 0, "Wave...", {{"Wave", {S("HSWave")}}}},
      {"Wind", "Wind", kNature, 0, "Wind...", {{"Wind", {S("HSWind")}}}},
      {"Fog", "Fog", kNature, 1, "Fog...", {{"Fog", S({"HSFog", "HSFogArea"})}}},
      {"WaterColour", "WaterColour", kArt, 0, "WaterColour...", {{"WaterColour", {S("HSWaterColour")}}}},
      {"Comedy", "Comedy", kArt, 1, "Comedy...", {{"Comedy", {S("HSComedy")}}}},
      {"Spotted", "Spotted", kArt, 2, "Spotted...", {{"Spotted", {S("HSSpotted")}}}},
      {"Resize", "Resize", "mnu_Effect_Resize", -1, "Resize...", {}},
      {"Persian Blinds",
       "Persian Blinds",
       "mnu_Effect_Blinds",
       -1,
       "Persian Blinds...",
       {{"Blinds", {S("HSBlinds"), T("CheckBlindsRev"), T("CheckBlindsHor"), T("CheckBlindsBump")}}}},
      {"Parallel",
       "Parallel",
       kDistortion,
       0,
       "Parallel...",
       {{"Parallel", {S("HSParallel"), T("CheckParallelRev"), T("CheckParallelHor")}}}},
      {"Trapezia",
       "Trapezia",
       kDistortion,
       1,
       "Trapezia...",
       {{"Trapezia", {S("HSTrapezia"), T("CheckTrapeziaRev"), T("CheckTrapeziaHor")}}}},
      // The ratios go bottom, median, top.
      {"Pentagon",
       "Pentagon",
       kDistortion,
       2,
       "Pentagon...",
       {{"Pentagon", S({"HSPentagonBottom", "HSPentagonMedian", "HSPentagonTop"})}}},
  };
  static_assert(std::size(kModes) == kLastAdjustMode);
  return kModes;
}

constexpr int M = kStartAtMin;

// Set-up order within a mode: direction before intensity in modes 10 and 11.
const SliderSpec kSliders[] = {
    {1, "HSBright", -255, 255, 0, false, 0, "LabBrightness", "Brightness:"},
    {1, "HSContrast", 0, 600, 100, false, 1, "LabContrast", "Contrast:"},
    {2, "HSExposal", 0, 255, 50, false, 0, "LabExposal", nullptr},
    {3, "HSLevelsRMin", 0, 254, 0, true, 0, "LabRedMin", "Red Min:"},
    {3, "HSLevelsRMax", 1, 255, 255, true, 1, "LabRedMax", "Red Max:"},
    {3, "HSLevelsGMin", 0, 254, 0, true, 2, "LabGreenMin", "Green Min:"},
    {3, "HSLevelsGMax", 1, 255, 255, true, 3, "LabGreenMax", "GreenMax:"},
    {3, "HSLevelsBMin", 0, 254, 0, true, 4, "LabBlueMin", "Blue Min:"},
    {3, "HSLevelsBMax", 1, 255, 255, true, 5, "LabBlueMax", "BlueMax:"},
    {4, "HSHue", -360, 360, 0, true, 0, "LabHue", "Hue:"},
    {4, "HSSaturation", -100, 100, 10, true, 1, "LabSaturation", "Saturation:"},
    {5, "HSMix", 0, 100, 50, true, 0, "LabMix", "Mix Intensity:"},
    {6, "HSRGBRed", -255, 255, 0, true, 0, "LabRGBRed", "Red:", "Cyan", qRgb(255, 0, 0), qRgb(128, 255, 255)},
    {6, "HSRGBGreen", -255, 255, 0, true, 1, "LabRGBGreen", "Green:", "Carmine", qRgb(0, 192, 0),
     qRgb(255, 0, 255)},
    {6, "HSRGBBlue", -255, 255, 1, true, 2, "LabRGBBlue", "Blue:", "Yellow", qRgb(0, 0, 255),
     qRgb(255, 255, 0)},
    {7, "HSBoundsRMin", 0, 254, 0, true, 0, "LabBoundsRMin", "Red Min:"},
    {7, "HSBoundsRMax", 1, 255, 255, true, 1, "LabBoundsRMax", "Red Max:"},
    {7, "HSBoundsGMin", 0, 254, 0, true, 2, "LabBoundsGMin", "Green Min:"},
    {7, "HSBoundsGMax", 1, 255, 255, true, 3, "LabBoundsGMax", "Green Max:"},
    {7, "HSBoundsBMin", 0, 254, 0, true, 4, "LabBoundsBMin", "Blue Min:"},
    {7, "HSBoundsBMax", 1, 255, 255, true, 5, "LabBoundsBMax", "Blue Max:"},
    {8, "HSBlackWhite", 0, 255, 128, true, 0, "LabBlackWhite", nullptr},
    {9, "HSAverageBlur", 1, 5, 3, true, 0, "LabAverageBlur", nullptr},
    {10, "HSDBlurDirection", 1, 8, M, true, 1, "LabDBlurDirection", "Direction:"},
    {10, "HSDBlur", 1, 10, 5, true, 0, "LabDBlurIntensity", "Intensity:"},
    {11, "HSSharpenDirection", 1, 8, M, true, 1, "LabSharpenDirection", "Direction:"},
    {11, "HSSharpen", 0, 200, 100, true, 0, "LabSharpen", "Intensity:"},
    {12, "HSEmbossIntensity", 1, 5, M, true, 0, "LabEmbossIntensity", "Intensity:"},
    {12, "HSEmbossDirection", 1, 8, 1, true, 1, "LabEmbossDirection", "Direction:"},
    {13, "HSCanvasHor", 1, 30, M, true, 0, "LabCanvasHor", "Horizontal:"},
    {13, "HSCanvasVer", 1, 30, 8, true, 1, "LabCanvasVer", "Vertical:"},
    {14, "HSDiffuse", 1, 10, 5, true, 0, "LabDiffuse", nullptr},
    {15, "HSNost", 1, 50, 24, true, 0, "LabNost", nullptr},
    {16, "HSNeon", 0, 255, 32, true, 0, "LabNeon", nullptr},
    {17, "HSIce", 100, 300, 200, true, 0, "LabIce", nullptr},
    {18, "HSErode", 1, 20, 4, true, 0, "LabErode", nullptr},
    {19, "HSWave", 1, 4, 4, true, 0, "LabWave", nullptr},
    {20, "HSWind", 1, 20, 10, true, 0, "LabWind", nullptr},
    {21, "HSFog", 1, 60, M, true, 0, "LabFog", "Intensity:"},
    {21, "HSFogArea", 1, 1000, 1, true, 1, "LabFogArea", "Area:"},
    {22, "HSWaterColour", 1, 100, 40, true, 0, "LabWaterColour", nullptr},
    {23, "HSComedy", 1, 500, 300, true, 0, "LabComedy", nullptr},
    {24, "HSSpotted", 0, 200, 100, true, 0, "LabSpotted", nullptr},
    {26, "HSBlinds", 0, 255, 10, true, 0, "LabBlinds", nullptr},
    {27, "HSParallel", 1, 99, 50, true, 0, "LabParallel", "Ratio:"},
    {28, "HSTrapezia", 1, 99, 50, true, 0, "LabTrapezia", nullptr},
    {29, "HSPentagonTop", 1, 99, 40, true, 0, "LabPentagonTop", "Top Ratio:"},
    {29, "HSPentagonMedian", 1, 99, 50, true, 1, "LabPentagonMedian", "Median Ratio:"},
    {29, "HSPentagonBottom", 1, 99, 40, true, 2, "LabPentagonBottom", "Bottom Ratio:"},
};

using C = PaneControl;

// Within a row in this order.
const PaneControl kControls[] = {
    {5, C::Colour, "picColor", "Mix Color:", "Click to  Choose a Color", qRgb(0, 0, 100)},
    {8, C::Radio, "OpAverage", "Average", nullptr, 0, C::TickedAtSetUp},
    {8, C::Radio, "OpFull", "Full"},
    {12, C::Colour, "PicEmbossColor", "Color:", "Please choose a color", qRgb(128, 128, 128)},
    {12, C::Check, "CheckEmboss", "Use GreyScale?", nullptr, 0, C::BuiltTicked, 12},
    {25, C::SizeBox, "txtResizeWid", "Width:"},
    {25, C::SizeBox, "txtResizeHei", "Height:"},
    {26, C::Check, "CheckBlindsHor", "Horizontal?"},
    {26, C::Check, "CheckBlindsBump", "Bump?"},
    {26, C::Check, "CheckBlindsRev", "Reverse?"},
    {27, C::Check, "CheckParallelHor", "Horizontal?"},
    {27, C::Check, "CheckParallelRev", "Reverse?"},
    {28, C::Check, "CheckTrapeziaHor", "Horizontal?"},
    {28, C::Check, "CheckTrapeziaRev", "Reverse?"},
};

}  // namespace

const AdjustMode* FindAdjustMode(int mode) {
  if (mode < kFirstAdjustMode || mode > kLastAdjustMode) return nullptr;
  return &modes()[mode - 1];
}

int AdjustModeOfMenuItem(const char* array, int index) {
  for (int mode = kFirstAdjustMode; mode <= kLastAdjustMode; ++mode) {
    const AdjustMode& m = modes()[mode - 1];
    if (std::strcmp(m.menuArray, array) == 0 && (m.menuIndex == -1 || m.menuIndex == index)) return mode;
  }
  return 0;
}

std::vector<const SliderSpec*> SlidersOfMode(int mode) {
  std::vector<const SliderSpec*> out;
  for (const SliderSpec& s : kSliders)
    if (s.mode == mode) out.push_back(&s);
  return out;
}

std::vector<const PaneControl*> ControlsOfMode(int mode) {
  std::vector<const PaneControl*> out;
  for (const PaneControl& c : kControls)
    if (c.mode == mode) out.push_back(&c);
  return out;
}

int LargeChangeFor(int min, int max) { return std::max(1, (max - min) / 6); }

bool PaneWorksOnWholePicture(const AdjustMode& mode) {
  if (mode.steps.empty()) return true;  // Resize
  for (const PaneStep& step : mode.steps)
    if (const OperationDef* op = FindOperation(step.operation); op != nullptr && op->wholePicture)
      return true;
  return false;
}

}  // namespace orvane
