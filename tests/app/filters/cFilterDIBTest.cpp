// cFilterDIB: each operation reaches the right library function with the right
// arguments and geometry, flat walks see padding-free rows, and the working
// copy keeps the source unchanged.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "OperationTestSupport.h"
#include "PackedPixels.h"
#include "cFilterDIB.h"

using namespace orvane;
using namespace optest;

namespace {

// 8 pixels x 3 bytes is a multiple of 4: rows carry no padding.
constexpr int32_t kW = 8, kH = 6;

using Op = std::function<void(cFilterDIB&, CDIB&)>;
using Reference = std::function<void(uint8_t* image, int32_t size, const CDIB& geometry)>;

struct Case {
  const char* name;
  Op op;
  Reference reference;
};

// Runs op on a fresh picture and reference on a copy of the same bytes, each
// in a fresh thread, and compares the results. The reference gets RGBSize as
// its size, or with wholeBytes (flat walks) the byte count, which reaches the
// last pixel.
void expectSame(const Case& c, int32_t w = kW, int32_t h = kH, bool wholeBytes = false) {
  CDIB image;
  randomPicture(image, w, h);
  std::vector<uint8_t> expected = bytesOf(image);
  inFreshThread([&] {
    cFilterDIB filter;
    c.op(filter, image);
  });
  const int32_t size = wholeBytes ? static_cast<int32_t>(image.ByteCount()) : image.RGBSize();
  inFreshThread([&] { c.reference(expected.data(), size, image); });
  EXPECT_EQ(bytesOf(image), expected) << c.name;
}

void expectSameFlat(const Case& c) { expectSame(c, kW, kH, true); }

}  // namespace

TEST(FilterOperations, ColourMappingsUsePnoModes) {
  const std::vector<std::pair<void (cFilterDIB::*)(CDIB&), int32_t>> table = {
      {&cFilterDIB::AutoContrast, 57},
      {&cFilterDIB::FalseColor, 55},
      {&cFilterDIB::AutoLevel, 58},
      {&cFilterDIB::InvertAll, 1},
      {&cFilterDIB::InvertRed, 2},
      {&cFilterDIB::InvertGreen, 3},
      {&cFilterDIB::InvertBlue, 4},
      {&cFilterDIB::InvertCyan, 6},
      {&cFilterDIB::InvertCarmine, 5},
      {&cFilterDIB::InvertYellow, 7},
      {&cFilterDIB::GreyScale_Average, 8},
      {&cFilterDIB::StandardGreyscale, 56},
      {&cFilterDIB::RGB2BRG, 11},
      {&cFilterDIB::RGB2BGR, 10},
      {&cFilterDIB::RGB2GRB, 13},
      {&cFilterDIB::RGB2GBR, 12},
      {&cFilterDIB::RGB2RBG, 14},
      {&cFilterDIB::KillRed, 15},
      {&cFilterDIB::KillGreen, 16},
      {&cFilterDIB::KillBlue, 17},
      {&cFilterDIB::KillYellow, 20},
      {&cFilterDIB::KillCyan, 18},
      {&cFilterDIB::KillCarmine, 19},
      {&cFilterDIB::SoftRed, 21},
      {&cFilterDIB::SoftGreen, 22},
      {&cFilterDIB::SoftOrange, 23},
      {&cFilterDIB::SoftYellow, 24},
      {&cFilterDIB::SoftPurple, 25},
      {&cFilterDIB::HardRed, 26},
      {&cFilterDIB::HardGreen, 27},
      {&cFilterDIB::HardBlue, 28},
      {&cFilterDIB::HardYellow, 29},
      {&cFilterDIB::FastPurple, 30},
      {&cFilterDIB::FastGrey, 31},
      {&cFilterDIB::FastYellow, 32},
      {&cFilterDIB::FastBrown, 33},
      {&cFilterDIB::FastDarkBrown, 34},
      {&cFilterDIB::AfricaF, 48},
      {&cFilterDIB::Strange, 49},
      {&cFilterDIB::Unreal, 60},
      {&cFilterDIB::Noise, 50},
      {&cFilterDIB::Liquid, 51},
      {&cFilterDIB::WetPaper, 52},
      {&cFilterDIB::Flame, 53},
      {&cFilterDIB::Night, 54},
      {&cFilterDIB::Eclipse, 47}};
  for (const auto& [method, mode] : table) {
    const std::string name = "pno mode " + std::to_string(mode);
    expectSameFlat({name.c_str(), [m = method](cFilterDIB& f, CDIB& i) { (f.*m)(i); },
                    [mode = mode](uint8_t* p, int32_t n, const CDIB&) {
                      LIB(pno)
                      (p, n, mode);
                    }});
  }
}

TEST(FilterOperations, GreyScalesUseGreyAdvanceModes) {
  const std::vector<std::pair<void (cFilterDIB::*)(CDIB&), int32_t>> table = {
      {&cFilterDIB::GreyScale_HighLight, 1}, {&cFilterDIB::GreyScale_MedianLight, 2},
      {&cFilterDIB::GreyScale_LowLight, 3},  {&cFilterDIB::GreyScale_OnlyR, 4},
      {&cFilterDIB::GreyScale_OnlyG, 5},     {&cFilterDIB::GreyScale_OnlyB, 6}};
  for (const auto& [method, mode] : table)
    expectSameFlat({"greyadvance", [m = method](cFilterDIB& f, CDIB& i) { (f.*m)(i); },
                    [mode = mode](uint8_t* p, int32_t n, const CDIB&) {
                      LIB(dllgreyadvance)
                      (p, n, mode);
                    }});
}

TEST(FilterOperations, ParameterisedPixelFiltersPassTheirValues) {
  const std::vector<Case> cases = {
      {"Brightness", [](cFilterDIB& f, CDIB& i) { f.Brightness(i, 40); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllbrightness)
         (p, n, 40);
       }},
      {"Contrast", [](cFilterDIB& f, CDIB& i) { f.Contrast(i, 150); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllcontrast)
         (p, n, 150);
       }},
      {"Exposal", [](cFilterDIB& f, CDIB& i) { f.Exposal(i, 90); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllexposal)
         (p, n, 90);
       }},
      {"RGBBalance", [](cFilterDIB& f, CDIB& i) { f.RGBBalance(i, 30, -20, 10); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllrgbbalance)
         (p, n, 30, -20, 10);
       }},
      {"YUVBalance", [](cFilterDIB& f, CDIB& i) { f.YUVBalance(i, 5, -7, 9); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllyuvbalance)
         (p, n, 5, -7, 9);
       }},
      {"HSLBalance", [](cFilterDIB& f, CDIB& i) { f.HSLBalance(i, 30, 20, -10); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllhsl)
         (p, n, 30, 20, -10);
       }},
      {"YCbCrBalance", [](cFilterDIB& f, CDIB& i) { f.YCbCrBalance(i, -12, 8, 3); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllycbcr)
         (p, n, -12, 8, 3);
       }},
      {"BlackWhite average", [](cFilterDIB& f, CDIB& i) { f.BlackWhite(i, true, 100); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllblackwhite)
         (p, n, 1, 100);
       }},
      {"BlackWhite", [](cFilterDIB& f, CDIB& i) { f.BlackWhite(i, false, 90); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllblackwhite)
         (p, n, 0, 90);
       }},
      {"ColorBound", [](cFilterDIB& f, CDIB& i) { f.ColorBound(i, 10, 200, 20, 210, 30, 220); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllcolorbound)
         (p, n, 200, 210, 220, 10, 20, 30);
       }},
      {"AdjLevel", [](cFilterDIB& f, CDIB& i) { f.AdjLevel(i, 10, 200, 20, 210, 30, 220); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(DllAdjLevel)
         (p, n, 200, 10, 210, 20, 220, 30);
       }},
      {"CharCoal", [](cFilterDIB& f, CDIB& i) { f.CharCoal(i); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllcharcoal)
         (p, n);
       }},
      {"KeshNost", [](cFilterDIB& f, CDIB& i) { f.KeshNost(i, 6); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllnost)
         (p, n, 6);
       }},
      {"Neon", [](cFilterDIB& f, CDIB& i) { f.Neon(i, 12); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllneon)
         (p, n, 12);
       }},
      {"Erode 3 passes 24", [](cFilterDIB& f, CDIB& i) { f.Erode(i, 3); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllerode)
         (p, n, 24);
       }},
      {"Ice", [](cFilterDIB& f, CDIB& i) { f.Ice(i, 150); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllice)
         (p, n, 150);
       }},
      {"Wind", [](cFilterDIB& f, CDIB& i) { f.Wind(i, 3); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllwind)
         (p, n, 3);
       }},
      {"WaterColour", [](cFilterDIB& f, CDIB& i) { f.WaterColour(i, 14); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllwatercolour)
         (p, n, 14);
       }},
      {"Comedy", [](cFilterDIB& f, CDIB& i) { f.Comedy(i, 80); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllcomedy)
         (p, n, 80);
       }},
      {"Spotted", [](cFilterDIB& f, CDIB& i) { f.Spotted(i, 70); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllspotted)
         (p, n, 70);
       }},
      {"Diffuse 3 passes 30", [](cFilterDIB& f, CDIB& i) { f.Diffuse(i, 3); },
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dlldiffuse)
         (p, n, 30);
       }},
      {"Fog one row", [](cFilterDIB& f, CDIB& i) { f.Fog(i, 4, -1); },
       [](uint8_t* p, int32_t n, const CDIB& g) {
         LIB(dllfog)
         (p, n, 20, g.SRB());
       }},
      {"Fog half the bytes", [](cFilterDIB& f, CDIB& i) { f.Fog(i, 2, 50000); },
       // RGBSize 143: 71.5 rounds to the even 72.
       [](uint8_t* p, int32_t n, const CDIB&) {
         LIB(dllfog)
         (p, n, 10, 72);
       }},
  };
  for (const Case& c : cases) expectSameFlat(c);
}

TEST(FilterOperations, FogAreaAndCanvasStepsFollowTheImage) {
  CDIB image;
  randomPicture(image, 5, 10);  // stride 16, RGBSize 159
  EXPECT_EQ(cFilterDIB::FogArea(image, -1), 16);
  EXPECT_EQ(cFilterDIB::FogArea(image, 50000), 80);  // 79.5 to even
  EXPECT_EQ(cFilterDIB::FogArea(image, 0), 0);
  EXPECT_EQ(cFilterDIB::FogArea(image, 100000), 159);

  CDIB wide;
  randomPicture(wide, 250, 150);
  EXPECT_EQ(cFilterDIB::CanvasSteps(wide, 0, 0), cFilterDIB::CanvasSteps(wide, 1, 1));
  // 2.5 rounds to even 2; 150 x (1/100 in single precision) is just below 1.5.
  EXPECT_EQ(cFilterDIB::CanvasSteps(wide, 1, 1), (std::pair<int32_t, int32_t>{2, 1}));
  EXPECT_EQ(cFilterDIB::CanvasSteps(wide, 10, 20), (std::pair<int32_t, int32_t>{25, 30}));
  // Steps that would round to 0 stay at 1: the library's random step cannot take 0.
  EXPECT_EQ(cFilterDIB::CanvasSteps(image, 1, 1), (std::pair<int32_t, int32_t>{1, 1}));
}

TEST(FilterOperations, InteriorFiltersWorkOnTheImageWithItsStride) {
  using Fn = int32_t(uint8_t*, int32_t, int32_t, int32_t, int32_t);
  const std::vector<std::pair<void (cFilterDIB::*)(CDIB&), Fn*>> table = {
      {&cFilterDIB::UnSharpMask, LIB(DllUnSharpMask)},
      {&cFilterDIB::SharpenLess, LIB(DllSharpenLess)},
      {&cFilterDIB::SharpenMore, LIB(DllSharpenMore)},
      {&cFilterDIB::SimpleSharpen, LIB(DllSimpleSharpen)},
      {&cFilterDIB::BlurMore, LIB(DllBlurMore)},
      {&cFilterDIB::BlurSoftly, LIB(DllBlurSoftly)},
      {&cFilterDIB::EmbossHightLight, LIB(DllEmbossHighLight)},
      {&cFilterDIB::EmbossColor, LIB(DllEmbossColor)}};
  for (const auto& [method, fn] : table)
    for (int32_t w : {8, 7}) {  // with and without padding: these take the stride
      expectSame(
          {"interior", [m = method](cFilterDIB& f, CDIB& i) { (f.*m)(i); },
           [fn = fn](uint8_t* p, int32_t n, const CDIB& g) { fn(p, n, g.SRB(), g.Width(), g.Height()); }},
          w, kH);
    }
}

TEST(FilterOperations, SweepFiltersReadAnUnchangedCopyAndWriteTheImage) {
  using Fn = int32_t(const uint8_t*, uint8_t*, int32_t, int32_t);
  const std::vector<std::pair<void (cFilterDIB::*)(CDIB&), Fn*>> table = {
      {&cFilterDIB::FastBlur, LIB(dllfastblur)},
      {&cFilterDIB::SpecialBlur, LIB(dllspecialblur)},
      {&cFilterDIB::GaussBlur, LIB(dllgaussblur)},
      {&cFilterDIB::Sharpen_Horizontal, LIB(dllsharpenhor)},
      {&cFilterDIB::Sharpen_Vertical, LIB(dllsharpenver)},
      {&cFilterDIB::Sharpen_Roberts, LIB(dllsharpenroberts)},
      {&cFilterDIB::Sharpen_Wallis, LIB(dllsharpenwallis)},
      {&cFilterDIB::Sharpen_Laplacian1, LIB(dllsharpen_laplacian1)},
      {&cFilterDIB::Sharpen_Laplacian2, LIB(dllsharpen_laplacian2)},
      {&cFilterDIB::Contour, LIB(dllcontour)},
      {&cFilterDIB::Noise_Reduction_Median, LIB(medianfiltering)}};
  for (const auto& [method, fn] : table)
    for (int32_t w : {8, 5}) {
      expectSame({"sweep", [m = method](cFilterDIB& f, CDIB& i) { (f.*m)(i); },
                  [fn = fn](uint8_t* p, int32_t n, const CDIB& g) {
                    const std::vector<uint8_t> source(p, p + n + 1);
                    fn(source.data(), p, n, g.SRB());
                  }},
                 w, kH);
    }
}

TEST(FilterOperations, DirectionalAndReliefFiltersPassArgumentsInLibraryOrder) {
  auto withCopy = [](auto call) {
    return [call](uint8_t* p, int32_t n, const CDIB& g) {
      const std::vector<uint8_t> source(p, p + n + 1);
      call(source.data(), p, n, g.SRB());
    };
  };
  const std::vector<Case> cases = {
      {"MotionBlur", [](cFilterDIB& f, CDIB& i) { f.MotionBlur(i, 3, 2); },
       withCopy([](const uint8_t* c, uint8_t* p, int32_t n, int32_t s) {
         LIB(dllmotionblur)(c, p, n, s, 3, 2);
       })},
      {"Sharpen", [](cFilterDIB& f, CDIB& i) { f.Sharpen(i, 60, 4); },
       withCopy([](const uint8_t* c, uint8_t* p, int32_t n, int32_t s) {
         LIB(dllsharpen)(c, p, n, s, 4, 60);
       })},
      {"SuperEdge", [](cFilterDIB& f, CDIB& i) { f.SuperEdge(i); },
       withCopy([](const uint8_t* c, uint8_t* p, int32_t n, int32_t s) {
         LIB(dllsharpenhor)(c, p, n, s);
         LIB(pno)(p, n + 1, 1);  // the flat walk after the sweep reaches the last pixel
       })},
      {"ArtisticEdge", [](cFilterDIB& f, CDIB& i) { f.ArtisticEdge(i); },
       withCopy([](const uint8_t* c, uint8_t* p, int32_t n, int32_t s) {
         LIB(dllsharpenwallis)(c, p, n, s);
         LIB(pno)(p, n + 1, 1);
         LIB(pno)(p, n + 1, 58);
       })},
  };
  for (const Case& c : cases) expectSame(c);
  // Emboss and the engraves walk packed rows: ReliefAndFlatWalksSeeThePackedPictureToItsLastPixel.
}

TEST(FilterOperations, GridFiltersSeeRowsOfWidthTimesThreeBytes) {
  for (int32_t w : {8, 5, 6, 7}) {  // 0, 1, 2 and 3 padding bytes per row
    const std::vector<Case> cases = {
        {"EnhanceEdge", [](cFilterDIB& f, CDIB& i) { f.EnhanceEdge(i); },
         [](uint8_t* p, int32_t n, const CDIB& g) {
           LIB(dllEnhanceEdge)
           (p, n, g.Width(), g.Height());
         }},
        {"Wave", [](cFilterDIB& f, CDIB& i) { f.Wave(i, 2); },
         [](uint8_t* p, int32_t n, const CDIB& g) {
           LIB(dllwave)
           (p, n, g.Width(), g.Height(), 2);
         }},
        {"FastBlurPlus", [](cFilterDIB& f, CDIB& i) { f.FastBlurPlus(i, 2); },
         [](uint8_t* p, int32_t n, const CDIB& g) {
           const std::vector<uint8_t> source(p, p + n + 1);
           LIB(dllfastblurplus)(source.data(), p, n, g.Width(), g.Height(), 2);
         }},
        {"Canvas", [](cFilterDIB& f, CDIB& i) { f.Canvas(i, 30, 40); },
         [](uint8_t* p, int32_t n, const CDIB& g) {
           const std::vector<uint8_t> source(p, p + n + 1);
           const auto [xs, ys] = cFilterDIB::CanvasSteps(g, 30, 40);
           LIB(dllcanvas)(source.data(), p, n, g.Width(), g.Height(), xs, ys);
         }},
        {"KillRed", [](cFilterDIB& f, CDIB& i) { f.KillRed(i); },
         [](uint8_t* p, int32_t n, const CDIB&) {
           LIB(pno)
           (p, n, 15);
         }},
    };
    for (const Case& c : cases) {
      // Reference: the library on rows laid end to end, laid out again afterwards.
      CDIB image;
      randomPicture(image, w, kH);
      std::vector<uint8_t> packed = packedRows(image);
      const int32_t size = static_cast<int32_t>(packed.size()) - 1;
      inFreshThread([&] { c.reference(packed.data(), size, image); });
      inFreshThread([&] {
        cFilterDIB filter;
        c.op(filter, image);
      });
      EXPECT_EQ(bytesOf(image), unpackRows(packed, image)) << c.name << " width " << w;
    }
  }
}

TEST(FilterOperations, PackedCopiesReusedAcrossSizesOnOneThread) {
  // One thread, shrinking and growing pictures: the reused packed memory still
  // holds the previous picture's bytes and must not leak into the next result.
  cFilterDIB filter;
  for (auto [w, h] : {std::pair{9, 7}, std::pair{5, 3}, std::pair{7, 11}, std::pair{3, 2}, std::pair{6, 9}}) {
    CDIB image;
    randomPicture(image, w, h, w * 31 + h);
    std::vector<uint8_t> packed = packedRows(image);
    const int32_t size = static_cast<int32_t>(packed.size()) - 1;
    LIB(pno)(packed.data(), size, 2);
    LIB(dllbrightness)(packed.data(), size, 30);
    filter.InvertRed(image);
    filter.Brightness(image, 30);
    EXPECT_EQ(bytesOf(image), unpackRows(packed, image)) << w << "x" << h;
  }
}

TEST(FilterOperations, ChannelFiltersChangeOnlyTheirChannelOnEveryRow) {
  for (int32_t w : {1001, 1002, 1003, 1004}) {
    CDIB image;
    randomPicture(image, w, 4);
    const std::vector<uint8_t> before = bytesOf(image);
    cFilterDIB filter;
    filter.InvertRed(image);
    const std::vector<uint8_t> after = bytesOf(image);
    const int32_t stride = image.SRB();
    for (int32_t row = 0; row < 4; ++row) {
      for (int32_t i = 0; i < stride; ++i) {
        const size_t k = static_cast<size_t>(row) * stride + i;
        const bool red = i < w * 3 && i % 3 == 2;  // the last pixel included
        const uint8_t want = red ? static_cast<uint8_t>(255 - before[k]) : before[k];
        ASSERT_EQ(after[k], want) << "width " << w << " row " << row << " byte " << i;
      }
    }
  }
}

TEST(FilterOperations, GuardsAndNoOps) {
  CDIB image;
  randomPicture(image, 7, 5);
  const std::vector<uint8_t> before = bytesOf(image);
  cFilterDIB filter;
  filter.HistogramEquip(image);
  filter.AdjLevel(image, 10, 10, 0, 255, 0, 255);  // red range empty
  filter.AdjLevel(image, 0, 255, 200, 100, 0, 255);
  filter.AdjLevel(image, 0, 255, 0, 255, 255, 0);
  // Values the library cannot take (division by zero there) leave the image alone.
  filter.Wind(image, -1);
  filter.Fog(image, 0, 100);
  filter.Diffuse(image, 0);
  EXPECT_EQ(bytesOf(image), before);

  // The comparison is on unsigned bytes: 200 lies above 100 (as signed bytes it would not).
  filter.AdjLevel(image, 100, 200, 0, 255, 0, 255);
  EXPECT_NE(bytesOf(image), before);

  // The two browns differ only through the mode they select.
  CDIB brown, darkBrown;
  randomPicture(brown, 7, 5);
  randomPicture(darkBrown, 7, 5);
  filter.FastBrown(brown);
  filter.FastDarkBrown(darkBrown);
  EXPECT_NE(bytesOf(brown), bytesOf(darkBrown));
}

TEST(FilterOperations, TinyAndEmptyPicturesAreSafe) {
  cFilterDIB filter;
  CDIB empty;
  filter.GaussBlur(empty);
  filter.InvertAll(empty);
  filter.Canvas(empty, 10, 10);
  filter.EnhanceEdge(empty);
  EXPECT_EQ(empty.DIBPointer(), nullptr);

  CDIB one;
  randomPicture(one, 1, 1);
  filter.GaussBlur(one);
  filter.Canvas(one, 0, 0);
  filter.FastBlurPlus(one, 3);
  filter.Wave(one, 5);
  filter.UnSharpMask(one);
  EXPECT_EQ(one.Width(), 1);
  EXPECT_EQ(one.Height(), 1);
}

TEST(FilterOperations, WorkingCopyFollowsEachImageAndLeavesItAsItWas) {
  // One filter object over pictures of changing sizes; each result matches a
  // direct call with an unchanged source of that picture's own size.
  cFilterDIB filter;
  for (auto [w, h] : {std::pair{9, 7}, std::pair{4, 3}, std::pair{12, 10}}) {
    CDIB image;
    randomPicture(image, w, h, w * 31 + h);
    std::vector<uint8_t> expected = bytesOf(image);
    const std::vector<uint8_t> source = expected;
    LIB(dllgaussblur)(source.data(), expected.data(), image.RGBSize(), image.SRB());
    filter.GaussBlur(image);
    EXPECT_EQ(bytesOf(image), expected) << w << "x" << h;
    EXPECT_EQ(image.Width(), w);
    EXPECT_EQ(image.Height(), h);
  }
}

TEST(FilterOperations, SourceFiltersMatchAZeroPaddedCopyOnEveryGeometry) {
  // The image itself serves as these filters' source and the result is written
  // elsewhere: every byte must still come out as from a fresh copy (pad bytes 0)
  // written over the image, including bytes the filter leaves alone and pad bytes
  // that earlier filters have dirtied.
  using Direct = std::function<void(const uint8_t*, uint8_t*, int32_t, int32_t)>;
  auto sweep = [](auto fn) -> Direct { return [fn](auto... a) { fn(a...); }; };
  struct SourceCase {
    std::string name;
    Op op;
    Direct direct;
  };
  std::vector<SourceCase> cases = {
      {"GaussBlur", [](cFilterDIB& f, CDIB& i) { f.GaussBlur(i); }, sweep(LIB(dllgaussblur))},
      {"Median", [](cFilterDIB& f, CDIB& i) { f.Noise_Reduction_Median(i); }, sweep(LIB(medianfiltering))},
      {"Roberts", [](cFilterDIB& f, CDIB& i) { f.Sharpen_Roberts(i); }, sweep(LIB(dllsharpenroberts))},
      {"Contour", [](cFilterDIB& f, CDIB& i) { f.Contour(i); }, sweep(LIB(dllcontour))},
      {"Laplacian2", [](cFilterDIB& f, CDIB& i) { f.Sharpen_Laplacian2(i); },
       sweep(LIB(dllsharpen_laplacian2))},
  };
  for (int32_t direction = 0; direction <= 9; ++direction) {
    cases.push_back({"Sharpen " + std::to_string(direction),
                     [direction](cFilterDIB& f, CDIB& i) { f.Sharpen(i, 250, direction); },
                     [direction](const uint8_t* s, uint8_t* d, int32_t n, int32_t st) {
                       LIB(dllsharpen)(s, d, n, st, direction, 250);
                     }});
    cases.push_back({"MotionBlur " + std::to_string(direction),
                     [direction](cFilterDIB& f, CDIB& i) { f.MotionBlur(i, 4, direction); },
                     [direction](const uint8_t* s, uint8_t* d, int32_t n, int32_t st) {
                       LIB(dllmotionblur)(s, d, n, st, 4, direction);
                     }});
  }
  cFilterDIB filter;  // one object throughout: its working copy is reused
  for (int32_t w : {1, 2, 3, 4, 5, 6, 7, 9, 13, 40})
    for (int32_t h : {1, 2, 3, 4, 7}) {
      for (const SourceCase& c : cases) {
        CDIB image;
        image.Create(w, h);
        std::mt19937 gen(static_cast<uint32_t>(w * 100 + h));
        for (size_t k = 0; k < image.ByteCount(); ++k) image.DIBPointer()[k] = static_cast<uint8_t>(gen());
        std::vector<uint8_t> expected = bytesOf(image);
        std::vector<uint8_t> source = expected;
        const size_t row = static_cast<size_t>(w) * 3;
        for (size_t at = row; at < source.size(); at += image.SRB())
          std::fill_n(source.begin() + at, image.SRB() - row, 0);
        c.direct(source.data(), expected.data(), image.RGBSize(), image.SRB());
        c.op(filter, image);
        ASSERT_EQ(bytesOf(image), expected) << c.name << " " << w << "x" << h;
      }
    }
}

TEST(FilterOperations, PixelFiltersOnPaddedRowsMatchTheWholePackedPicture) {
  // Pixel-by-pixel filters see padded rows a few at a time; the result must be
  // the one of a single call on all rows packed end to end, with the random
  // filters drawing in the same order, and the pad bytes kept.
  using Direct = std::function<void(uint8_t*, int32_t)>;
  struct PixelCase {
    std::string name;
    Op op;
    Direct direct;
  };
  std::vector<PixelCase> cases;
  for (int32_t mode = 0; mode <= 61; ++mode)
    if (mode != 57 && mode != 58 && mode != 47 && mode != 33 && mode != 34)
      cases.push_back({"pno " + std::to_string(mode),
                       [mode](cFilterDIB&, CDIB& i) {
                         // The operations reach every mode through their own names; this
                         // drives the same path for each.
                         auto call = [mode](uint8_t* p, int32_t n) { LIB(pno)(p, n, mode); };
                         if (mode % 2 == 0)
                           forPixelRows(i, call);
                         else
                           forPixelRuns(i, call);
                       },
                       [mode](uint8_t* p, int32_t n) {
                         LIB(pno)
                         (p, n, mode);
                       }});
  auto add = [&](std::string name, Op op, Direct direct) { cases.push_back({std::move(name), op, direct}); };
  // Eclipse's walk stops a pixel short of the end: it takes the picture whole.
  add(
      "Eclipse", [](cFilterDIB& f, CDIB& i) { f.Eclipse(i); },
      [](uint8_t* p, int32_t n) {
        LIB(pno)
        (p, n, 47);
      });
  add(
      "Noise", [](cFilterDIB& f, CDIB& i) { f.Noise(i); },
      [](uint8_t* p, int32_t n) {
        LIB(pno)
        (p, n, 50);
      });
  add(
      "Unreal", [](cFilterDIB& f, CDIB& i) { f.Unreal(i); },
      [](uint8_t* p, int32_t n) {
        LIB(pno)
        (p, n, 60);
      });
  add(
      "FastBrown", [](cFilterDIB& f, CDIB& i) { f.FastBrown(i); },
      [](uint8_t* p, int32_t n) {
        LIB(pno)
        (p, n, 33);
      });
  add(
      "GreyScale_LowLight", [](cFilterDIB& f, CDIB& i) { f.GreyScale_LowLight(i); },
      [](uint8_t* p, int32_t n) {
        LIB(dllgreyadvance)
        (p, n, 3);
      });
  add(
      "AdjLevel", [](cFilterDIB& f, CDIB& i) { f.AdjLevel(i, 10, 200, 30, 220, 0, 90); },
      [](uint8_t* p, int32_t n) {
        LIB(DllAdjLevel)
        (p, n, 200, 10, 220, 30, 90, 0);
      });
  add(
      "ColorBound", [](cFilterDIB& f, CDIB& i) { f.ColorBound(i, 10, 200, 30, 220, 5, 90); },
      [](uint8_t* p, int32_t n) {
        LIB(dllcolorbound)
        (p, n, 200, 220, 90, 10, 30, 5);
      });
  add(
      "Brightness", [](cFilterDIB& f, CDIB& i) { f.Brightness(i, -40); },
      [](uint8_t* p, int32_t n) {
        LIB(dllbrightness)
        (p, n, -40);
      });
  add(
      "Contrast", [](cFilterDIB& f, CDIB& i) { f.Contrast(i, 70); },
      [](uint8_t* p, int32_t n) {
        LIB(dllcontrast)
        (p, n, 70);
      });
  add(
      "Exposal", [](cFilterDIB& f, CDIB& i) { f.Exposal(i, 90); },
      [](uint8_t* p, int32_t n) {
        LIB(dllexposal)
        (p, n, 90);
      });
  add(
      "RGBBalance", [](cFilterDIB& f, CDIB& i) { f.RGBBalance(i, 10, -20, 30); },
      [](uint8_t* p, int32_t n) {
        LIB(dllrgbbalance)
        (p, n, 10, -20, 30);
      });
  add(
      "YUVBalance", [](cFilterDIB& f, CDIB& i) { f.YUVBalance(i, 10, -20, 30); },
      [](uint8_t* p, int32_t n) {
        LIB(dllyuvbalance)
        (p, n, 10, -20, 30);
      });
  add(
      "HSLBalance", [](cFilterDIB& f, CDIB& i) { f.HSLBalance(i, 40, -20, 15); },
      [](uint8_t* p, int32_t n) {
        LIB(dllhsl)
        (p, n, 40, -20, 15);
      });
  add(
      "YCbCrBalance", [](cFilterDIB& f, CDIB& i) { f.YCbCrBalance(i, 10, -20, 30); },
      [](uint8_t* p, int32_t n) {
        LIB(dllycbcr)
        (p, n, 10, -20, 30);
      });
  add(
      "BlackWhite", [](cFilterDIB& f, CDIB& i) { f.BlackWhite(i, true, 120); },
      [](uint8_t* p, int32_t n) {
        LIB(dllblackwhite)
        (p, n, 1, 120);
      });
  add(
      "CharCoal", [](cFilterDIB& f, CDIB& i) { f.CharCoal(i); },
      [](uint8_t* p, int32_t n) {
        LIB(dllcharcoal)
        (p, n);
      });
  add(
      "KeshNost", [](cFilterDIB& f, CDIB& i) { f.KeshNost(i, 7); },
      [](uint8_t* p, int32_t n) {
        LIB(dllnost)
        (p, n, 7);
      });
  add(
      "Erode", [](cFilterDIB& f, CDIB& i) { f.Erode(i, 5); },
      [](uint8_t* p, int32_t n) {
        LIB(dllerode)
        (p, n, 40);
      });
  add(
      "Ice", [](cFilterDIB& f, CDIB& i) { f.Ice(i, 250); },
      [](uint8_t* p, int32_t n) {
        LIB(dllice)
        (p, n, 250);
      });
  add(
      "WaterColour", [](cFilterDIB& f, CDIB& i) { f.WaterColour(i, 13); },
      [](uint8_t* p, int32_t n) {
        LIB(dllwatercolour)
        (p, n, 13);
      });
  add(
      "Comedy", [](cFilterDIB& f, CDIB& i) { f.Comedy(i, 70); },
      [](uint8_t* p, int32_t n) {
        LIB(dllcomedy)
        (p, n, 70);
      });
  add(
      "Spotted", [](cFilterDIB& f, CDIB& i) { f.Spotted(i, 60); },
      [](uint8_t* p, int32_t n) {
        LIB(dllspotted)
        (p, n, 60);
      });
  add(
      "Wind", [](cFilterDIB& f, CDIB& i) { f.Wind(i, 3); },
      [](uint8_t* p, int32_t n) {
        LIB(dllwind)
        (p, n, 3);
      });

  // Widths 1001 and 90001 span several runs of rows, and runs of a single row.
  for (auto [w, h] : {std::pair{1, 3}, std::pair{2, 5}, std::pair{5, 1}, std::pair{7, 4},
                      std::pair{1001, 180}, std::pair{90001, 2}})
    for (const PixelCase& c : cases) {
      CDIB image;
      image.Create(w, h);
      std::mt19937 gen(static_cast<uint32_t>(w + h));
      for (size_t k = 0; k < image.ByteCount(); ++k) image.DIBPointer()[k] = static_cast<uint8_t>(gen());
      const std::vector<uint8_t> before = bytesOf(image);
      std::vector<uint8_t> packed = packedRows(image);
      inFreshThread([&] {
        cFilterDIB filter;
        c.op(filter, image);
      });
      inFreshThread([&] { c.direct(packed.data(), static_cast<int32_t>(packed.size()) - 1); });
      std::vector<uint8_t> expected = unpackRows(packed, image);
      const size_t row = static_cast<size_t>(w) * 3;
      for (size_t at = row; at < expected.size(); at += image.SRB())
        std::copy_n(before.begin() + at, image.SRB() - row, expected.begin() + at);
      ASSERT_EQ(bytesOf(image), expected) << c.name << " " << w << "x" << h;
    }
}

TEST(FilterOperations, ReliefAndFlatWalksSeeThePackedPictureToItsLastPixel) {
  // Reference: the library on the rows laid end to end (stride 3 x width, size the
  // whole byte count), laid out again; padded rows must not slide the triples
  // against the pixels, and unpadded ones must reach the top-right pixel.
  using Packed = std::function<void(uint8_t * p, int32_t n, int32_t stride)>;
  auto relief = [](int32_t distance, int32_t direction, bool grey) -> std::pair<Op, Packed> {
    return {[=](cFilterDIB& f, CDIB& i) { f.Emboss(i, grey, distance, direction, 10, 20, 30); },
            [=](uint8_t* p, int32_t n, int32_t stride) {
              const std::vector<uint8_t> source(p, p + n + 1);
              LIB(dllemboss)(source.data(), p, n, stride, distance, direction, 10, 20, 30, grey ? 1 : 0);
            }};
  };
  auto engrave = [](void (cFilterDIB::*m)(CDIB&), int32_t r, int32_t g, int32_t b) -> std::pair<Op, Packed> {
    return {[m](cFilterDIB& f, CDIB& i) { (f.*m)(i); },
            [=](uint8_t* p, int32_t n, int32_t stride) { LIB(dllengrave)
                                                         (p, n, stride, r, g, b); }};
  };
  auto pno = [](void (cFilterDIB::*m)(CDIB&), int32_t mode) -> std::pair<Op, Packed> {
    return {[m](cFilterDIB& f, CDIB& i) { (f.*m)(i); },
            [mode](uint8_t* p, int32_t n, int32_t) { LIB(pno)
                                                     (p, n, mode); }};
  };
  const std::vector<std::pair<std::string, std::pair<Op, Packed>>> cases = {
      {"Emboss colour 1 5", relief(1, 5, false)},
      {"Emboss colour 2 3", relief(2, 3, false)},
      {"Emboss colour -3 8", relief(-3, 8, false)},
      {"Emboss grey 1 1", relief(1, 1, true)},
      {"Emboss colour far", relief(40, 2, false)},
      {"Engrave", engrave(&cFilterDIB::Engrave, 1, 1, 1)},
      {"EngraveRed", engrave(&cFilterDIB::EngraveRed, 1, 0, 0)},
      {"EngraveGreen", engrave(&cFilterDIB::EngraveGreen, 0, 1, 0)},
      {"EngraveBlue", engrave(&cFilterDIB::EngraveBlue, 0, 0, 1)},
      {"EngraveCyan", engrave(&cFilterDIB::EngraveCyan, 0, 1, 1)},
      {"EngraveCarmine", engrave(&cFilterDIB::EngraveCarmine, 1, 0, 1)},
      {"EngraveYellow", engrave(&cFilterDIB::EngraveYellow, 1, 1, 0)},
      {"InvertAll", pno(&cFilterDIB::InvertAll, 1)},
      {"AutoContrast", pno(&cFilterDIB::AutoContrast, 57)},
      {"AutoLevel", pno(&cFilterDIB::AutoLevel, 58)},
      {"Eclipse", pno(&cFilterDIB::Eclipse, 47)},
  };
  for (int32_t w : {8, 9, 10, 11})
    for (const auto& [name, c] : cases) {
      CDIB image;
      randomPicture(image, w, 5, static_cast<uint32_t>(w));
      std::vector<uint8_t> packed = packedRows(image);
      c.second(packed.data(), static_cast<int32_t>(packed.size()) - 1, 3 * w);
      cFilterDIB filter;
      c.first(filter, image);
      EXPECT_EQ(bytesOf(image), unpackRows(packed, image)) << name << " width " << w;
    }

  // Emboss partners reaching from next door to beyond the picture, on every
  // geometry, through one object whose working copy is reused.
  cFilterDIB reused;
  for (int32_t w : {1, 2, 3, 4, 5, 6, 7, 9, 13, 40})
    for (int32_t h : {1, 2, 3, 4, 7})
      for (int32_t distance : {0, 1, 3, -2, 9, 40})
        for (int32_t direction : {0, 1, 2, 4, 6, 8}) {
          const auto [op, packedCall] = relief(distance, direction, distance % 2 != 0);
          CDIB image;
          randomPicture(image, w, h, static_cast<uint32_t>(w * 100 + h));
          std::vector<uint8_t> packed = packedRows(image);
          packedCall(packed.data(), static_cast<int32_t>(packed.size()) - 1, 3 * w);
          op(reused, image);
          ASSERT_EQ(bytesOf(image), unpackRows(packed, image))
              << "Emboss " << distance << " " << direction << " " << w << "x" << h;
        }

  // Independently of the library's walk: the top-right pixel is inverted on every width.
  for (int32_t w : {8, 9, 10, 11}) {
    CDIB image;
    randomPicture(image, w, 3, 5);
    const uint8_t red = at(image, w - 1, 0, 2);
    cFilterDIB filter;
    filter.InvertAll(image);
    EXPECT_EQ(at(image, w - 1, 0, 2), 255 - red) << "width " << w;
  }
}
