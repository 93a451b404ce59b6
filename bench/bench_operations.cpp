// Every operation of the filter and effect classes on a CDIB of the benchmark
// size, as the program runs them (library calls through the run-time binding,
// working copies and packed copies included).
#include <cstring>
#include <memory>

#include "BenchPicture.h"
#include "CDIB.h"
#include "cEffectDIB.h"
#include "cFilterDIB.h"

namespace {

using orvane::CDIB;

// Restores the image (untimed), re-creating it when an operation changed its size.
void restore(CDIB& image, const bench::Picture& p) {
  if (image.Width() != p.width || image.Height() != p.height) image.Create(p.width, p.height);
  std::memcpy(image.DIBPointer(), p.original.data(), p.original.size());
}

// The operation objects, kept between calls as the program keeps them (with their working copies).
std::unique_ptr<orvane::cFilterDIB>& filterObject() {
  static auto object = std::make_unique<orvane::cFilterDIB>();
  return object;
}
std::unique_ptr<orvane::cEffectDIB>& effectObject() {
  static auto object = std::make_unique<orvane::cEffectDIB>();
  return object;
}
orvane::cFilterDIB& filters() { return *filterObject(); }
orvane::cEffectDIB& effects() { return *effectObject(); }

template <typename Body>
void runOperation(benchmark::State& state, Body body) {
  const bench::Picture& p = bench::picture(static_cast<int32_t>(state.range(0)));
  CDIB image;
  image.Create(p.width, p.height);
  for (auto _ : state) {
    state.PauseTiming();
    restore(image, p);
    state.ResumeTiming();
    body(image);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(p.original.size()));
  // Fresh objects, so that the working copy the call makes is counted with the rest.
  restore(image, p);
  filterObject() = std::make_unique<orvane::cFilterDIB>();
  effectObject() = std::make_unique<orvane::cEffectDIB>();
  bench::measureExtraMemory(state, p.original.size(), [&] { body(image); });
}

#define FILTER_OP(name, ...)                                                                    \
  void BM_op_##name(benchmark::State& state) {                                                  \
    runOperation(state, [](CDIB& image) { filters().name(image __VA_OPT__(, ) __VA_ARGS__); }); \
  }                                                                                             \
  BENCHMARK(BM_op_##name)->Apply(bench::widths)

#define EFFECT_OP(label, call)                      \
  void BM_op_##label(benchmark::State& state) {     \
    runOperation(state, [](CDIB& image) { call; }); \
  }                                                 \
  BENCHMARK(BM_op_##label)->Apply(bench::widths)

FILTER_OP(UnSharpMask);
FILTER_OP(SharpenLess);
FILTER_OP(SharpenMore);
FILTER_OP(SimpleSharpen);
FILTER_OP(BlurMore);
FILTER_OP(BlurSoftly);
FILTER_OP(EmbossHightLight);
FILTER_OP(EmbossColor);
FILTER_OP(AdjLevel, 10, 240, 10, 240, 10, 240);
FILTER_OP(EnhanceEdge);
FILTER_OP(SuperEdge);
FILTER_OP(FastBlur);
FILTER_OP(ArtisticEdge);
FILTER_OP(SpecialBlur);
FILTER_OP(AutoContrast);
FILTER_OP(ColorBound, 10, 240, 10, 240, 10, 240);
FILTER_OP(FalseColor);
FILTER_OP(FastBlurPlus, 3);
FILTER_OP(AutoLevel);
FILTER_OP(InvertAll);
FILTER_OP(InvertRed);
FILTER_OP(InvertCyan);
FILTER_OP(GreyScale_Average);
FILTER_OP(GreyScale_HighLight);
FILTER_OP(GreyScale_MedianLight);
FILTER_OP(StandardGreyscale);
FILTER_OP(Brightness, 20);
FILTER_OP(Contrast, 160);
FILTER_OP(Exposal, 128);
FILTER_OP(RGBBalance, 10, -10, 5);
FILTER_OP(RGB2BGR);
FILTER_OP(RGB2GBR);
FILTER_OP(YUVBalance, 10, 5, -5);
FILTER_OP(HSLBalance, 30, 10, -10);
FILTER_OP(YCbCrBalance, 10, -5, 5);
FILTER_OP(KillRed);
FILTER_OP(KillYellow);
FILTER_OP(SoftRed);
FILTER_OP(HardRed);
FILTER_OP(FastPurple);
FILTER_OP(FastGrey);
FILTER_OP(FastBrown);
FILTER_OP(FastDarkBrown);
FILTER_OP(BlackWhite, true, 128);
FILTER_OP(MotionBlur, 5, 1);
FILTER_OP(GaussBlur);
FILTER_OP(Sharpen, 100, 4);
FILTER_OP(Sharpen_Horizontal);
FILTER_OP(Sharpen_Vertical);
FILTER_OP(Sharpen_Roberts);
FILTER_OP(Sharpen_Wallis);
FILTER_OP(Sharpen_Laplacian1);
FILTER_OP(Sharpen_Laplacian2);
FILTER_OP(Emboss, false, 1, 1, 128, 128, 128);
FILTER_OP(Engrave);
FILTER_OP(EngraveRed);
FILTER_OP(Contour);
FILTER_OP(Diffuse, 3);
FILTER_OP(AfricaF);
FILTER_OP(Strange);
FILTER_OP(Unreal);
FILTER_OP(CharCoal);
FILTER_OP(KeshNost, 50);
FILTER_OP(Neon, 5);
FILTER_OP(Erode, 3);
FILTER_OP(Ice, 5);
FILTER_OP(Wave, 10);
FILTER_OP(Noise);
FILTER_OP(Liquid);
FILTER_OP(WetPaper);
FILTER_OP(Wind, 5);
FILTER_OP(Fog, 5, 50000);
FILTER_OP(Flame);
FILTER_OP(Night);
FILTER_OP(Eclipse);
FILTER_OP(WaterColour, 5);
FILTER_OP(Comedy, 5);
FILTER_OP(Spotted, 5);
FILTER_OP(Noise_Reduction_Median);
FILTER_OP(Canvas, 10, 10);

void BM_op_Rotate(benchmark::State& state) {
  const auto angle = static_cast<int32_t>(state.range(1));
  runOperation(state, [angle](CDIB& image) { effects().Rotate(image, angle); });
}
BENCHMARK(BM_op_Rotate)
    ->ArgsProduct({{4000, 4001}, {90, 180, 270}, bench::kThreads})
    ->Setup(bench::threadsFrom<2>)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

EFFECT_OP(Zoom, effects().Zoom(image, 50, 50, true));
EFFECT_OP(FlipHor, effects().FlipHor(image));
EFFECT_OP(FlipVer, effects().FlipVer(image));
EFFECT_OP(MirrorHor, effects().MirrorHor(image));
EFFECT_OP(MirrorHorRev, effects().MirrorHorRev(image));
EFFECT_OP(MirrorVer, effects().MirrorVer(image));
EFFECT_OP(MirrorVerRev, effects().MirrorVerRev(image));
EFFECT_OP(MixColor, effects().MixColor(image, 50, 255, 0, 0));
EFFECT_OP(Blinds, {
  int32_t size = 20;
  effects().Blinds(image, size, false, false, false);
});
EFFECT_OP(Pentagon, effects().Pentagon(image, 20, 20, 20));
EFFECT_OP(Trapezia, effects().Trapezia(image, 30, false, false));
EFFECT_OP(Parallel, effects().Parallel(image, 30, false, false));

}  // namespace
