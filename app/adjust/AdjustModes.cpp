#include "AdjustModes.h"

#include <algorithm>
#include <iterator>

namespace orvane {

namespace {

const AdjustMode kModes[] = {
    {"Brightness And Contrast", "Brightness and Contrast"},
    {"Exposal", "Exposal"},
    {"Adjust Levels", "Adjust Levels"},
    {"Hue and Saturation", "Hue and Saturation"},
    {"Mix Solid Color", "Mix Solid Color"},
    {"RGB Balance", "Red Green Blue"},
    {"RGB Bounds", "RGB Bounds"},
    {"Black and White", "Black and White"},
    {"Average Blur", "Average Blur"},
    {"Direction Blur", "Direction Blur"},
    {"Sharpen Balance", "Sharpen Balance"},
    {"Emboss", "Emboss"},
    {"Canvas", "Canvas"},
    {"Diffuse", "Diffuse"},
    {"Nostalgic", "Nostalgic"},
    {"Neon", "Neon"},
    {"Ice", "Ice"},
    {"Erode", "Erode"},
    {"Wave", "Wave"},
    {"Wind", "Wind"},
    {"Fog", "Fog"},
    {"WaterColour", "WaterColour"},
    {"Comedy", "Comedy"},
    {"Spotted", "Spotted"},
    {"Resize", "Resize"},
    {"Persian Blinds", "Persian Blinds"},
    {"Parallel", "Parallel"},
    {"Trapezia", "Trapezia"},
    {"Pentagon", "Pentagon"},
};
static_assert(std::size(kModes) == kLastAdjustMode);

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

}  // namespace

const AdjustMode* FindAdjustMode(int mode) {
  if (mode < kFirstAdjustMode || mode > kLastAdjustMode) return nullptr;
  return &kModes[mode - 1];
}

std::vector<const SliderSpec*> SlidersOfMode(int mode) {
  std::vector<const SliderSpec*> out;
  for (const SliderSpec& s : kSliders)
    if (s.mode == mode) out.push_back(&s);
  return out;
}

int LargeChangeFor(int min, int max) { return std::max(1, (max - min) / 6); }

}  // namespace orvane
