// Plain versions of the blending, gradient, frame and letter-mask routines, one pixel at a
// time as first written, kept to check the library's fast paths against. Same signatures as
// the exports.
#include "blendReference.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "ReferenceSupport.h"

namespace reference {

namespace {

inline uint8_t lowByte(int32_t v) { return static_cast<uint8_t>(v & 0xff); }

// Offset of pixel (row in memory order, column).
inline int64_t pixelOffset(int32_t row, int32_t column, int32_t stride) {
  return static_cast<int64_t>(row) * stride + 3 * static_cast<int64_t>(column);
}

// Key test of the blending functions: true when the triple differs from the key colour.
inline bool differsFromKey(const uint8_t* p, int32_t keyRed, int32_t keyGreen, int32_t keyBlue,
                           int32_t tolerance) {
  const int32_t limit = tolerance + 1;
  return std::abs(p[0] - keyBlue) >= limit || std::abs(p[1] - keyGreen) >= limit ||
         std::abs(p[2] - keyRed) >= limit;
}

enum class Side { Top, Bottom, Left, Right };

// Ramps over columns (flag non-zero, double step) or rows (flag 0, integer step); the value is advanced
// before each column or row is painted.
template <class ByteFn>
void rampFill(uint8_t* image, int32_t width, int32_t height, int32_t stride, int32_t directionFlag,
              int32_t start, int32_t end, ByteFn&& newByte) {
  if (width <= 0 || height <= 0) return;
  const int32_t lo = start < end ? start : end;
  const int32_t hi = start < end ? end : start;
  const bool down = start > end;
  double v = lo;
  if (directionFlag != 0) {
    const double step = static_cast<double>(hi - lo) / width;
    for (int32_t c = 0; c < width; ++c) {
      v = down ? v - step : v + step;
      for (int32_t r = 0; r < height; ++r) {
        uint8_t* p = image + pixelOffset(r, c, stride);
        for (int i = 0; i < 3; ++i) p[i] = static_cast<uint8_t>(clampByte(newByte(v, p[i])));
      }
    }
  } else {
    const int32_t step = (hi - lo) / height;
    for (int32_t r = 0; r < height; ++r) {
      v = down ? v - step : v + step;
      uint8_t* p = image + pixelOffset(r, 0, stride);
      for (int32_t i = 0; i < width * 3; ++i) p[i] = static_cast<uint8_t>(clampByte(newByte(v, p[i])));
    }
  }
}

struct Colour {
  int32_t red, green, blue;
};

// Pixel p painted with the three-colour mix for t: colour A weighs t, B t (1 - t) and C (1 - t)^2,
// each byte the low byte of the truncated sum.
void paintMix(uint8_t* p, double t, const Colour& a, const Colour& b, const Colour& c) {
  const int32_t first[3] = {a.blue, a.green, a.red}, second[3] = {b.blue, b.green, b.red},
                third[3] = {c.blue, c.green, c.red};
  for (int i = 0; i < 3; ++i) {
    const double sum = first[i] * t + second[i] * (t * (1.0 - t)) + third[i] * ((1.0 - t) * (1.0 - t));
    p[i] = static_cast<uint8_t>(truncToInt(sum));
  }
}

// The t of each of `count` lines, written out first: 1 for line 0, then 1/count less per line; with
// the mirror flag 2/count less per line up to the middle line (count / 2) and as much more from there.
std::vector<double> lineParameters(int32_t count, int32_t mirrorFlag) {
  if (count <= 0) return {};
  std::vector<double> t(static_cast<size_t>(count));
  const double step = mirrorFlag == 0 ? 1.0 / count : 1.0 / (count * 0.5);
  const size_t middle = mirrorFlag == 0 ? t.size() : static_cast<size_t>(count / 2);
  for (size_t i = 0; i < t.size(); ++i) {
    if (i == 0) {
      t[i] = 1.0;
    } else {
      t[i] = i <= middle ? t[i - 1] - step : t[i - 1] + step;
    }
  }
  return t;
}

}  // namespace

int32_t DllSetBkColor(uint8_t* image, int32_t size, int32_t red, int32_t green, int32_t blue) {
  for (int64_t i = 0; i < static_cast<int64_t>(size) - 2; i += 3) {
    image[i + 2] = lowByte(red);
    image[i + 1] = lowByte(green);
    image[i] = lowByte(blue);
  }
  return 1;
}

int32_t dllmixcolor(uint8_t* image, int32_t size, int32_t percent, int32_t red, int32_t green, int32_t blue) {
  const double x = percent * 0.01;
  const double keep = 1.0 - x;
  for (int64_t i = 0; i < static_cast<int64_t>(size) - 2; i += 3) {
    uint8_t* p = image + i;
    p[2] = lowByte(truncToInt(p[2] * keep + red * x));
    p[1] = lowByte(truncToInt(p[1] * keep + green * x));
    p[0] = lowByte(truncToInt(p[0] * keep + blue * x));
  }
  return 1;
}

int32_t dllmiximage(const uint8_t* picture, uint8_t* image, int32_t size, int32_t, int32_t, int32_t,
                    int32_t keyRed, int32_t keyGreen, int32_t keyBlue, int32_t tolerance, int32_t percent) {
  const double h = percent * 0.01;
  const bool keyed = keyRed >= 0;
  for (int64_t i = 0; i < static_cast<int64_t>(size) - 2; i += 3) {
    const uint8_t* pic = picture + i;
    if (keyed && !differsFromKey(pic, keyRed, keyGreen, keyBlue, tolerance)) continue;
    uint8_t* p = image + i;
    for (int c = 0; c < 3; ++c) p[c] = lowByte(truncToInt((1.0 - h) * p[c] + h * pic[c]));
  }
  return 1;
}

int32_t dllframeimage(const uint8_t* source, uint8_t* destination, int32_t size, int32_t keyRed,
                      int32_t keyGreen, int32_t keyBlue, int32_t tolerance) {
  for (int64_t i = 0; i < static_cast<int64_t>(size) - 2; i += 3) {
    const uint8_t* s = source + i;
    if (!differsFromKey(s, keyRed, keyGreen, keyBlue, tolerance)) continue;
    destination[i] = s[0];
    destination[i + 1] = s[1];
    destination[i + 2] = s[2];
  }
  return 1;
}

int32_t dllmixborder(const uint8_t* framePicture, uint8_t* image, int32_t, int32_t width, int32_t height,
                     int32_t stride, int32_t borderDepth) {
  const int32_t n = borderDepth;
  // A border deeper than the picture would reach outside the buffer.
  if (n <= 0 || n > width || n > height) return 1;
  const double step = 1.0 / n;
  auto blend = [&](int32_t row, int32_t column, double w) {
    const int64_t o = pixelOffset(row, column, stride);
    for (int c = 0; c < 3; ++c)
      image[o + c] = lowByte(truncToInt(framePicture[o + c] * w + image[o + c] * (1.0 - w)));
  };
  double w = 0.0;
  for (int32_t k = 0; k < n; ++k, w += step)
    for (int32_t c = n - k; c <= width - n + k - 1; ++c) blend(height - n + k, c, w);
  w = 1.0;
  for (int32_t k = 0; k < n; ++k, w -= step)
    for (int32_t c = k; c <= width - k - 1; ++c) blend(k, c, w);
  w = 1.0;
  for (int32_t k = 0; k < n; ++k, w -= step)
    for (int32_t r = k; r <= height - k - 1; ++r) blend(r, k, w);
  w = 0.0;
  for (int32_t k = 0; k < n; ++k, w += step)
    for (int32_t r = n - k; r <= height - n + k; ++r) blend(r, width - n + k, w);
  return 1;
}

int32_t dllgradientbright(uint8_t* image, int32_t width, int32_t height, int32_t stride,
                          int32_t directionFlag, int32_t start, int32_t end) {
  rampFill(image, width, height, stride, directionFlag, start, end,
           [](double v, int32_t x) { return truncToInt(v + x); });
  return 1;
}

int32_t dllgradientcontrast(uint8_t* image, int32_t width, int32_t height, int32_t stride,
                            int32_t directionFlag, int32_t start, int32_t end) {
  rampFill(image, width, height, stride, directionFlag, start, end,
           [](double v, int32_t x) { return truncToInt(v * (x - 128) * 0.0078125 + 128); });
  return 1;
}

int32_t dllgradientexposal(uint8_t* image, int32_t width, int32_t height, int32_t stride,
                           int32_t directionFlag, int32_t start, int32_t end) {
  rampFill(image, width, height, stride, directionFlag, start, end,
           [](double v, int32_t x) { return x >= 128 ? x : truncToInt(v - x); });
  return 1;
}

int32_t dllgradientrgb(uint8_t* image, int32_t width, int32_t height, int32_t stride, int32_t directionFlag,
                       int32_t redStart, int32_t redEnd, int32_t greenStart, int32_t greenEnd,
                       int32_t blueStart, int32_t blueEnd) {
  // Column (or row) L adds L + 1 steps of each channel; a step is the channel's span over the
  // count of columns (or rows), an integer quotient, negative when the channel falls.
  const int64_t count = directionFlag != 0 ? width : height;
  if (count <= 0) return 1;
  auto step = [count](int64_t start, int64_t end) {
    const int64_t magnitude = (start > end ? start - end : end - start) / count;
    return start > end ? -magnitude : magnitude;
  };
  const int64_t steps[3] = {step(blueStart, blueEnd), step(greenStart, greenEnd), step(redStart, redEnd)};
  for (int32_t row = 0; row < height; ++row) {
    for (int32_t column = 0; column < width; ++column) {
      const int64_t line = directionFlag != 0 ? column : row;
      uint8_t* p = image + pixelOffset(row, column, stride);
      for (int c = 0; c < 3; ++c)
        p[c] = static_cast<uint8_t>(std::clamp<int64_t>(p[c] + (line + 1) * steps[c], 0, 255));
    }
  }
  return 1;
}

int32_t dllgradienthor(uint8_t* image, int32_t, int32_t width, int32_t height, int32_t stride, int32_t redA,
                       int32_t greenA, int32_t blueA, int32_t redB, int32_t greenB, int32_t blueB,
                       int32_t redC, int32_t greenC, int32_t blueC, int32_t mirrorFlag) {
  const std::vector<double> t = lineParameters(width, mirrorFlag);
  for (int32_t row = 0; row < height; ++row) {
    for (int32_t column = 0; column < width; ++column) {
      paintMix(image + pixelOffset(row, column, stride), t[column], {redA, greenA, blueA},
               {redB, greenB, blueB}, {redC, greenC, blueC});
    }
  }
  return 1;
}

int32_t dllgradientver(uint8_t* image, int32_t, int32_t width, int32_t height, int32_t stride, int32_t redA,
                       int32_t greenA, int32_t blueA, int32_t redB, int32_t greenB, int32_t blueB,
                       int32_t redC, int32_t greenC, int32_t blueC, int32_t mirrorFlag) {
  const std::vector<double> t = lineParameters(height, mirrorFlag);
  for (int32_t row = 0; row < height; ++row) {
    for (int32_t column = 0; column < width; ++column) {
      paintMix(image + pixelOffset(row, column, stride), t[row], {redA, greenA, blueA}, {redB, greenB, blueB},
               {redC, greenC, blueC});
    }
  }
  return 1;
}

int32_t dllgradientall(uint8_t* image, int32_t, int32_t width, int32_t height, int32_t stride, int32_t redA,
                       int32_t greenA, int32_t blueA, int32_t redB, int32_t greenB, int32_t blueB,
                       int32_t redC, int32_t greenC, int32_t blueC) {
  if (width <= 0 || height <= 0) return 1;
  const Colour a{redA, greenA, blueA}, b{redB, greenB, blueB}, c{redC, greenC, blueC};
  const double step = 1.0 / (static_cast<double>(width) * height);
  double t = 1.0;
  for (int32_t r = 0; r < height; ++r)
    for (int32_t col = 0; col < width; ++col) {
      paintMix(image + pixelOffset(r, col, stride), t, a, b, c);
      t -= step;
    }
  return 1;
}

int32_t dllframecolor(uint8_t* image, int32_t, int32_t width, int32_t height, int32_t stride,
                      int32_t bottomRows, int32_t topRows, int32_t leftColumns, int32_t rightColumns,
                      int32_t red, int32_t green, int32_t blue) {
  // A pixel is painted when any of the four strips holds it.
  for (int64_t row = 0; row < height; ++row) {
    for (int64_t column = 0; column < width; ++column) {
      if (row < bottomRows || row >= height - int64_t{topRows} || column < leftColumns ||
          column >= width - int64_t{rightColumns}) {
        uint8_t* p = image + row * stride + 3 * column;
        p[0] = static_cast<uint8_t>(blue), p[1] = static_cast<uint8_t>(green),
        p[2] = static_cast<uint8_t>(red);
      }
    }
  }
  return 1;
}

namespace {

// The frames below are worked out pixel by pixel rather than by walking the bands: each pixel of the
// picture finds the band and step that cover it, if any, from the band model's four rules (step k
// of the bottom band is row k over columns k .. width-1-k; of the left band column k over rows
// k+1 .. height-1-k; of the top band row height-1-k over columns k+1 .. width-1-k, unless the bottom
// band has it; of the right band column width-1-k over rows k+1 .. height-2-k, unless the left band
// has it). Each pixel is painted at most once, so the order of painting does not matter.
struct Cover {
  Side side;
  int32_t step;
};

bool coverOf(int32_t row, int32_t column, int32_t width, int32_t height, int32_t depth, Cover& cover) {
  if (row < depth && column >= row && column <= width - 1 - row) {
    cover = {Side::Bottom, row};
    return true;
  }
  if (column < depth && row >= column + 1 && row <= height - 1 - column) {
    cover = {Side::Left, column};
    return true;
  }
  const int32_t fromTop = height - 1 - row, fromRight = width - 1 - column;
  if (fromTop < depth && column >= fromTop + 1 && column <= width - 1 - fromTop) {
    cover = {Side::Top, fromTop};
    return true;
  }
  if (fromRight < depth && row >= fromRight + 1 && row <= height - 2 - fromRight) {
    cover = {Side::Right, fromRight};
    return true;
  }
  return false;
}

// The value of every step: the outer value, then the step added once per step inward, in doubles.
std::vector<double> stepValues(double outer, double perStep, int32_t depth) {
  std::vector<double> values(depth > 0 ? static_cast<size_t>(depth) : 0);
  for (size_t k = 0; k < values.size(); ++k) values[k] = k == 0 ? outer : values[k - 1] + perStep;
  return values;
}

// Calls paint(pixel, cover) for every covered pixel strictly inside the buffer's first size - 2 bytes.
template <class Paint>
void eachFramePixel(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                    int32_t depth, Paint&& paint) {
  for (int32_t row = 0; row < height; ++row) {
    for (int32_t column = 0; column < width; ++column) {
      Cover cover;
      if (!coverOf(row, column, width, height, depth, cover)) continue;
      const int64_t offset = int64_t{row} * stride + 3 * int64_t{column};
      if (offset <= 0 || offset >= int64_t{size} - 2) continue;
      paint(image + offset, cover);
    }
  }
}

uint8_t clampToByte(double v) { return static_cast<uint8_t>(v <= 0 ? 0 : (v >= 255 ? 255 : v)); }

}  // namespace

// The noise frame draws one random step for every frame pixel, painted or not, in the order of the
// frame's walk: the whole top band, then the bottom, the left and the right band; within a band its
// steps from k = 0 (the outermost) inward; within a step its pixels by ascending column (top and
// bottom bands, which run along rows) or ascending row (left and right bands). Rather than walking
// the bands, every pixel of the picture is placed by the band model's rules (coverOf) and the pixels
// are then put in that order. A pixel of step k is painted when its draw is below densityPercent
// times a weight falling from 1 by 1 / depth per step, and it lies inside the guard.
int32_t dllframenoise(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                      int32_t red, int32_t green, int32_t blue, int32_t densityPercent, int32_t depth) {
  seedRandom(static_cast<uint32_t>(std::time(nullptr)));
  struct Visit {
    int32_t band, step, along;
    int64_t offset;
  };
  std::vector<Visit> visits;
  for (int32_t row = 0; row < height; ++row) {
    for (int32_t column = 0; column < width; ++column) {
      Cover cover;
      if (!coverOf(row, column, width, height, depth, cover)) continue;
      int32_t band = 3;
      if (cover.side == Side::Top) band = 0;
      if (cover.side == Side::Bottom) band = 1;
      if (cover.side == Side::Left) band = 2;
      const bool alongRow = cover.side == Side::Top || cover.side == Side::Bottom;
      visits.push_back(
          {band, cover.step, alongRow ? column : row, int64_t{row} * stride + 3 * int64_t{column}});
    }
  }
  std::sort(visits.begin(), visits.end(), [](const Visit& x, const Visit& y) {
    if (x.band != y.band) return x.band < y.band;
    if (x.step != y.step) return x.step < y.step;
    return x.along < y.along;
  });
  const auto weight = stepValues(1.0, -1.0 / depth, depth);
  for (const Visit& v : visits) {
    const int32_t draw = randomStep(100);
    if (!(draw < densityPercent * weight[v.step])) continue;
    if (v.offset <= 0 || v.offset >= int64_t{size} - 2) continue;
    image[v.offset] = lowByte(blue);
    image[v.offset + 1] = lowByte(green);
    image[v.offset + 2] = lowByte(red);
  }
  return 1;
}

int32_t dllframebright(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                       int32_t outerAmount, int32_t innerAmount, int32_t depth) {
  const auto amount = stepValues(
      outerAmount, static_cast<double>(std::abs(int64_t{innerAmount} - outerAmount)) / depth, depth);
  eachFramePixel(image, size, width, height, stride, depth, [&](uint8_t* p, Cover at) {
    for (int c = 0; c < 3; ++c) p[c] = clampToByte(std::trunc(amount[at.step] + p[c]));
  });
  return 1;
}

int32_t dllframecontrast(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                         int32_t outerFactor, int32_t innerFactor, int32_t depth) {
  const auto factor =
      stepValues(outerFactor, static_cast<double>(int64_t{innerFactor} - outerFactor) / depth, depth);
  eachFramePixel(image, size, width, height, stride, depth, [&](uint8_t* p, Cover at) {
    for (int c = 0; c < 3; ++c) p[c] = clampToByte(std::trunc(factor[at.step] * (p[c] - 128) / 128.0 + 128));
  });
  return 1;
}

int32_t dllframeexposal(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                        int32_t outerLevel, int32_t innerLevel, int32_t depth) {
  const auto level =
      stepValues(outerLevel, static_cast<double>(int64_t{innerLevel} - outerLevel) / depth, depth);
  eachFramePixel(image, size, width, height, stride, depth, [&](uint8_t* p, Cover at) {
    for (int c = 0; c < 3; ++c) {
      if (p[c] < 128) p[c] = lowByte(truncToInt(std::max(0.0, level[at.step] - p[c])));
    }
  });
  return 1;
}

int32_t dllframemix(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                    int32_t outerRed, int32_t outerGreen, int32_t outerBlue, int32_t innerRed,
                    int32_t innerGreen, int32_t innerBlue, int32_t depth) {
  const auto outer = stepValues(1.0, -1.0 / depth, depth);
  eachFramePixel(image, size, width, height, stride, depth, [&](uint8_t* p, Cover at) {
    const double w = outer[at.step];
    const int32_t outerColour[3] = {outerBlue, outerGreen, outerRed},
                  innerColour[3] = {innerBlue, innerGreen, innerRed};
    for (int c = 0; c < 3; ++c) p[c] = lowByte(truncToInt(w * outerColour[c] + (1.0 - w) * innerColour[c]));
  });
  return 1;
}

int32_t dllbeveler(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                   int32_t leftAmount, int32_t rightAmount, int32_t bottomAmount, int32_t topAmount,
                   int32_t depth) {
  eachFramePixel(image, size, width, height, stride, depth, [&](uint8_t* p, Cover at) {
    int64_t amount = rightAmount;
    if (at.side == Side::Top) amount = topAmount;
    if (at.side == Side::Bottom) amount = bottomAmount;
    if (at.side == Side::Left) amount = leftAmount;
    for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(std::clamp<int64_t>(amount + p[c], 0, 255));
  });
  return 1;
}

namespace {

inline bool isBlack(const uint8_t* p) { return (p[0] | p[1] | p[2]) == 0; }

}  // namespace

int32_t DllSetBlack(uint8_t* buffer, int32_t byteCount) {
  if (byteCount > 0) std::memset(buffer, 0, static_cast<size_t>(byteCount));
  return 1;
}

int32_t DllFillImage(uint8_t* mask, const uint8_t* picture, int32_t size) {
  for (int64_t i = 0; i < static_cast<int64_t>(size) - 2; i += 3) {
    if (isBlack(mask + i)) continue;
    std::memcpy(mask + i, picture + i, 3);
  }
  return 1;
}

int32_t DllUnShowBlack(uint8_t* destination, const uint8_t* source, int32_t size) {
  for (int64_t i = 0; i < static_cast<int64_t>(size) - 2; i += 3) {
    if (isBlack(source + i)) continue;
    std::memcpy(destination + i, source + i, 3);
  }
  return 1;
}

int32_t DllMixWord(uint8_t* mask, const uint8_t* picture, int32_t size, int32_t percent) {
  const double x = percent * 0.01;
  for (int64_t i = 0; i < static_cast<int64_t>(size) - 2; i += 3) {
    uint8_t* a = mask + i;
    if (isBlack(a)) continue;
    const uint8_t* b = picture + i;
    for (int c = 0; c < 3; ++c) a[c] = static_cast<uint8_t>(truncToInt(x * a[c] + (1.0 - x) * b[c]) & 0xff);
  }
  return 1;
}

}  // namespace reference
