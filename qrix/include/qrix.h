// qrix: the program's pixel library.
//
// Plain C interface. Every argument is a buffer address or an int32_t, and every function returns
// int32_t: 1, except where a family below says otherwise. No argument is rejected: a value outside
// the range given is clamped, ignored or used as it is, as noted; nothing is reported.
//
// Pixels: 3 bytes each, blue, green, red; rows bottom-up, each padded to `stride` bytes (width * 3
// rounded up to 4). `size` is always the buffer's byte count minus one; the buffer must hold at
// least size + 1 bytes, and stride, width and height must fit it. The library never allocates,
// frees or keeps a caller's buffer.
//
// The flat walk: functions that take `size` but no geometry visit the triples at byte offsets
// 0, 3, 6, ... while offset < size - 2, ignoring rows: padding bytes are visited like pixels, and in
// rows that do not start on a triple boundary the three bytes of a triple are other channels.
// Nothing is visited when size <= 2; the last byte of the buffer is never touched.
//
// Random numbers: one generator per thread, state starting at 1 in each new thread, advanced as
// x = x * 214013 + 2531011 and yielding (x >> 16) & 0x7fff. The random filters continue the calling
// thread's sequence, so in a fresh thread they give the same bytes every time; only dllframenoise
// reseeds it, with the time in seconds.
//
// Threads: every call is synchronous. It runs on the caller's thread (possibly helped by the
// library's own workers, QRIX_THREADS), returns when every byte is written, and gives the same bytes
// whatever the number of threads. Calls on different buffers may run at once; calls on one buffer
// must not overlap.
//
// Processor: the fastest kernels the processor supports are chosen at the first call. QRIX_CPU=plain,
// avx2 or avx512 in the environment caps the choice (never above the processor); QRIX_NO_VECTOR=1 is
// plain. Every level gives the same bytes.
//
// Buffers: "in place" functions rewrite image. A source is only read and must not overlap its
// destination unless the family says so.
#pragma once

#include <stdint.h>

#if defined(QRIX_BUILDING)
#define QRIX_API __attribute__((visibility("default")))
#else
#define QRIX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Colour mappings and grey scales. Flat walk, in place.
//   pno: the mode names 1-8, 10-34, 47-58 and 60 are the 46 mappings; any other mode leaves the image
//     alone. Mode 50 continues the random sequence; 57 and 58 read the whole walk before writing.
//   dllgreyadvance: modes 1-6 (highlight, median light, low light, red only, green only, blue only);
//     any other mode leaves the image alone.
QRIX_API int32_t pno(uint8_t* image, int32_t size, int32_t mode);
QRIX_API int32_t dllgreyadvance(uint8_t* image, int32_t size, int32_t mode);

// Colour adjustments. Flat walk, in place. Deltas, amounts and levels take any value; results are
// clamped to 0-255 (dllcontrast's factor is in 1/128 units, dllhsl's deltas in hundredths).
//   dllcolorbound does nothing unless 1 <= max <= 255, 0 <= min <= 254 and max > min for all three.
//   DllAdjLevel leaves a channel whose max and min are equal (modulo 256) as it is.
//   dllhisequip reads the whole walk before it writes; it divides the counts by width x height (a
//     pixel count that differs from the walk's, e.g. with padding counted, gives other levels), and does
//     nothing when that product is 0 or less.
QRIX_API int32_t dllycbcr(uint8_t* image, int32_t size, int32_t yDelta, int32_t cbDelta, int32_t crDelta);
QRIX_API int32_t dllbrightness(uint8_t* image, int32_t size, int32_t amount);
QRIX_API int32_t dllcontrast(uint8_t* image, int32_t size, int32_t factor);
QRIX_API int32_t dllexposal(uint8_t* image, int32_t size, int32_t level);
QRIX_API int32_t dllrgbbalance(uint8_t* image, int32_t size, int32_t redDelta, int32_t greenDelta,
                               int32_t blueDelta);
QRIX_API int32_t dllyuvbalance(uint8_t* image, int32_t size, int32_t yDelta, int32_t uDelta, int32_t vDelta);
QRIX_API int32_t dllblackwhite(uint8_t* image, int32_t size, int32_t averageSwitch, int32_t level);
QRIX_API int32_t dllcolorbound(uint8_t* image, int32_t size, int32_t redMax, int32_t greenMax,
                               int32_t blueMax, int32_t redMin, int32_t greenMin, int32_t blueMin);
QRIX_API int32_t dllhsl(uint8_t* image, int32_t size, int32_t hueDelta, int32_t saturationDelta,
                        int32_t lightnessDelta);
QRIX_API int32_t dllhisequip(uint8_t* image, int32_t size, int32_t width, int32_t height);
QRIX_API int32_t DllAdjLevel(uint8_t* image, int32_t size, int32_t redMax, int32_t redMin, int32_t greenMax,
                             int32_t greenMin, int32_t blueMax, int32_t blueMin);

// Blur, sharpen and relief filters come in two shapes.
//   Sweep (source, destination, size, stride, ...): destination is written from the 3 x 3
//     neighbourhoods in source, which is only read and must not overlap destination. The walk runs
//     over the whole buffer as one run of pixels, rows and padding alike; the first stored row and
//     pixel and the last stored row and pixel are not written and keep what destination held.
//   Interior (image, size, stride, width, height): the function copies the image, rewrites every
//     pixel not on the picture's edge from the copy, and frees the copy. It returns 0, with the image
//     untouched, when the copy cannot be allocated; 1 otherwise.
// Directions 1-8 name the eight neighbours: dllmotionblur takes any other direction as 7 and a
// negative distance as 0; dllsharpen does nothing for any other direction. dllfastblurplus reads a
// grid of width pixels per row (padding ignored) and does nothing for a radius below 1.
QRIX_API int32_t medianfiltering(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
QRIX_API int32_t dllfastblur(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
QRIX_API int32_t dllgaussblur(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
QRIX_API int32_t dllfastblurplus(const uint8_t* source, uint8_t* destination, int32_t size, int32_t width,
                                 int32_t height, int32_t radius);
QRIX_API int32_t dllmotionblur(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride,
                               int32_t distance, int32_t direction);
QRIX_API int32_t dllspecialblur(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
QRIX_API int32_t DllBlurSoftly(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height);
QRIX_API int32_t DllBlurMore(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height);

// Sharpen and edge filters: sweeps and interior functions as for the blurs. dllEnhanceEdge is an
// interior function on a stride of 3 * width.
QRIX_API int32_t dllsharpenhor(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
QRIX_API int32_t dllsharpenver(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
QRIX_API int32_t dllsharpenroberts(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
QRIX_API int32_t dllsharpenwallis(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
QRIX_API int32_t dllsharpen(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride,
                            int32_t direction, int32_t amount);
QRIX_API int32_t dllsharpen_laplacian1(const uint8_t* source, uint8_t* destination, int32_t size,
                                       int32_t stride);
QRIX_API int32_t dllsharpen_laplacian2(const uint8_t* source, uint8_t* destination, int32_t size,
                                       int32_t stride);
QRIX_API int32_t dllEnhanceEdge(uint8_t* image, int32_t size, int32_t width, int32_t height);
QRIX_API int32_t DllSimpleSharpen(uint8_t* image, int32_t size, int32_t stride, int32_t width,
                                  int32_t height);
QRIX_API int32_t DllSharpenMore(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height);
QRIX_API int32_t DllSharpenLess(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height);
QRIX_API int32_t DllUnSharpMask(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height);

// Relief filters: dllemboss and dllcontour are sweeps; dllengrave works in place, each switch
// non-zero choosing its channel; DllEmbossColor and DllEmbossHighLight are interior functions.
QRIX_API int32_t dllengrave(uint8_t* image, int32_t size, int32_t stride, int32_t redSwitch,
                            int32_t greenSwitch, int32_t blueSwitch);
QRIX_API int32_t dllcontour(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
QRIX_API int32_t dllemboss(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride,
                           int32_t distance, int32_t direction, int32_t redBias, int32_t greenBias,
                           int32_t blueBias, int32_t greyFlag);
QRIX_API int32_t DllEmbossColor(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height);
QRIX_API int32_t DllEmbossHighLight(uint8_t* image, int32_t size, int32_t stride, int32_t width,
                                    int32_t height);

// Stylize filters. In place on the flat walk, except dllcanvas (source and destination must not
// overlap) and dllwave (rows of width pixels). dllcanvas, dllfog and dlldiffuse continue the random
// sequence. Amounts take any value.
QRIX_API int32_t dllcanvas(const uint8_t* source, uint8_t* destination, int32_t size, int32_t width,
                           int32_t height, int32_t horizontalStep, int32_t verticalStep);
QRIX_API int32_t dllcharcoal(uint8_t* image, int32_t size);
QRIX_API int32_t dllneon(uint8_t* image, int32_t size, int32_t amount);
QRIX_API int32_t dllerode(uint8_t* image, int32_t size, int32_t amount);
QRIX_API int32_t dllice(uint8_t* image, int32_t size, int32_t amount);
QRIX_API int32_t dllwind(uint8_t* image, int32_t size, int32_t amount);
QRIX_API int32_t dllwatercolour(uint8_t* image, int32_t size, int32_t amount);
QRIX_API int32_t dllcomedy(uint8_t* image, int32_t size, int32_t amount);
QRIX_API int32_t dllspotted(uint8_t* image, int32_t size, int32_t amount);
QRIX_API int32_t dllfog(uint8_t* image, int32_t size, int32_t amount, int32_t area);
QRIX_API int32_t dlldiffuse(uint8_t* image, int32_t size, int32_t amount);
QRIX_API int32_t dllwave(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t amount);
QRIX_API int32_t dllnost(uint8_t* image, int32_t size, int32_t amount);

// Geometric distortions.
//   dllfliphor: mirrors each row of source into destination, rows 3 * width bytes apart (no
//     padding); the two may be one buffer or overlap.
//   dllblinds: in place on width x height pixels; a blindSize of 0 does nothing.
//   dllparallel, dlltrapezia, dllpentagon: resample source into destination; destination pixels no
//     step writes keep what they held. Source and destination may be one buffer or overlap: each
//     step then reads what earlier steps wrote.
QRIX_API int32_t dllfliphor(uint8_t* destination, const uint8_t* source, int32_t width, int32_t height);
QRIX_API int32_t dllblinds(uint8_t* image, int32_t width, int32_t height, int32_t blindSize,
                           int32_t reverseFlag, int32_t directionFlag, int32_t styleFlag);
QRIX_API int32_t dllparallel(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                             int32_t stride, int32_t size, int32_t percent, int32_t directionFlag,
                             int32_t sideFlag);
QRIX_API int32_t dlltrapezia(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                             int32_t stride, int32_t size, int32_t percent, int32_t directionFlag,
                             int32_t sideFlag);
QRIX_API int32_t dllpentagon(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                             int32_t stride, int32_t size, int32_t percent1, int32_t percent2,
                             int32_t percent3);

// Blending, gradients and frames. In place on image; a second picture is only read and may be the
// same buffer as image (dllmixborder's may also overlap it: each step reads what earlier ones wrote).
// Percents and colour components take any value; in dllmixcolor and dllmiximage percent 0 keeps the
// image and 100 gives the colour or picture. Frames deeper than the picture are cut to it, except
// dllmixborder, which does nothing when its depth is below 1 or exceeds width or height. Arguments named
// ignored are not read.
QRIX_API int32_t dllgradientbright(uint8_t* image, int32_t width, int32_t height, int32_t stride,
                                   int32_t directionFlag, int32_t start, int32_t end);
QRIX_API int32_t dllgradientcontrast(uint8_t* image, int32_t width, int32_t height, int32_t stride,
                                     int32_t directionFlag, int32_t start, int32_t end);
QRIX_API int32_t dllgradientexposal(uint8_t* image, int32_t width, int32_t height, int32_t stride,
                                    int32_t directionFlag, int32_t start, int32_t end);
QRIX_API int32_t dllgradientrgb(uint8_t* image, int32_t width, int32_t height, int32_t stride,
                                int32_t directionFlag, int32_t redStart, int32_t redEnd, int32_t greenStart,
                                int32_t greenEnd, int32_t blueStart, int32_t blueEnd);
QRIX_API int32_t dllmixcolor(uint8_t* image, int32_t size, int32_t percent, int32_t red, int32_t green,
                             int32_t blue);
QRIX_API int32_t dllgradienthor(uint8_t* image, int32_t ignored, int32_t width, int32_t height,
                                int32_t stride, int32_t redA, int32_t greenA, int32_t blueA, int32_t redB,
                                int32_t greenB, int32_t blueB, int32_t redC, int32_t greenC, int32_t blueC,
                                int32_t mirrorFlag);
QRIX_API int32_t dllgradientall(uint8_t* image, int32_t ignored, int32_t width, int32_t height,
                                int32_t stride, int32_t redA, int32_t greenA, int32_t blueA, int32_t redB,
                                int32_t greenB, int32_t blueB, int32_t redC, int32_t greenC, int32_t blueC);
QRIX_API int32_t dllgradientver(uint8_t* image, int32_t ignored, int32_t width, int32_t height,
                                int32_t stride, int32_t redA, int32_t greenA, int32_t blueA, int32_t redB,
                                int32_t greenB, int32_t blueB, int32_t redC, int32_t greenC, int32_t blueC,
                                int32_t mirrorFlag);
QRIX_API int32_t dllmiximage(const uint8_t* picture, uint8_t* image, int32_t size, int32_t ignored1,
                             int32_t ignored2, int32_t ignored3, int32_t keyRed, int32_t keyGreen,
                             int32_t keyBlue, int32_t tolerance, int32_t percent);
QRIX_API int32_t dllmixborder(const uint8_t* framePicture, uint8_t* image, int32_t ignored, int32_t width,
                              int32_t height, int32_t stride, int32_t borderDepth);
QRIX_API int32_t dllframeimage(const uint8_t* source, uint8_t* destination, int32_t size, int32_t keyRed,
                               int32_t keyGreen, int32_t keyBlue, int32_t tolerance);
QRIX_API int32_t dllframecolor(uint8_t* image, int32_t ignored, int32_t width, int32_t height, int32_t stride,
                               int32_t bottomRows, int32_t topRows, int32_t leftColumns, int32_t rightColumns,
                               int32_t red, int32_t green, int32_t blue);
QRIX_API int32_t dllframenoise(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                               int32_t red, int32_t green, int32_t blue, int32_t densityPercent,
                               int32_t depth);
QRIX_API int32_t dllframebright(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                                int32_t outerAmount, int32_t innerAmount, int32_t depth);
QRIX_API int32_t dllframemix(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                             int32_t outerRed, int32_t outerGreen, int32_t outerBlue, int32_t innerRed,
                             int32_t innerGreen, int32_t innerBlue, int32_t depth);
QRIX_API int32_t dllframecontrast(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                                  int32_t outerFactor, int32_t innerFactor, int32_t depth);
QRIX_API int32_t dllframeexposal(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                                 int32_t outerLevel, int32_t innerLevel, int32_t depth);
QRIX_API int32_t dllbeveler(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                            int32_t leftAmount, int32_t rightAmount, int32_t bottomAmount, int32_t topAmount,
                            int32_t depth);
QRIX_API int32_t DllSetBkColor(uint8_t* image, int32_t size, int32_t red, int32_t green, int32_t blue);

// Text masks: a triple whose three bytes are 0 is black and belongs to no letter. Flat walk; mask
// and picture, destination and source may be the same buffer but must not otherwise overlap.
// DllMixWord gives each letter byte percent % of the mask and the rest of the picture.
// DllSetBlack zeroes byteCount bytes (nothing when byteCount <= 0).
QRIX_API int32_t DllSetBlack(uint8_t* buffer, int32_t byteCount);
QRIX_API int32_t DllFillImage(uint8_t* mask, const uint8_t* picture, int32_t size);
QRIX_API int32_t DllUnShowBlack(uint8_t* destination, const uint8_t* source, int32_t size);
QRIX_API int32_t DllMixWord(uint8_t* mask, const uint8_t* picture, int32_t size, int32_t percent);

// Threads that share one call's work, the caller included; 0 or less restores the default
// (QRIX_THREADS, else every online processor). Work below minimumBandBytes per thread stays on
// fewer threads; 0 or less restores the default. Returns the thread count now in effect.
QRIX_API int32_t dllsetthreads(int32_t count, int32_t minimumBandBytes);

// Exports kept for callers that bind them; they ignore their arguments and return 1.
QRIX_API int32_t dllcomparesamelen(int32_t a, int32_t b, int32_t c);
QRIX_API int32_t dlltestarr(int32_t a, int32_t b, int32_t c);
QRIX_API int32_t dllownfilter(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e);
QRIX_API int32_t dllinsertsolid(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f, int32_t g,
                                int32_t h, int32_t i, int32_t j, int32_t k);
QRIX_API int32_t dllspotlight(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f, int32_t g,
                              int32_t h, int32_t i, int32_t j, int32_t k);
QRIX_API int32_t dllhistogram(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f);

#ifdef __cplusplus
}
#endif
