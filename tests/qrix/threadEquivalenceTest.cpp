// Every function the library spreads over its threads gives the same bytes at 2, 3 and 8 threads
// as at 1, on pictures whose rows do not divide evenly into the bands (bands forced down to a byte,
// so even these small pictures are cut), with and without row padding, and with a size cut short.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "PixelBuffer.h"
#include "qrix.h"

namespace {

using Bytes = std::vector<uint8_t>;
using testing_support::PixelBuffer;

struct Picture {
  PixelBuffer pixels;
  int32_t size;
};

std::vector<Picture> pictures() {
  std::vector<Picture> all;
  for (auto [w, h] : {std::pair{203, 37}, std::pair{96, 29}, std::pair{5, 61}}) {
    PixelBuffer b = testing_support::randomBuffer(w, h, static_cast<uint32_t>(w * h));
    // Runs of one value, so the key tests and histograms meet repeats.
    for (size_t i = 0; i < b.bytes.size() / 4; ++i) b.bytes[i] = static_cast<uint8_t>(i / 700 * 40);
    all.push_back({b, b.size()});
    all.push_back({b, b.size() - 4});
  }
  return all;
}

// One call: `image` is rewritten in place; `other` is a second picture (source or destination).
using Call = std::function<void(Bytes& image, Bytes& other, const Picture& p)>;

struct Case {
  std::string name;
  Call call;
};

// A source-to-destination filter of (source, destination, size, stride).
Case sweep(const std::string& name, int32_t (*f)(const uint8_t*, uint8_t*, int32_t, int32_t)) {
  return {name, [f](Bytes& image, Bytes& other, const Picture& p) {
            f(image.data(), other.data(), p.size, p.pixels.stride);
          }};
}

// An in-place filter of (image, size, stride, width, height).
Case interior(const std::string& name, int32_t (*f)(uint8_t*, int32_t, int32_t, int32_t, int32_t)) {
  return {name, [f](Bytes& image, Bytes&, const Picture& p) {
            f(image.data(), p.size, p.pixels.stride, p.pixels.width, p.pixels.height);
          }};
}

// A pixel-wise function of the flat walk.
Case flat(const std::string& name, std::function<void(uint8_t*, int32_t)> f) {
  return {name, [f](Bytes& image, Bytes&, const Picture& p) { f(image.data(), p.size); }};
}

std::vector<Case> cases() {
  std::vector<Case> c = {
      sweep("fastblur", dllfastblur),
      sweep("gaussblur", dllgaussblur),
      sweep("specialblur", dllspecialblur),
      sweep("median", medianfiltering),
      sweep("sharpenhor", dllsharpenhor),
      sweep("sharpenver", dllsharpenver),
      sweep("roberts", dllsharpenroberts),
      sweep("wallis", dllsharpenwallis),
      sweep("laplacian1", dllsharpen_laplacian1),
      sweep("laplacian2", dllsharpen_laplacian2),
      sweep("contour", dllcontour),
      interior("BlurSoftly", DllBlurSoftly),
      interior("BlurMore", DllBlurMore),
      interior("SimpleSharpen", DllSimpleSharpen),
      interior("SharpenMore", DllSharpenMore),
      interior("SharpenLess", DllSharpenLess),
      interior("UnSharpMask", DllUnSharpMask),
      interior("EmbossColor", DllEmbossColor),
      interior("EmbossHighLight", DllEmbossHighLight),
      {"EnhanceEdge",
       [](Bytes& image, Bytes&, const Picture& p) {
         dllEnhanceEdge(image.data(), p.size, p.pixels.width, p.pixels.height);
       }},
      // Rows one byte longer than the stride: the interior works from a whole copy.
      {"BlurMore overlapping rows",
       [](Bytes& image, Bytes&, const Picture& p) {
         DllBlurMore(image.data(), p.size, 3 * p.pixels.width - 1, p.pixels.width, p.pixels.height / 2);
       }},
      // In place: the sweep reads what it wrote and must keep its order.
      {"fastblur in place",
       [](Bytes& image, Bytes&, const Picture& p) {
         dllfastblur(image.data(), image.data(), p.size, p.pixels.stride);
       }},
      {"median in place",
       [](Bytes& image, Bytes&, const Picture& p) {
         medianfiltering(image.data(), image.data(), p.size, p.pixels.stride);
       }},
      {"sharpen 3 in place",
       [](Bytes& image, Bytes&, const Picture& p) {
         dllsharpen(image.data(), image.data(), p.size, p.pixels.stride, 3, 500);
       }},
      flat("brightness", [](uint8_t* i, int32_t s) { dllbrightness(i, s, 40); }),
      flat("contrast", [](uint8_t* i, int32_t s) { dllcontrast(i, s, 150); }),
      flat("exposal", [](uint8_t* i, int32_t s) { dllexposal(i, s, 90); }),
      flat("rgbbalance", [](uint8_t* i, int32_t s) { dllrgbbalance(i, s, 30, -20, 10); }),
      flat("yuvbalance", [](uint8_t* i, int32_t s) { dllyuvbalance(i, s, 10, -30, 25); }),
      flat("yuvbalance wide", [](uint8_t* i, int32_t s) { dllyuvbalance(i, s, 1 << 22, -30, 25); }),
      flat("ycbcr", [](uint8_t* i, int32_t s) { dllycbcr(i, s, 12, -40, 33); }),
      flat("hsl", [](uint8_t* i, int32_t s) { dllhsl(i, s, 30, -20, 15); }),
      flat("blackwhite", [](uint8_t* i, int32_t s) { dllblackwhite(i, s, 0, 120); }),
      flat("colorbound", [](uint8_t* i, int32_t s) { dllcolorbound(i, s, 200, 190, 180, 20, 30, 40); }),
      flat("AdjLevel", [](uint8_t* i, int32_t s) { DllAdjLevel(i, s, 220, 10, 200, 30, 240, 5); }),
      flat("hisequip", [](uint8_t* i, int32_t s) { dllhisequip(i, s, 40, 30); }),
      flat("charcoal", [](uint8_t* i, int32_t s) { dllcharcoal(i, s); }),
      flat("erode", [](uint8_t* i, int32_t s) { dllerode(i, s, 77); }),
      flat("ice", [](uint8_t* i, int32_t s) { dllice(i, s, 250); }),
      flat("wind", [](uint8_t* i, int32_t s) { dllwind(i, s, 5); }),
      flat("watercolour", [](uint8_t* i, int32_t s) { dllwatercolour(i, s, 13); }),
      flat("comedy", [](uint8_t* i, int32_t s) { dllcomedy(i, s, 60); }),
      flat("spotted", [](uint8_t* i, int32_t s) { dllspotted(i, s, 70); }),
      flat("nost", [](uint8_t* i, int32_t s) { dllnost(i, s, 7); }),
      flat("mixcolor", [](uint8_t* i, int32_t s) { dllmixcolor(i, s, 35, 200, 10, 90); }),
      {"miximage",
       [](Bytes& image, Bytes& other,
          const Picture& p) { dllmiximage(other.data(), image.data(), p.size, 0, 0, 0, -1, 0, 0, 0, 40); }},
      {"miximage keyed",
       [](Bytes& image, Bytes& other,
          const Picture& p) { dllmiximage(other.data(), image.data(), p.size, 0, 0, 0, 40, 40, 0, 30, 70); }},
      {"frameimage",
       [](Bytes& image, Bytes& other,
          const Picture& p) { dllframeimage(image.data(), other.data(), p.size, 0, 40, 0, 50); }},
      {"FillImage", [](Bytes& image, Bytes& other,
                       const Picture& p) { DllFillImage(image.data(), other.data(), p.size); }},
      {"UnShowBlack", [](Bytes& image, Bytes& other,
                         const Picture& p) { DllUnShowBlack(other.data(), image.data(), p.size); }},
      {"MixWord", [](Bytes& image, Bytes& other,
                     const Picture& p) { DllMixWord(image.data(), other.data(), p.size, 30); }},
  };
  for (int32_t flag : {0, 1}) {
    const std::string d = flag != 0 ? " across" : " down";
    c.push_back({"gradientbright" + d, [flag](Bytes& image, Bytes&, const Picture& p) {
                   dllgradientbright(image.data(), p.pixels.width, p.pixels.height, p.pixels.stride, flag,
                                     -90, 200);
                 }});
    c.push_back({"gradientcontrast" + d, [flag](Bytes& image, Bytes&, const Picture& p) {
                   dllgradientcontrast(image.data(), p.pixels.width, p.pixels.height, p.pixels.stride, flag,
                                       300, 0);
                 }});
    c.push_back({"gradientexposal" + d, [flag](Bytes& image, Bytes&, const Picture& p) {
                   dllgradientexposal(image.data(), p.pixels.width, p.pixels.height, p.pixels.stride, flag, 0,
                                      255);
                 }});
    c.push_back({"gradientrgb" + d, [flag](Bytes& image, Bytes&, const Picture& p) {
                   dllgradientrgb(image.data(), p.pixels.width, p.pixels.height, p.pixels.stride, flag, 0,
                                  // Steps far beyond a byte whose sums still fit an int.
                                  250, -1000000, 1000000, 90, -90);
                 }});
    for (int32_t style : {0, 1}) {
      c.push_back({"blinds" + d + " style " + std::to_string(style),
                   [flag, style](Bytes& image, Bytes&, const Picture& p) {
                     dllblinds(image.data(), p.pixels.width, p.pixels.height, 7, style, flag, style);
                   }});
    }
  }
  c.push_back({"blinds beyond the exact size", [](Bytes& image, Bytes&, const Picture& p) {
                 dllblinds(image.data(), p.pixels.width, p.pixels.height, 70000, 0, 0, 0);
               }});
  c.push_back({"fliphor", [](Bytes& image, Bytes& other, const Picture& p) {
                 dllfliphor(other.data(), image.data(), p.pixels.width, p.pixels.height);
               }});
  for (int32_t radius : {1, 3, 8, 9}) {
    c.push_back(
        {"fastblurplus " + std::to_string(radius), [radius](Bytes& image, Bytes& other, const Picture& p) {
           dllfastblurplus(image.data(), other.data(), p.size, p.pixels.width, p.pixels.height, radius);
         }});
  }
  for (int32_t direction : {1, 3, 5, 7}) {
    for (int32_t distance : {1, 4, 12}) {
      c.push_back({"motionblur " + std::to_string(direction) + " " + std::to_string(distance),
                   [direction, distance](Bytes& image, Bytes& other, const Picture& p) {
                     dllmotionblur(image.data(), other.data(), p.size, p.pixels.stride, distance, direction);
                   }});
    }
  }
  // Long horizontal runs: counts past the compiled runs and past the multiply-and-shift.
  for (int32_t distance : {20, 70}) {
    c.push_back({"motionblur across " + std::to_string(distance),
                 [distance](Bytes& image, Bytes& other, const Picture& p) {
                   dllmotionblur(image.data(), other.data(), p.size, p.pixels.stride, distance, 5);
                 }});
  }
  c.push_back({"motionblur in place", [](Bytes& image, Bytes&, const Picture& p) {
                 dllmotionblur(image.data(), image.data(), p.size, p.pixels.stride, 6, 4);
               }});
  c.push_back({"fastblurplus in place", [](Bytes& image, Bytes&, const Picture& p) {
                 dllfastblurplus(image.data(), image.data(), p.size, p.pixels.width, p.pixels.height, 2);
               }});
  c.push_back(flat("SetBkColor", [](uint8_t* i, int32_t s) { DllSetBkColor(i, s, 10, 20, 30); }));
  for (int32_t direction : {1, 2, 3, 4, 5, 6, 7, 8}) {
    for (int32_t grey : {0, 1}) {
      c.push_back({"emboss " + std::to_string(direction) + (grey != 0 ? " grey" : ""),
                   [direction, grey](Bytes& image, Bytes& other, const Picture& p) {
                     dllemboss(image.data(), other.data(), p.size, p.pixels.stride, 3, direction, 128, 100,
                               90, grey);
                   }});
    }
  }
  c.push_back({"engrave", [](Bytes& image, Bytes&, const Picture& p) {
                 dllengrave(image.data(), p.size, p.pixels.stride, 1, 0, 1);
               }});
  c.push_back({"engrave, short stride",
               [](Bytes& image, Bytes&, const Picture& p) { dllengrave(image.data(), p.size, 1, 1, 1, 1); }});
  for (int32_t direction = 1; direction <= 8; ++direction) {
    for (int32_t amount : {0, 300, 20000}) {
      c.push_back({"sharpen " + std::to_string(direction) + " " + std::to_string(amount),
                   [direction, amount](Bytes& image, Bytes& other, const Picture& p) {
                     dllsharpen(image.data(), other.data(), p.size, p.pixels.stride, direction, amount);
                   }});
    }
  }
  for (int32_t mode = 0; mode <= 61; ++mode) {
    if (mode == 50) continue;  // Noise draws in order and stays on the calling thread
    c.push_back(flat("pno " + std::to_string(mode), [mode](uint8_t* i, int32_t s) { pno(i, s, mode); }));
  }
  for (int32_t mode = 1; mode <= 6; ++mode) {
    c.push_back(flat("greyadvance " + std::to_string(mode),
                     [mode](uint8_t* i, int32_t s) { dllgreyadvance(i, s, mode); }));
  }
  return c;
}

// Both pictures after the call.
std::pair<Bytes, Bytes> run(const Case& c, const Picture& p) {
  Bytes image = p.pixels.bytes;
  Bytes other(image.rbegin(), image.rend());
  c.call(image, other, p);
  return {image, other};
}

class ThreadEquivalence : public testing::Test {
 protected:
  void TearDown() override { dllsetthreads(0, 0); }
};

TEST_F(ThreadEquivalence, EveryThreadCountGivesTheOneThreadBytes) {
  const auto all = pictures();
  for (const Case& c : cases()) {
    for (size_t k = 0; k < all.size(); ++k) {
      dllsetthreads(1, 0);
      const auto expected = run(c, all[k]);
      for (int32_t threads : {2, 3, 8}) {
        ASSERT_EQ(dllsetthreads(threads, 1), threads);
        const auto got = run(c, all[k]);
        ASSERT_TRUE(got == expected) << c.name << ", picture " << k << ", " << threads << " threads";
      }
    }
  }
}

// The desktop program calls from its preview thread and its main thread at once: both calls must
// finish, each with its own bytes, while they share the workers.
TEST_F(ThreadEquivalence, CallersAtOnceShareThePool) {
  const auto all = pictures();
  const Picture& p = all[0];
  dllsetthreads(1, 0);
  Bytes blurred = p.pixels.bytes, bright = p.pixels.bytes;
  DllBlurMore(blurred.data(), p.size, p.pixels.stride, p.pixels.width, p.pixels.height);
  dllhsl(bright.data(), p.size, 10, 20, 30);
  dllsetthreads(3, 1);
  bool blurSame = true, hslSame = true;
  std::thread other([&] {
    for (int i = 0; i < 30; ++i) {
      Bytes b = p.pixels.bytes;
      dllhsl(b.data(), p.size, 10, 20, 30);
      hslSame &= b == bright;
    }
  });
  for (int i = 0; i < 30; ++i) {
    Bytes b = p.pixels.bytes;
    DllBlurMore(b.data(), p.size, p.pixels.stride, p.pixels.width, p.pixels.height);
    blurSame &= b == blurred;
  }
  other.join();
  EXPECT_TRUE(blurSame);
  EXPECT_TRUE(hslSame);
}

TEST_F(ThreadEquivalence, ThreadCountFallsBackToTheDefault) {
  EXPECT_EQ(dllsetthreads(5, 0), 5);
  const int32_t fallback = dllsetthreads(0, 0);
  EXPECT_GE(fallback, 1);
  EXPECT_EQ(dllsetthreads(-3, -1), fallback);
}

}  // namespace
