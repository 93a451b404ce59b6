// Every working export of qrix on the benchmark pictures, with the memcpy
// floor of the same buffer.
#include <cstring>

#include "BenchPicture.h"
#include "qrix.h"

namespace {

using bench::Picture;

#define PIXELWISE(label, call)                                                              \
  void BM_##label(benchmark::State& state) {                                                \
    bench::runInPlace(state, [](Picture& p) {                                               \
      [[maybe_unused]] uint8_t* img = p.image.data();                                       \
      [[maybe_unused]] const uint8_t* src = p.source.data();                                \
      [[maybe_unused]] const int32_t n = p.size(), s = p.stride, w = p.width, h = p.height; \
      call;                                                                                 \
    });                                                                                     \
  }                                                                                         \
  BENCHMARK(BM_##label)->Apply(bench::widths)

void BM_memcpy(benchmark::State& state) {
  bench::runInPlace(state, [](Picture& p) { std::memcpy(p.image.data(), p.source.data(), p.image.size()); });
}
BENCHMARK(BM_memcpy)->Apply(bench::widths);

void BM_pno(benchmark::State& state) {
  const int32_t mode = static_cast<int32_t>(state.range(1));
  bench::runInPlace(state, [mode](Picture& p) { pno(p.image.data(), p.size(), mode); });
}
BENCHMARK(BM_pno)
    ->ArgsProduct({{4000, 4001},
                   {1,  2,  5,  8,  10, 15, 21, 26, 30, 31, 33, 34, 47,
                    48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 60},
                   bench::kThreads})
    ->Setup(bench::threadsFrom<2>)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_dllgreyadvance(benchmark::State& state) {
  const int32_t mode = static_cast<int32_t>(state.range(1));
  bench::runInPlace(state, [mode](Picture& p) { dllgreyadvance(p.image.data(), p.size(), mode); });
}
BENCHMARK(BM_dllgreyadvance)
    ->ArgsProduct({{4000, 4001}, {1, 2, 3, 4, 5, 6}, bench::kThreads})
    ->Setup(bench::threadsFrom<2>)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Colour adjustments
PIXELWISE(dllycbcr, dllycbcr(img, n, 10, -5, 5));
PIXELWISE(dllbrightness, dllbrightness(img, n, 20));
PIXELWISE(dllcontrast, dllcontrast(img, n, 160));
PIXELWISE(dllexposal, dllexposal(img, n, 128));
PIXELWISE(dllrgbbalance, dllrgbbalance(img, n, 10, -10, 5));
PIXELWISE(dllyuvbalance, dllyuvbalance(img, n, 10, 5, -5));
PIXELWISE(dllblackwhite, dllblackwhite(img, n, 1, 128));
PIXELWISE(dllcolorbound, dllcolorbound(img, n, 240, 240, 240, 10, 10, 10));
PIXELWISE(dllhsl, dllhsl(img, n, 30, 10, -10));
PIXELWISE(dllhisequip, dllhisequip(img, n, w, h));
PIXELWISE(DllAdjLevel, DllAdjLevel(img, n, 240, 10, 240, 10, 240, 10));

// Blur
PIXELWISE(medianfiltering, medianfiltering(src, img, n, s));
PIXELWISE(dllfastblur, dllfastblur(src, img, n, s));
PIXELWISE(dllgaussblur, dllgaussblur(src, img, n, s));
PIXELWISE(dllfastblurplus, dllfastblurplus(src, img, n, w, h, 3));
PIXELWISE(dllmotionblur, dllmotionblur(src, img, n, s, 5, 0));
PIXELWISE(dllspecialblur, dllspecialblur(src, img, n, s));
PIXELWISE(DllBlurSoftly, DllBlurSoftly(img, n, s, w, h));
PIXELWISE(DllBlurMore, DllBlurMore(img, n, s, w, h));

// Sharpen and edge
PIXELWISE(dllsharpenhor, dllsharpenhor(src, img, n, s));
PIXELWISE(dllsharpenver, dllsharpenver(src, img, n, s));
PIXELWISE(dllsharpenroberts, dllsharpenroberts(src, img, n, s));
PIXELWISE(dllsharpenwallis, dllsharpenwallis(src, img, n, s));
PIXELWISE(dllsharpen, dllsharpen(src, img, n, s, 4, 100));
PIXELWISE(dllsharpen_laplacian1, dllsharpen_laplacian1(src, img, n, s));
PIXELWISE(dllsharpen_laplacian2, dllsharpen_laplacian2(src, img, n, s));
PIXELWISE(dllEnhanceEdge, dllEnhanceEdge(img, n, w, h));
PIXELWISE(DllSimpleSharpen, DllSimpleSharpen(img, n, s, w, h));
PIXELWISE(DllSharpenMore, DllSharpenMore(img, n, s, w, h));
PIXELWISE(DllSharpenLess, DllSharpenLess(img, n, s, w, h));
PIXELWISE(DllUnSharpMask, DllUnSharpMask(img, n, s, w, h));

// Relief
PIXELWISE(dllengrave, dllengrave(img, n, s, 1, 1, 1));
PIXELWISE(dllcontour, dllcontour(src, img, n, s));
PIXELWISE(dllemboss, dllemboss(src, img, n, s, 1, 0, 128, 128, 128, 0));
PIXELWISE(DllEmbossColor, DllEmbossColor(img, n, s, w, h));
PIXELWISE(DllEmbossHighLight, DllEmbossHighLight(img, n, s, w, h));

// Stylize
PIXELWISE(dllcanvas, dllcanvas(src, img, n, w, h, 40, 30));
PIXELWISE(dllcharcoal, dllcharcoal(img, n));
PIXELWISE(dllneon, dllneon(img, n, 5));
PIXELWISE(dllerode, dllerode(img, n, 24));
PIXELWISE(dllice, dllice(img, n, 5));
PIXELWISE(dllwind, dllwind(img, n, 5));
PIXELWISE(dllwatercolour, dllwatercolour(img, n, 5));
PIXELWISE(dllcomedy, dllcomedy(img, n, 5));
PIXELWISE(dllspotted, dllspotted(img, n, 5));
PIXELWISE(dllfog, dllfog(img, n, 25, s));
PIXELWISE(dlldiffuse, dlldiffuse(img, n, 30));
PIXELWISE(dllwave, dllwave(img, n, w, h, 10));
PIXELWISE(dllnost, dllnost(img, n, 50));

// Geometric distortions
PIXELWISE(dllfliphor, dllfliphor(img, src, w, h));
PIXELWISE(dllblinds, dllblinds(img, w, h, 20, 0, 0, 0));
PIXELWISE(dllparallel, dllparallel(src, img, w, h, s, n, 30, 0, 0));
PIXELWISE(dlltrapezia, dlltrapezia(src, img, w, h, s, n, 30, 0, 0));
PIXELWISE(dllpentagon, dllpentagon(src, img, w, h, s, n, 20, 20, 20));

// Blending, gradients and frames
PIXELWISE(dllgradientbright, dllgradientbright(img, w, h, s, 0, -50, 50));
PIXELWISE(dllgradientcontrast, dllgradientcontrast(img, w, h, s, 0, 64, 192));
PIXELWISE(dllgradientexposal, dllgradientexposal(img, w, h, s, 0, 0, 255));
PIXELWISE(dllgradientrgb, dllgradientrgb(img, w, h, s, 0, -50, 50, -50, 50, -50, 50));
PIXELWISE(dllmixcolor, dllmixcolor(img, n, 50, 255, 0, 0));
PIXELWISE(dllgradienthor, dllgradienthor(img, 0, w, h, s, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0));
PIXELWISE(dllgradientall, dllgradientall(img, 0, w, h, s, 255, 0, 0, 0, 255, 0, 0, 0, 255));
PIXELWISE(dllgradientver, dllgradientver(img, 0, w, h, s, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0));
PIXELWISE(dllmiximage, dllmiximage(src, img, n, 0, 0, 0, 0, 0, 0, 10, 50));
PIXELWISE(dllmixborder, dllmixborder(src, img, 0, w, h, s, 100));
PIXELWISE(dllframeimage, dllframeimage(src, img, n, 0, 0, 0, 10));
PIXELWISE(dllframecolor, dllframecolor(img, 0, w, h, s, 50, 50, 50, 50, 255, 255, 255));
PIXELWISE(dllframenoise, dllframenoise(img, n, w, h, s, 255, 255, 255, 50, 100));
PIXELWISE(dllframebright, dllframebright(img, n, w, h, s, 100, 0, 100));
PIXELWISE(dllframemix, dllframemix(img, n, w, h, s, 255, 0, 0, 0, 0, 255, 100));
PIXELWISE(dllframecontrast, dllframecontrast(img, n, w, h, s, 256, 128, 100));
PIXELWISE(dllframeexposal, dllframeexposal(img, n, w, h, s, 0, 128, 100));
PIXELWISE(dllbeveler, dllbeveler(img, n, w, h, s, 50, -50, -50, 50, 50));
PIXELWISE(DllSetBkColor, DllSetBkColor(img, n, 1, 2, 3));

// Text masks
PIXELWISE(DllSetBlack, DllSetBlack(img, n));
PIXELWISE(DllFillImage, DllFillImage(img, src, n));
PIXELWISE(DllUnShowBlack, DllUnShowBlack(img, src, n));
PIXELWISE(DllMixWord, DllMixWord(img, src, n, 50));

}  // namespace
