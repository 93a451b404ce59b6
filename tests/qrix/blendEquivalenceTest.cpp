// The blending, gradient, frame and letter-mask routines of the library against their plain
// versions in blendReference.cpp: byte for byte, on pictures of every row padding and on broad
// sweeps of arguments, extremes and negative values included.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "GuardedBytes.h"
#include "blendReference.h"
#include "qrix.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Picture {
  int32_t width, height, stride;
  Bytes image;    // the picture worked on
  Bytes picture;  // the second picture of the two-buffer routines
  int32_t size() const { return static_cast<int32_t>(image.size()) - 1; }
};

// Random bytes with about a third of the triples black, runs of one colour and the key colours
// (10, 20, 30) and near misses of them, so the key and black tests take both ways.
void fill(Bytes& bytes, std::mt19937& gen) {
  for (size_t i = 0; i + 2 < bytes.size(); i += 3) {
    const uint32_t kind = gen() % 8;
    for (size_t c = 0; c < 3; ++c) {
      uint8_t v = static_cast<uint8_t>(gen());
      if (kind < 2) v = 0;
      if (kind == 2) v = static_cast<uint8_t>(10 * (3 - c));
      if (kind == 3) v = static_cast<uint8_t>(10 * (3 - c) + gen() % 7 - 3);
      if (kind == 4 && i >= 3) v = bytes[i - 3 + c];
      bytes[i + c] = v;
    }
  }
  for (size_t i = bytes.size() / 3 * 3; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(gen());
}

// Widths 1 to 9 and a few larger, every row padding 0 to 3, several heights.
std::vector<Picture> pictures() {
  std::vector<Picture> all;
  std::mt19937 gen(7);
  const int32_t widths[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 31, 64, 203};
  const int32_t heights[] = {1, 2, 3, 5, 8, 67};
  for (int32_t w : widths) {
    for (int32_t pad = 0; pad < 4; ++pad) {
      for (int32_t h : heights) {
        if (w > 9 && h < 5 && pad != 1) continue;
        Picture p{w, h, 3 * w + pad, {}, {}};
        p.image.resize(static_cast<size_t>(p.stride) * h);
        p.picture.resize(p.image.size());
        fill(p.image, gen);
        fill(p.picture, gen);
        all.push_back(std::move(p));
      }
    }
  }
  return all;
}

const std::vector<Picture>& samples() {
  static const std::vector<Picture> all = pictures();
  return all;
}

using Call = std::function<void(uint8_t* image, const uint8_t* picture, const Picture& p)>;

// Runs both versions on copies of every sample and compares every byte of both buffers. The
// library's buffers end at an unreadable page, so reading past either one faults.
void expectSame(const std::string& what, const Call& fast, const Call& plain) {
  for (const Picture& p : samples()) {
    GuardedBytes guarded(p.image), picture(p.picture);
    Bytes b = p.image;
    fast(guarded.data(), picture.data(), p);
    plain(b.data(), p.picture.data(), p);
    const Bytes a = guarded.bytes();
    if (a != b) {
      size_t i = 0;
      while (a[i] == b[i]) ++i;
      ADD_FAILURE() << what << " on " << p.width << " x " << p.height << " stride " << p.stride << ": byte "
                    << i << " is " << int(a[i]) << ", plain gives " << int(b[i]);
      return;
    }
  }
}

#define SAME(label, call)                                                                           \
  expectSame(                                                                                       \
      label, [&](uint8_t* img, const uint8_t* pic, const Picture& p) { (void)pic, (void)p, call; }, \
      [&](uint8_t* img, const uint8_t* pic, const Picture& p) { (void)pic, (void)p, reference::call; })

#define ARGS(...) (std::string(#__VA_ARGS__) + " " + argText(__VA_ARGS__))

template <typename... T>
std::string argText(T... v) {
  std::string s;
  ((s += std::to_string(v) + ","), ...);
  return s;
}

const int32_t kPercents[] = {-2000000000, -100000, -150, -1,  0,   1,      33,
                             50,          99,      100,  101, 250, 100000, 2147483647};
const int32_t kColours[] = {-70000, -300, -1, 0, 1, 127, 128, 255, 256, 1000};

TEST(BlendEquivalence, ColourFillAndMixes) {
  for (int32_t c : kColours) {
    SAME(ARGS(c), DllSetBkColor(img, p.size(), c, 255 - c, c / 2));
    SAME(ARGS(c), DllSetBkColor(img, p.size() - 1, c, 7, 300));
  }
  for (int32_t percent : kPercents) {
    for (int32_t c : kColours) {
      SAME(ARGS(percent, c), dllmixcolor(img, p.size(), percent, c, 255 - c, 128));
    }
    SAME(ARGS(percent), dllmixcolor(img, p.size() + 1, percent, 0, 90, 255));
    SAME(ARGS(percent), DllMixWord(img, pic, p.size(), percent));
    SAME(ARGS(percent), DllMixWord(img, pic, p.size() - 2, percent));
  }
}

TEST(BlendEquivalence, KeyedPictureBlendsAndCopies) {
  const int32_t keys[][3] = {{-1, 0, 0}, {-1, 20, 10},    {30, 20, 10},
                             {0, 0, 0},  {255, 255, 255}, {300, -5, 128}};
  const int32_t tolerances[] = {-5, -1, 0, 1, 3, 40, 255, 1000};
  for (const auto& k : keys) {
    for (int32_t t : tolerances) {
      for (int32_t percent : {-150, 0, 33, 50, 100, 101, 100000, 900000000}) {
        SAME(ARGS(k[0], k[1], k[2], t, percent),
             dllmiximage(pic, img, p.size(), 0, 0, 0, k[0], k[1], k[2], t, percent));
      }
      SAME(ARGS(k[0], k[1], k[2], t), dllframeimage(pic, img, p.size(), k[0], k[1], k[2], t));
      SAME(ARGS(k[0], k[1], k[2], t), dllframeimage(pic, img, p.size() - 1, k[0], k[1], k[2], t));
    }
  }
}

TEST(BlendEquivalence, LetterMasks) {
  SAME("fill", DllFillImage(img, pic, p.size()));
  SAME("fill short", DllFillImage(img, pic, p.size() - 2));
  SAME("unshow", DllUnShowBlack(img, pic, p.size()));
  SAME("unshow whole", DllUnShowBlack(img, pic, p.size() + 1));
  SAME("black", DllSetBlack(img, p.size()));
  SAME("black none", DllSetBlack(img, -1));
}

TEST(BlendEquivalence, Ramps) {
  const int32_t ends[] = {-1000, -256, -50, 0, 1, 64, 127, 128, 192, 255, 256, 1000, 100000};
  for (int32_t flag : {0, 1, -3}) {
    for (int32_t s : ends) {
      for (int32_t e : ends) {
        SAME(ARGS(flag, s, e), dllgradientbright(img, p.width, p.height, p.stride, flag, s, e));
        SAME(ARGS(flag, s, e), dllgradientcontrast(img, p.width, p.height, p.stride, flag, s, e));
        SAME(ARGS(flag, s, e), dllgradientexposal(img, p.width, p.height, p.stride, flag, s, e));
        SAME(ARGS(flag, s, e), dllgradientrgb(img, p.width, p.height, p.stride, flag, s, e, e, s, -s, e / 2));
      }
    }
  }
}

TEST(BlendEquivalence, ThreeColourGradients) {
  const int32_t sets[][9] = {{255, 0, 0, 0, 255, 0, 0, 0, 255},
                             {0, 0, 0, 0, 0, 0, 0, 0, 0},
                             {255, 255, 255, 255, 255, 255, 255, 255, 255},
                             {-300, 1000, 17, 256, -1, 128, 70000, -70000, 99},
                             {12, 34, 56, 78, 90, 123, 145, 167, 189},
                             {1 << 28, 5, -(1 << 28), 0, 2147483647, 9, -2147483647, 3, 1 << 30}};
  for (const auto& c : sets) {
    for (int32_t mirror : {0, 1, -1}) {
      SAME(ARGS(c[0], c[3], c[6], mirror), dllgradienthor(img, 0, p.width, p.height, p.stride, c[0], c[1],
                                                          c[2], c[3], c[4], c[5], c[6], c[7], c[8], mirror));
      SAME(ARGS(c[0], c[3], c[6], mirror), dllgradientver(img, 0, p.width, p.height, p.stride, c[0], c[1],
                                                          c[2], c[3], c[4], c[5], c[6], c[7], c[8], mirror));
    }
    SAME(ARGS(c[0], c[3], c[6]), dllgradientall(img, 0, p.width, p.height, p.stride, c[0], c[1], c[2], c[3],
                                                c[4], c[5], c[6], c[7], c[8]));
  }
}

TEST(BlendEquivalence, FramesAndBorders) {
  const int32_t depths[] = {-1, 0, 1, 2, 3, 4, 5, 9, 40, 300};
  for (int32_t d : depths) {
    SAME(ARGS(d), dllmixborder(pic, img, 0, p.width, p.height, p.stride, d));
    SAME(ARGS(d), dllframecolor(img, 0, p.width, p.height, p.stride, d, d / 2, d + 1, 2 - d, 1, 256, -3));
    for (int32_t a : {-1000, -256, -100, 0, 50, 128, 255, 256, 100000}) {
      for (int32_t b : {-255, 0, 64, 128, 255, 512}) {
        SAME(ARGS(d, a, b), dllframebright(img, p.size(), p.width, p.height, p.stride, a, b, d));
        SAME(ARGS(d, a, b), dllframecontrast(img, p.size(), p.width, p.height, p.stride, a, b, d));
        SAME(ARGS(d, a, b), dllframeexposal(img, p.size(), p.width, p.height, p.stride, a, b, d));
      }
      SAME(ARGS(d, a), dllframemix(img, p.size(), p.width, p.height, p.stride, a, 255, 0, 128, -a, 300, d));
      SAME(ARGS(d, a), dllbeveler(img, p.size(), p.width, p.height, p.stride, a, -a, a / 2, 300, d));
    }
    SAME(ARGS(d), dllframebright(img, p.size() - 7, p.width, p.height, p.stride, 20, 200, d));
  }
}

// The whole-picture gradient takes one weight per pixel down a long falling sequence; large and
// oddly shaped pictures walk it through many binary orders of magnitude.
TEST(BlendEquivalence, GradientAllOnLargePictures) {
  std::mt19937 gen(5);
  const int32_t sets[][9] = {{255, 0, 0, 0, 255, 0, 0, 0, 255},
                             {2147483647, -2147483647, 1 << 30, 3, 1 << 29, -(1 << 27), 77, 1 << 28, 2},
                             {(1 << 28) - 1, 1 << 27, 99999, -(1 << 28) + 1, 12345, 7, 1000, -1000, 1 << 26}};
  for (auto [w, h] : {std::pair{997, 601}, std::pair{4099, 1}, std::pair{1, 3001}, std::pair{64, 64}}) {
    Picture p{w, h, (3 * w + 3) & ~3, {}, {}};
    p.image.resize(static_cast<size_t>(p.stride) * p.height);
    fill(p.image, gen);
    for (const auto& c : sets) {
      Bytes a = p.image, b = p.image;
      dllgradientall(a.data(), 0, w, h, p.stride, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]);
      reference::dllgradientall(b.data(), 0, w, h, p.stride, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7],
                                c[8]);
      EXPECT_TRUE(a == b) << w << " x " << h << " colours " << c[0] << ", " << c[3] << ", " << c[6];
    }
  }
}

// The border mix with its frame picture in the same memory as the picture: the same buffer, and
// one shifted by a pixel or a row, where each blend may read what an earlier one wrote.
TEST(BlendEquivalence, BorderMixOnSharedMemory) {
  std::mt19937 gen(3);
  for (auto [w, h] : {std::pair{7, 5}, std::pair{40, 33}, std::pair{203, 8}}) {
    const int32_t stride = 3 * w + 1;
    for (int32_t d : {1, 2, 3, 5, 7}) {
      for (int32_t gap : {0, 3, -3, stride, -stride}) {
        Bytes start(static_cast<size_t>(stride) * h + 2 * static_cast<size_t>(stride));
        fill(start, gen);
        Bytes a = start, b = start;
        uint8_t* imageA = a.data() + stride;
        uint8_t* imageB = b.data() + stride;
        dllmixborder(imageA + gap, imageA, 0, w, h, stride, d);
        reference::dllmixborder(imageB + gap, imageB, 0, w, h, stride, d);
        EXPECT_TRUE(a == b) << w << " x " << h << " depth " << d << " gap " << gap;
      }
    }
  }
}

// The noise frame seeds its generator from the clock, so both versions run within one second.
TEST(BlendEquivalence, NoiseFrame) {
  for (int32_t d : {-1, 0, 1, 2, 3, 7, 40}) {
    for (int32_t density : {-10, 0, 1, 50, 99, 100, 150}) {
      for (int attempt = 0; attempt < 5; ++attempt) {
        const std::time_t before = std::time(nullptr);
        bool same = true;
        std::string where;
        for (const Picture& p : samples()) {
          Bytes a = p.image, b = p.image;
          dllframenoise(a.data(), p.size(), p.width, p.height, p.stride, 1, 256, 77, density, d);
          reference::dllframenoise(b.data(), p.size(), p.width, p.height, p.stride, 1, 256, 77, density, d);
          if (a != b && same) {
            same = false;
            where = std::to_string(p.width) + " x " + std::to_string(p.height);
          }
        }
        if (std::time(nullptr) != before) continue;
        EXPECT_TRUE(same) << "depth " << d << " density " << density << " on " << where;
        break;
      }
    }
  }
}

}  // namespace

// Keys and tolerances at the ends of the int range: no colour is near such a key, so every pixel
// is copied or blended (a tolerance of INT_MAX wraps to a limit every distance reaches).
TEST(BlendKeyExtremes, FarKeysCopyAndBlendEveryPixel) {
  const Picture& p = samples().back();
  const int32_t cases[][4] = {{0, INT32_MIN, 0, 5},
                              {INT32_MAX, 0, 0, 5},
                              {0, INT32_MAX, 0, 5},
                              {0, 0, INT32_MIN, 1000},
                              {30, 20, 10, INT32_MAX}};
  for (const auto& k : cases) {
    Bytes copied = p.image;
    dllframeimage(p.picture.data(), copied.data(), p.size(), k[0], k[1], k[2], k[3]);
    const size_t n = static_cast<size_t>(p.size()) / 3 * 3;
    EXPECT_TRUE(std::equal(copied.begin(), copied.begin() + n, p.picture.begin())) << k[0] << "," << k[3];
    Bytes blended = p.image;
    dllmiximage(p.picture.data(), blended.data(), p.size(), 0, 0, 0, k[0], k[1], k[2], k[3], 100);
    EXPECT_TRUE(std::equal(blended.begin(), blended.begin() + n, p.picture.begin())) << k[0] << "," << k[3];
  }
}

// Large pictures take the fixed-point blend wherever it matches for every byte pair; every
// percent from 0 to 100 must still give the plain bytes, keyed, unkeyed and under a mask.
TEST(BlendEquivalence, LargePictureBlendsEveryPercent) {
  std::mt19937 gen(11);
  Picture p{701, 503, 3 * 701 + 3, {}, {}};
  p.image.resize(static_cast<size_t>(p.stride) * p.height);
  p.picture.resize(p.image.size());
  fill(p.image, gen);
  fill(p.picture, gen);
  ASSERT_GE(p.size(), 1 << 20);
  for (int32_t percent = -1; percent <= 101; ++percent) {
    GuardedBytes picture(p.picture), a(p.image);
    Bytes b = p.image;
    dllmiximage(picture.data(), a.data(), p.size(), 0, 0, 0, percent % 2 ? -1 : 30, 20, 10, 3, percent);
    reference::dllmiximage(p.picture.data(), b.data(), p.size(), 0, 0, 0, percent % 2 ? -1 : 30, 20, 10, 3,
                           percent);
    EXPECT_TRUE(a == b) << "mix image " << percent;
    GuardedBytes word(p.image);
    b = p.image;
    DllMixWord(word.data(), picture.data(), p.size(), percent);
    reference::DllMixWord(b.data(), p.picture.data(), p.size(), percent);
    EXPECT_TRUE(word == b) << "mix word " << percent;
  }
}
