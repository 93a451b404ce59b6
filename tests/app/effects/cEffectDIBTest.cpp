// cEffectDIB: turns, flips and mirrors as exact pixel moves, resizing sizes and
// clamps, and the library effects with their arguments and buffers.
#include <gtest/gtest.h>

#include <QImage>
#include <array>
#include <functional>

#include "../filters/OperationTestSupport.h"
#include "cEffectDIB.h"

using namespace orvane;
using namespace optest;

namespace {

using Pixel = std::array<uint8_t, 3>;

Pixel pixel(CDIB& image, int32_t x, int32_t y) {
  return {at(image, x, y, 0), at(image, x, y, 1), at(image, x, y, 2)};
}

// A copy of the picture's pixels, row-major from the top.
std::vector<Pixel> pixels(CDIB& image) {
  std::vector<Pixel> out;
  for (int32_t y = 0; y < image.Height(); ++y)
    for (int32_t x = 0; x < image.Width(); ++x) out.push_back(pixel(image, x, y));
  return out;
}

// Every pad byte of every row is 0.
bool padClean(CDIB& image) {
  for (int32_t row = 0; row < image.Height(); ++row)
    for (int32_t i = image.Width() * 3; i < image.SRB(); ++i)
      if (image.DIBPointer()[row * image.SRB() + i] != 0) return false;
  return true;
}

const std::vector<std::pair<int32_t, int32_t>> kSizes = {{1, 1}, {3, 2}, {4, 4}, {5, 3}, {6, 7}, {7, 5}};

}  // namespace

TEST(Rotate, TurnsMovePixelsAsExpected) {
  for (auto [W, H] : kSizes) {
    CDIB source, image;
    randomPicture(source, W, H, W * 10 + H);
    cEffectDIB effects;
    for (int32_t angle : {90, 180, 270}) {
      randomPicture(image, W, H, W * 10 + H);
      effects.Rotate(image, angle);
      const bool quarter = angle != 180;
      ASSERT_EQ(image.Width(), quarter ? H : W);
      ASSERT_EQ(image.Height(), quarter ? W : H);
      for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x) {
          const Pixel want = pixel(source, x, y);
          if (angle == 90) {
            EXPECT_EQ(pixel(image, y, W - 1 - x), want);
          } else if (angle == 180) {
            EXPECT_EQ(pixel(image, W - 1 - x, H - 1 - y), want);
          } else {
            EXPECT_EQ(pixel(image, H - 1 - y, x), want);
          }
        }
      EXPECT_TRUE(padClean(image)) << W << "x" << H << " by " << angle;
    }
  }
}

TEST(Rotate, TurnsAndTheirInversesGiveThePictureBack) {
  for (auto [W, H] : kSizes) {
    CDIB original, image;
    randomPicture(original, W, H, W + H);
    const std::vector<uint8_t> want = bytesOf(original);
    cEffectDIB effects;
    for (const std::vector<int32_t>& turns :
         {std::vector<int32_t>{90, 90, 90, 90}, {180, 180}, {90, 270}, {270, 90}, {90, 90, 180}}) {
      randomPicture(image, W, H, W + H);
      for (int32_t angle : turns) effects.Rotate(image, angle);
      EXPECT_EQ(image.Width(), W);
      EXPECT_EQ(bytesOf(image), want) << W << "x" << H;
    }
  }
}

TEST(Rotate, WidePicturesTurnExactly) {
  // Several strips and blocks of eight with partial ones at the edges, padded and not.
  for (auto [W, H] : {std::pair{70, 37}, std::pair{64, 33}, std::pair{33, 96}}) {
    CDIB source, image;
    randomPicture(source, W, H, W * H);
    cEffectDIB effects;
    for (int32_t angle : {90, 270}) {
      randomPicture(image, W, H, W * H);
      effects.Rotate(image, angle);
      ASSERT_EQ(image.Width(), H);
      for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x)
          ASSERT_EQ(angle == 90 ? pixel(image, y, W - 1 - x) : pixel(image, H - 1 - y, x),
                    pixel(source, x, y))
              << W << "x" << H << " by " << angle << " at " << x << "," << y;
      EXPECT_TRUE(padClean(image));
    }
  }
}

TEST(Rotate, OtherAnglesLeaveThePictureAlone) {
  CDIB image;
  cEffectDIB effects;
  for (int32_t angle : {0, 45, -90, 360}) {
    randomPicture(image, 5, 3);
    const std::vector<uint8_t> before = bytesOf(image);
    effects.Rotate(image, angle);
    EXPECT_EQ(bytesOf(image), before) << angle;
  }
  effects.Rotate(image);
  CDIB empty;
  effects.Rotate(empty, 90);
  EXPECT_EQ(empty.DIBPointer(), nullptr);
}

TEST(FlipsAndMirrors, FlipsAreExactAndUndoThemselves) {
  for (auto [W, H] : kSizes) {
    CDIB source, image;
    randomPicture(source, W, H, 3 * W + H);
    cEffectDIB effects;

    randomPicture(image, W, H, 3 * W + H);
    effects.FlipHor(image);
    for (int32_t y = 0; y < H; ++y)
      for (int32_t x = 0; x < W; ++x) ASSERT_EQ(pixel(image, x, y), pixel(source, W - 1 - x, y));
    effects.FlipHor(image);
    EXPECT_EQ(bytesOf(image), bytesOf(source));

    effects.FlipVer(image);
    for (int32_t y = 0; y < H; ++y)
      for (int32_t x = 0; x < W; ++x) ASSERT_EQ(pixel(image, x, y), pixel(source, x, H - 1 - y));
    EXPECT_TRUE(padClean(image));
    effects.FlipVer(image);
    EXPECT_EQ(bytesOf(image), bytesOf(source));
  }
}

TEST(FlipsAndMirrors, WideRowsReverseExactly) {
  // Rows move in blocks of eight pixels from both ends; every remainder occurs.
  for (int32_t W : {8, 15, 16, 17, 23, 24, 31, 32, 33, 50}) {
    CDIB source, image;
    randomPicture(source, W, 2, W);
    cEffectDIB effects;
    randomPicture(image, W, 2, W);
    effects.FlipHor(image);
    for (int32_t y = 0; y < 2; ++y)
      for (int32_t x = 0; x < W; ++x) ASSERT_EQ(pixel(image, x, y), pixel(source, W - 1 - x, y)) << W;
    EXPECT_TRUE(padClean(image));
    randomPicture(image, W, 2, W);
    effects.MirrorHor(image);
    for (int32_t x = 0; x < W; ++x)
      ASSERT_EQ(pixel(image, x, 1), pixel(source, 2 * x < W ? x : W - 1 - x, 1)) << W;
    randomPicture(image, W, 2, W);
    effects.MirrorHorRev(image);
    for (int32_t x = 0; x < W; ++x)
      ASSERT_EQ(pixel(image, x, 0), pixel(source, 2 * x >= W - 1 ? x : W - 1 - x, 0)) << W;
    EXPECT_TRUE(padClean(image));
  }
}

TEST(FlipsAndMirrors, MirrorsKeepOneHalfAndReflectIt) {
  for (auto [W, H] : kSizes) {
    CDIB source, image;
    randomPicture(source, W, H, 5 * W + H);
    cEffectDIB effects;

    randomPicture(image, W, H, 5 * W + H);
    effects.MirrorHor(image);
    for (int32_t y = 0; y < H; ++y)
      for (int32_t x = 0; x < W; ++x) {
        // The left half, middle column included, stays; the right half reflects it.
        const int32_t from = 2 * x < W ? x : W - 1 - x;
        ASSERT_EQ(pixel(image, x, y), pixel(source, from, y)) << W << "x" << H;
      }
    const std::vector<uint8_t> once = bytesOf(image);
    effects.MirrorHor(image);
    EXPECT_EQ(bytesOf(image), once);

    randomPicture(image, W, H, 5 * W + H);
    effects.MirrorHorRev(image);
    for (int32_t y = 0; y < H; ++y)
      for (int32_t x = 0; x < W; ++x) {
        const int32_t from = 2 * x >= W - 1 ? x : W - 1 - x;
        ASSERT_EQ(pixel(image, x, y), pixel(source, from, y));
      }

    randomPicture(image, W, H, 5 * W + H);
    effects.MirrorVer(image);
    for (int32_t y = 0; y < H; ++y)
      for (int32_t x = 0; x < W; ++x) {
        const int32_t from = 2 * y < H ? y : H - 1 - y;
        ASSERT_EQ(pixel(image, x, y), pixel(source, x, from));
      }

    randomPicture(image, W, H, 5 * W + H);
    effects.MirrorVerRev(image);
    for (int32_t y = 0; y < H; ++y)
      for (int32_t x = 0; x < W; ++x) {
        const int32_t from = 2 * y >= H - 1 ? y : H - 1 - y;
        ASSERT_EQ(pixel(image, x, y), pixel(source, x, from));
      }
    EXPECT_EQ(image.Width(), W);
    EXPECT_EQ(image.Height(), H);
    EXPECT_TRUE(padClean(image));
  }
}

TEST(Zoom, SizesClampsAndRounding) {
  cEffectDIB effects;
  CDIB image;
  struct Case {
    int32_t w, h, newW, newH;
    bool ratio;
    int32_t wantW, wantH;
  };
  const std::vector<Case> cases = {
      {5, 3, 50, 50, true, 2, 2},        // 2.5 and 1.5 to even
      {5, 3, 5000, 5000, true, 50, 30},  // percentages stop at 1000
      {5, 3, 0, 0, false, 1, 1},         // pixel sizes are at least 1
      {5, 3, -7, 9, false, 1, 9},        //
      {10, 10, 250, 30, true, 25, 3},    //
      {4, 4, 17, 2, false, 17, 2},       //
      {3, 3, 1, 1, true, 1, 1},          // 0.03 pixels still leaves one
      {200, 100, 0, 0, true, 2, 1},      // 0 percent acts as 1
      {7, 5, 100, 100, true, 7, 5},
  };
  for (const Case& c : cases) {
    randomPicture(image, c.w, c.h);
    EXPECT_TRUE(effects.Zoom(image, c.newW, c.newH, c.ratio));
    EXPECT_EQ(image.Width(), c.wantW) << c.w << "x" << c.h << " " << c.newW;
    EXPECT_EQ(image.Height(), c.wantH) << c.w << "x" << c.h << " " << c.newH;
    EXPECT_TRUE(padClean(image));
  }
}

TEST(Zoom, ResamplesSmoothly) {
  cEffectDIB effects;
  CDIB image;
  // The same size keeps every pixel.
  randomPicture(image, 7, 5);
  const std::vector<uint8_t> before = bytesOf(image);
  EXPECT_TRUE(effects.Zoom(image, 7, 5, false));
  EXPECT_EQ(bytesOf(image), before);

  // A flat colour stays flat at any size.
  image.Create(9, 7);
  for (int32_t y = 0; y < 7; ++y)
    for (int32_t x = 0; x < 9; ++x)
      at(image, x, y, 0) = 40, at(image, x, y, 1) = 120, at(image, x, y, 2) = 200;
  for (auto [w, h] : {std::pair{3, 2}, std::pair{20, 15}}) {
    EXPECT_TRUE(effects.Zoom(image, w, h, false));
    for (const Pixel& p : pixels(image)) EXPECT_EQ(p, (Pixel{40, 120, 200}));
  }

  // Reducing averages: black and white halves make grey, not one of the two.
  image.Create(4, 2);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 2; x < 4; ++x) at(image, x, y, 0) = at(image, x, y, 1) = at(image, x, y, 2) = 255;
  EXPECT_TRUE(effects.Zoom(image, 1, 1, false));
  EXPECT_NEAR(at(image, 0, 0, 1), 128, 2);

  // Enlarging interpolates: between a black and a white pixel lie greys.
  image.Create(2, 1);
  at(image, 1, 0, 0) = at(image, 1, 0, 1) = at(image, 1, 0, 2) = 255;
  EXPECT_TRUE(effects.Zoom(image, 8, 1, false));
  int greys = 0;
  for (const Pixel& p : pixels(image)) greys += p[0] > 20 && p[0] < 235;
  EXPECT_GT(greys, 0);

  CDIB empty;
  EXPECT_FALSE(effects.Zoom(empty, 10, 10, false));
}

TEST(Zoom, ReducesOneAxisWhileEnlargingTheOther) {
  cEffectDIB effects;
  CDIB image;
  // Across, pairs of columns average; along, the two rows become a ramp
  // between pixel centres (weights 0, 0, 1/8, 3/8, 5/8, 7/8, 1, 1).
  image.Create(4, 2);
  const uint8_t top[4] = {10, 30, 200, 100}, bottom[4] = {50, 70, 0, 0};
  for (int32_t x = 0; x < 4; ++x) at(image, x, 0, 0) = top[x], at(image, x, 1, 0) = bottom[x];
  EXPECT_TRUE(effects.Zoom(image, 2, 8, false));
  ASSERT_EQ(image.Width(), 2);
  ASSERT_EQ(image.Height(), 8);
  const uint8_t left[8] = {20, 20, 25, 35, 45, 55, 60, 60}, right[8] = {150, 150, 131, 94, 56, 19, 0, 0};
  for (int32_t y = 0; y < 8; ++y) {
    EXPECT_EQ(at(image, 0, y, 0), left[y]) << y;
    EXPECT_EQ(at(image, 1, y, 0), right[y]) << y;
  }
  EXPECT_TRUE(padClean(image));
}

TEST(Zoom, LargeEnlargementsSucceed) {
  cEffectDIB effects;
  CDIB image;
  image.Create(2, 2);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 2; ++x) at(image, x, y, 0) = at(image, x, y, 1) = at(image, x, y, 2) = 90;
  ASSERT_TRUE(effects.Zoom(image, 20000, 11000, false));
  EXPECT_EQ(image.Width(), 20000);
  EXPECT_EQ(image.Height(), 11000);
  EXPECT_EQ(at(image, 0, 0, 0), 90);
  EXPECT_EQ(at(image, 19999, 10999, 2), 90);
  EXPECT_EQ(at(image, 12345, 6789, 1), 90);
}

TEST(LibraryEffects, MixColorAndBlindsUsePackedRows) {
  {
    // Many rows at a padded width: the mix runs over several pieces of the picture.
    CDIB image;
    randomPicture(image, 1001, 300);
    std::vector<uint8_t> packed = packedRows(image);
    LIB(dllmixcolor)(packed.data(), static_cast<int32_t>(packed.size()) - 1, 55, 250, 3, 99);
    cEffectDIB effects;
    effects.MixColor(image, 55, 250, 3, 99);
    EXPECT_EQ(bytesOf(image), unpackRows(packed, image));
  }
  for (int32_t w : {8, 5, 6, 7}) {
    CDIB image;
    randomPicture(image, w, 6);
    std::vector<uint8_t> packed = packedRows(image);
    const int32_t size = static_cast<int32_t>(packed.size()) - 1;
    LIB(dllmixcolor)(packed.data(), size, 40, 10, 200, 30);
    cEffectDIB effects;
    effects.MixColor(image, 40, 10, 200, 30);
    EXPECT_EQ(bytesOf(image), unpackRows(packed, image)) << "MixColor width " << w;

    randomPicture(image, w, 6);
    packed = packedRows(image);
    LIB(dllblinds)(packed.data(), w, 6, 3, 1, 0, 0);
    int32_t blinds = 3;
    effects.Blinds(image, blinds, true, false, false);
    EXPECT_EQ(bytesOf(image), unpackRows(packed, image)) << "Blinds width " << w;

    randomPicture(image, w, 6);
    packed = packedRows(image);
    LIB(dllblinds)(packed.data(), w, 6, 4, 0, 1, 1);
    blinds = 4;
    effects.Blinds(image, blinds, false, true, true);
    EXPECT_EQ(bytesOf(image), unpackRows(packed, image)) << "Blinds bump width " << w;
  }

  // Full strength paints every pixel in the colour, on every row.
  CDIB image;
  randomPicture(image, 5, 4);
  cEffectDIB effects;
  effects.MixColor(image, 100, 10, 20, 30);
  for (const Pixel& p : pixels(image)) EXPECT_EQ(p, (Pixel{30, 20, 10}));

  // A blind size of 0 is taken as 1 and written back.
  randomPicture(image, 8, 4);
  std::vector<uint8_t> want = bytesOf(image);
  LIB(dllblinds)(want.data(), 8, 4, 1, 0, 1, 0);
  int32_t blinds = 0;
  effects.Blinds(image, blinds, false, true, false);
  EXPECT_EQ(blinds, 1);
  EXPECT_EQ(bytesOf(image), want);
}

TEST(LibraryEffects, ShapesDrawTheCopyOntoBlack) {
  using Fn = int32_t(const uint8_t*, uint8_t*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t);
  struct Case {
    const char* name;
    std::function<void(cEffectDIB&, CDIB&)> op;
    Fn* fn;
    std::array<int32_t, 3> args;
  };
  const std::vector<Case> cases = {
      {"Pentagon", [](cEffectDIB& e, CDIB& i) { e.Pentagon(i, 40, 50, 70); }, LIB(dllpentagon), {40, 50, 70}},
      // The library takes the direction flag (Hor) before the side flag (Rev).
      {"Trapezia rev",
       [](cEffectDIB& e, CDIB& i) { e.Trapezia(i, 60, true, false); },
       LIB(dlltrapezia),
       {60, 0, 1}},
      {"Trapezia hor",
       [](cEffectDIB& e, CDIB& i) { e.Trapezia(i, 60, false, true); },
       LIB(dlltrapezia),
       {60, 1, 0}},
      {"Parallel rev",
       [](cEffectDIB& e, CDIB& i) { e.Parallel(i, 50, true, false); },
       LIB(dllparallel),
       {50, 0, 1}},
      {"Parallel hor",
       [](cEffectDIB& e, CDIB& i) { e.Parallel(i, 50, false, true); },
       LIB(dllparallel),
       {50, 1, 0}},
  };
  // One effects object throughout, its working copy reused; pad bytes dirtied
  // by earlier work must not reach the result.
  cEffectDIB reused;
  for (const Case& c : cases)
    for (int32_t w : {8, 7, 1, 2, 5})
      for (int32_t h : {6, 1, 3}) {
        CDIB image;
        image.Create(w, h);
        std::mt19937 gen(static_cast<uint32_t>(w * 10 + h));
        for (size_t k = 0; k < image.ByteCount(); ++k) image.DIBPointer()[k] = static_cast<uint8_t>(gen());
        std::vector<uint8_t> source = bytesOf(image);
        for (size_t at = 3 * static_cast<size_t>(w); at < source.size(); at += image.SRB())
          std::fill_n(source.begin() + at, image.SRB() - 3 * w, 0);
        std::vector<uint8_t> want(source.size(), 0);
        c.fn(source.data(), want.data(), w, h, image.SRB(), image.RGBSize(), c.args[0], c.args[1], c.args[2]);
        c.op(reused, image);
        EXPECT_EQ(bytesOf(image), want) << c.name << " " << w << "x" << h;
        EXPECT_EQ(image.Width(), w);
      }

  // Outside the drawn shape the picture is black: the very first pixel is never drawn.
  CDIB image;
  image.Create(6, 4);
  for (size_t i = 0; i < image.ByteCount(); ++i) image.DIBPointer()[i] = 200;
  cEffectDIB effects;
  effects.Pentagon(image, 100, 100, 100);
  EXPECT_EQ(image.DIBPointer()[0], 0);
  EXPECT_EQ(image.DIBPointer()[3], 200);
}

TEST(LibraryEffects, ShapesWithoutAShareLeaveThePictureAsItWas) {
  // The library draws nothing for a share of 0 or less; the picture must not
  // turn into the black canvas behind the shape.
  const std::vector<std::pair<const char*, std::function<void(cEffectDIB&, CDIB&)>>> cases = {
      {"Pentagon 0 top", [](cEffectDIB& e, CDIB& i) { e.Pentagon(i, 0, 50, 70); }},
      {"Pentagon 0 middle", [](cEffectDIB& e, CDIB& i) { e.Pentagon(i, 40, 0, 70); }},
      {"Pentagon -5 bottom", [](cEffectDIB& e, CDIB& i) { e.Pentagon(i, 40, 50, -5); }},
      {"Trapezia 0", [](cEffectDIB& e, CDIB& i) { e.Trapezia(i, 0, true, false); }},
      {"Trapezia -20", [](cEffectDIB& e, CDIB& i) { e.Trapezia(i, -20, false, true); }},
      {"Parallel 0", [](cEffectDIB& e, CDIB& i) { e.Parallel(i, 0, false, true); }},
      {"Parallel -1", [](cEffectDIB& e, CDIB& i) { e.Parallel(i, -1, true, false); }},
  };
  for (const auto& [name, op] : cases) {
    CDIB image;
    randomPicture(image, 9, 5);
    const std::vector<uint8_t> before = bytesOf(image);
    cEffectDIB effects;
    op(effects, image);
    EXPECT_EQ(bytesOf(image), before) << name;
  }
}
