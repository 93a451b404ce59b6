// Blending toward a colour or a picture, gradient fills and ramps, and edge frames.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "internal.h"

namespace {

using qrix::clampByte;
using qrix::kWalkBlock;
using qrix::truncToInt;
using qrix::walkTriples;

inline uint8_t lowByte(int32_t v) { return static_cast<uint8_t>(v & 0xff); }

// Offset of pixel (row in memory order, column).
inline int64_t pixelOffset(int32_t row, int32_t column, int32_t stride) {
  return static_cast<int64_t>(row) * stride + 3 * static_cast<int64_t>(column);
}

// The frame functions write only pixels strictly after the buffer start and before start + size - 2.
inline bool insideGuard(int64_t offset, int32_t size) {
  return offset > 0 && offset < static_cast<int64_t>(size) - 2;
}

enum class Side { Top, Bottom, Left, Right };

// Walks the four bands of a frame `depth` pixels deep, top, bottom, left, right. Every step k of every
// band is announced through onStep(side, k), even when it covers no pixel, so callers can advance their
// per-step values incrementally; onPixel(side, k, offset) follows for each pixel of the step.
// Bottom step k is row k over columns k .. width-1-k; left step k is column k over rows k+1 .. height-1-k.
// Top step k is row height-1-k over columns k+1 .. width-1-k and right step k is column width-1-k over
// rows k+1 .. height-2-k, so the four corners are shared without overlap. In frames deeper than half
// the picture the top and right bands skip what the bottom and left bands already cover, so no pixel
// is ever visited twice, and steps that would lie outside the picture's rows or columns are empty.
template <class StepFn, class PixelFn>
void walkBands(int32_t width, int32_t height, int32_t stride, int32_t depth, StepFn&& onStep,
               PixelFn&& onPixel) {
  auto bottomCovers = [&](int32_t row, int32_t column) {
    return row < depth && column >= row && column <= width - 1 - row;
  };
  auto leftCovers = [&](int32_t row, int32_t column) {
    return column < depth && row >= column + 1 && row <= height - 1 - column;
  };
  for (int32_t k = 0; k < depth; ++k) {
    onStep(Side::Top, k);
    const int32_t row = height - 1 - k;
    for (int32_t c = k + 1; row >= 0 && c <= width - 1 - k; ++c)
      if (!bottomCovers(row, c)) onPixel(Side::Top, k, pixelOffset(row, c, stride));
  }
  for (int32_t k = 0; k < depth; ++k) {
    onStep(Side::Bottom, k);
    for (int32_t c = k; k < height && c <= width - 1 - k; ++c)
      onPixel(Side::Bottom, k, pixelOffset(k, c, stride));
  }
  for (int32_t k = 0; k < depth; ++k) {
    onStep(Side::Left, k);
    for (int32_t r = k + 1; k < width && r <= height - 1 - k; ++r)
      onPixel(Side::Left, k, pixelOffset(r, k, stride));
  }
  for (int32_t k = 0; k < depth; ++k) {
    onStep(Side::Right, k);
    const int32_t column = width - 1 - k;
    for (int32_t r = k + 1; column >= 0 && r <= height - 2 - k; ++r)
      if (!leftCovers(r, column)) onPixel(Side::Right, k, pixelOffset(r, column, stride));
  }
}

// A value that starts at `start` on step 0 of each band and grows by `delta` per step.
struct StepValue {
  double start;
  double delta;
  double value = 0.0;
  void onStep(int32_t k) { value = k == 0 ? start : value + delta; }
};

// Frames whose painted bytes depend only on the step's value and the old byte: each step's 256 results
// are computed when its value changes and looked up.
template <class ByteFn>
void paintFrame(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride, int32_t depth,
                StepValue step, ByteFn&& newByte) {
  uint8_t table[256];
  bool tableSet = false;
  double tableValue = 0.0;
  walkBands(
      width, height, stride, depth,
      [&](Side, int32_t k) {
        step.onStep(k);
        // NaN never equals itself, so such a value is recomputed every step, as the plain loop would.
        if (tableSet && step.value == tableValue) return;
        for (int32_t x = 0; x < 256; ++x) table[x] = newByte(step.value, static_cast<uint8_t>(x));
        tableSet = true;
        tableValue = step.value;
      },
      [&](Side, int32_t, int64_t offset) {
        if (!insideGuard(offset, size)) return;
        uint8_t* p = image + offset;
        p[0] = table[p[0]];
        p[1] = table[p[1]];
        p[2] = table[p[2]];
      });
}

// Ramps over columns (flag non-zero, double step) or rows (flag 0, integer step); the value is advanced
// before each column or row is painted. A byte's result depends only on the line's value and the byte,
// so each line's 256 results are computed once and looked up.
template <class ByteFn>
void rampFill(uint8_t* image, int32_t width, int32_t height, int32_t stride, int32_t directionFlag,
              int32_t start, int32_t end, ByteFn&& newByte) {
  if (width <= 0 || height <= 0) return;
  const int32_t lo = start < end ? start : end;
  const int32_t hi = start < end ? end : start;
  const bool down = start > end;
  auto tableFor = [&](double v, uint8_t* table) {
    for (int32_t x = 0; x < 256; ++x) table[x] = static_cast<uint8_t>(clampByte(newByte(v, x)));
  };
  double v = lo;
  if (directionFlag != 0) {
    const double step = static_cast<double>(hi - lo) / width;
    std::vector<uint8_t> tables(static_cast<size_t>(width) * 256);
    for (int32_t c = 0; c < width; ++c) {
      v = down ? v - step : v + step;
      tableFor(v, tables.data() + 256 * static_cast<size_t>(c));
    }
    qrix::rowBands(0, height, 3 * int64_t{width}, [&](int64_t r0, int64_t r1) {
      for (int64_t r = r0; r < r1; ++r) {
        uint8_t* p = image + pixelOffset(static_cast<int32_t>(r), 0, stride);
        const uint8_t* t = tables.data();
        for (int32_t c = 0; c < width; ++c, p += 3, t += 256) {
          p[0] = t[p[0]];
          p[1] = t[p[1]];
          p[2] = t[p[2]];
        }
      }
    });
  } else {
    const int32_t step = (hi - lo) / height;
    // The value of row r is lo +- (r + 1) * step: whole numbers far inside a double's exact range, so
    // a band may start from its own first row and reach the bits the running sum reaches.
    qrix::rowBands(0, height, 3 * int64_t{width}, [&](int64_t r0, int64_t r1) {
      uint8_t table[3][256];
      double tableValue = 0.0;
      for (int64_t r = r0; r < r1; ++r) {
        const double rowValue = down ? lo - static_cast<double>(step) * static_cast<double>(r + 1)
                                     : lo + static_cast<double>(step) * static_cast<double>(r + 1);
        if (r == r0 || rowValue != tableValue) {
          tableFor(rowValue, table[0]);
          std::memcpy(table[1], table[0], 256);
          std::memcpy(table[2], table[0], 256);
          tableValue = rowValue;
        }
        qrix::mapChannelTablesHere(image + pixelOffset(static_cast<int32_t>(r), 0, stride), 3 * width, table);
      }
    });
  }
}

struct Colour {
  int32_t red, green, blue;
};

// Three-colour mix for parameter t: A weighs t, B t(1 - t), C (1 - t)^2. Stores low bytes.
inline void mixThree(uint8_t* p, double t, const Colour& a, const Colour& b, const Colour& c) {
  const double wa = t;
  const double wb = t * (1.0 - t);
  const double wc = (1.0 - t) * (1.0 - t);
  p[2] = lowByte(truncToInt(a.red * wa + b.red * wb + c.red * wc));
  p[1] = lowByte(truncToInt(a.green * wa + b.green * wb + c.green * wc));
  p[0] = lowByte(truncToInt(a.blue * wa + b.blue * wb + c.blue * wc));
}

// Parameter t for each of `count` lines: from 1 down by 1/count, or with the mirror flag down by
// 2/count over the first half and back up over the rest. Calls line(index, t).
template <class LineFn>
void threeColourLines(int32_t count, int32_t mirrorFlag, LineFn&& line) {
  if (count <= 0) return;
  double t = 1.0;
  if (mirrorFlag == 0) {
    const double step = 1.0 / count;
    for (int32_t i = 0; i < count; ++i) {
      line(i, t);
      t -= step;
    }
    return;
  }
  const int32_t half = count / 2;
  const double step = 1.0 / (count * 0.5);
  for (int32_t i = 0; i < half; ++i) {
    line(i, t);
    t -= step;
  }
  for (int32_t i = half; i < count; ++i) {
    line(i, t);
    t += step;
  }
}

// Fills `count` triples with one colour from a block of the colour repeated, so the picture is only
// written, never read back.
void fillTriples(uint8_t* p, int64_t count, const uint8_t* colour) {
  uint8_t block[kWalkBlock];
  for (int j = 0; j < kWalkBlock; j += 3) std::memcpy(block + j, colour, 3);
  const int64_t n = 3 * count;
  int64_t i = 0;
  for (; i + kWalkBlock <= n; i += kWalkBlock) std::memcpy(p + i, block, kWalkBlock);
  if (i < n) std::memcpy(p + i, block, static_cast<size_t>(n - i));
}

// Fills every column (byColumn) or every row, in memory order, with the three-colour mix of its t.
// Columns give every row the same run of colours, so the run is mixed once and copied.
void threeColourFill(uint8_t* image, int32_t width, int32_t height, int32_t stride, bool byColumn,
                     const Colour& a, const Colour& b, const Colour& c, int32_t mirrorFlag) {
  if (width <= 0 || height <= 0) return;
  if (byColumn) {
    std::vector<uint8_t> run(3 * static_cast<size_t>(width));
    threeColourLines(width, mirrorFlag,
                     [&](int32_t line, double t) { mixThree(run.data() + 3 * line, t, a, b, c); });
    for (int32_t r = 0; r < height; ++r)
      std::memcpy(image + pixelOffset(r, 0, stride), run.data(), run.size());
  } else {
    threeColourLines(height, mirrorFlag, [&](int32_t line, double t) {
      uint8_t colour[3];
      mixThree(colour, t, a, b, c);
      fillTriples(image + pixelOffset(line, 0, stride), width, colour);
    });
  }
}

// The values t, t - step, (t - step) - step, ..., each subtraction rounded as written. A double t in
// [2^(e-1), 2^e) is a multiple of u = 2^(e-53); while t - step stays in that range it rounds to t - D u, D
// being step / u rounded to nearest (unless that is a tie, which would depend on t). So a run inside one
// range is t - i D u, each term exact, and needs no chain of subtractions; the values where the range changes
// are taken one by one.
struct FallingSequence {
  double t;
  double step;
  double low = 0.0;  // bottom of t's range once known; its run step du, or 0 where none
  double du = 0.0;

  // Writes the next m values.
  [[gnu::always_inline]] void next(double* out, int m) {
    int j = 0;
    while (j < m) {
      if (!(t >= low && low > 0)) findRange();
      if (du > 0) {
        // Terms stay at least two steps above the range's bottom; the margin covers rounding here.
        const double fit = (t - low - 2 * step) / du - 2;
        const int run = fit < m - j ? static_cast<int>(fit) : m - j;
        if (run > 0) {
          for (int i = 0; i < run; ++i) out[j + i] = t - static_cast<double>(i) * du;
          t -= static_cast<double>(run) * du;
          j += run;
          continue;
        }
      }
      out[j++] = t;
      t -= step;
    }
  }

  void findRange() {
    low = du = 0.0;
    int e = 0;
    if (!(t > 0 && step > 0 && std::isfinite(t))) return;
    std::frexp(t, &e);
    if (e - 53 <= -1022) return;
    const double u = std::ldexp(1.0, e - 53);
    const double q = step / u;
    const double d = std::nearbyint(q);
    low = std::ldexp(1.0, e - 1);
    if (d >= 1 && q - std::floor(q) != 0.5) du = d * u;
  }
};

// Whole-picture three-colour mix, t falling by `step` per pixel in memory order from `t`. The t
// values are taken in turn (each depends on the last); the mixes of a block are then independent.
// With every colour within 2^28 each sum stays inside 32 bits, where a 32-bit truncation gives the
// same value as the 64-bit one and vectorises.
QRIX_WIDE_TEMPLATE(template <bool kNarrow>, <kNarrow>, void, threeColourRows,
                   (uint8_t * image, int32_t width, int32_t height, int32_t stride, double t, double step,
                    Colour a, Colour b, Colour c),
                   (image, width, height, stride, t, step, a, b, c)) {
  constexpr int kBlock = 64;
  alignas(64) double tb[kBlock];
  FallingSequence falling{t, step};
  const double ra = a.red, ga = a.green, ba = a.blue, rb = b.red, gb = b.green, bb = b.blue, rc = c.red,
               gc = c.green, bc = c.blue;
  auto toInt = [](double v) { return kNarrow ? static_cast<int32_t>(v) : truncToInt(v); };
  for (int32_t r = 0; r < height; ++r) {
    uint8_t* row = image + pixelOffset(r, 0, stride);
    for (int32_t k = 0; k < width; k += kBlock) {
      const int m = std::min(kBlock, width - k);
      falling.next(tb, m);
      uint8_t* p = row + 3 * static_cast<ptrdiff_t>(k);
      for (int j = 0; j < m; ++j) {
        const double wa = tb[j];
        const double wb = tb[j] * (1.0 - tb[j]);
        const double wc = (1.0 - tb[j]) * (1.0 - tb[j]);
        p[3 * j + 2] = lowByte(toInt(ra * wa + rb * wb + rc * wc));
        p[3 * j + 1] = lowByte(toInt(ga * wa + gb * wb + gc * wc));
        p[3 * j] = lowByte(toInt(ba * wa + bb * wb + bc * wc));
      }
    }
  }
}

// Key test of the blending functions. Per channel, the bytes v with |v - key| < tolerance + 1 form
// a run lo .. hi of 0 .. 255, found from the plain test; a triple differs from the key colour when
// any of its bytes lies outside its channel's run, that is (v - lo) mod 256 > hi - lo.
struct KeyTest {
  qrix::ChannelPattern<uint8_t> low{0, 0, 0}, span{0, 0, 0};
  bool anyEmpty = false;  // a channel with no near value: every triple differs
  qrix::AnyOfTriple any;
  const uint8_t* picture;

  KeyTest(int32_t keyRed, int32_t keyGreen, int32_t keyBlue, int32_t tolerance, const uint8_t* p)
      : picture(p) {
    // 64-bit distances: keys near the ends of the int range must not overflow.
    const int64_t limit = static_cast<int32_t>(static_cast<uint32_t>(tolerance) + 1u);
    const int64_t key[3] = {keyBlue, keyGreen, keyRed};
    uint8_t lo[3] = {0, 0, 0}, width[3] = {0, 0, 0};
    for (int c = 0; c < 3; ++c) {
      int32_t first = -1, last = -1;
      for (int32_t v = 0; v < 256; ++v) {
        const int64_t distance = v > key[c] ? v - key[c] : key[c] - v;
        if (distance >= limit) continue;
        if (first < 0) first = v;
        last = v;
      }
      if (first < 0) anyEmpty = true;
      lo[c] = static_cast<uint8_t>(first < 0 ? 0 : first);
      width[c] = static_cast<uint8_t>(first < 0 ? 0 : last - first);
    }
    low = qrix::ChannelPattern<uint8_t>(lo[0], lo[1], lo[2]);
    span = qrix::ChannelPattern<uint8_t>(width[0], width[1], width[2]);
  }

  [[gnu::always_inline]] void operator()(ptrdiff_t i, int m, uint8_t* chosen) const {
    if (anyEmpty) {
      for (int j = 0; j < m; ++j) chosen[j] = 0xff;
      return;
    }
    const uint8_t* s = picture + i;
    any(m, chosen, [&](int j) {
      return static_cast<uint8_t>(static_cast<uint8_t>(s[j] - low.at[j]) > span.at[j] ? 0xff : 0);
    });
  }
};

QRIX_WIDE_TEMPLATE(template <bool kNarrow>, <kNarrow>, void, mixImageWalk,
                   (const uint8_t* picture, uint8_t* image, int32_t size, const KeyTest* key, double h),
                   (picture, image, size, key, h)) {
  if (key == nullptr) {
    qrix::blendChosen<kNarrow>(image, picture, size, 1.0 - h, h, [](ptrdiff_t, int m, uint8_t* chosen) {
      for (int j = 0; j < m; ++j) chosen[j] = 0xff;
    });
  } else {
    qrix::blendChosen<kNarrow>(image, picture, size, 1.0 - h, h, *key);
  }
}

QRIX_VECTOR_KERNEL(void, frameImageWalk,
                   (const uint8_t* source, uint8_t* destination, int32_t size, const KeyTest& key),
                   (source, destination, size, key)) {
  qrix::copyChosen(destination, source, size, key);
}

// Border blends of a run of bytes: image = low byte of trunc(frame * w + image * (1 - w)), with one
// weight for the run or one per byte (keep[i] = 1 - weight[i]).
QRIX_WIDE_KERNEL(void, blendBytes, (uint8_t * image, const uint8_t* frame, double w, int64_t count),
                 (image, frame, w, count)) {
  const double keep = 1.0 - w;
  for (int64_t i = 0; i < count; ++i) image[i] = lowByte(truncToInt(frame[i] * w + image[i] * keep));
}

QRIX_WIDE_KERNEL(void, blendBytes,
                 (uint8_t * image, const uint8_t* frame, const double* weight, const double* keep,
                  int64_t count),
                 (image, frame, weight, keep, count)) {
  for (int64_t i = 0; i < count; ++i)
    image[i] = lowByte(truncToInt(frame[i] * weight[i] + image[i] * keep[i]));
}

}  // namespace

extern "C" {

int32_t DllSetBkColor(uint8_t* image, int32_t size, int32_t red, int32_t green, int32_t blue) {
  const uint8_t colour[3] = {lowByte(blue), lowByte(green), lowByte(red)};
  qrix::flatBands(size,
                  [&](int64_t at, int32_t part) { fillTriples(image + at, walkTriples(part), colour); });
  return 1;
}

int32_t dllmixcolor(uint8_t* image, int32_t size, int32_t percent, int32_t red, int32_t green, int32_t blue) {
  const double x = percent * 0.01;
  const double keep = 1.0 - x;
  uint8_t table[3][256];
  for (int32_t v = 0; v < 256; ++v) {
    table[2][v] = lowByte(truncToInt(v * keep + red * x));
    table[1][v] = lowByte(truncToInt(v * keep + green * x));
    table[0][v] = lowByte(truncToInt(v * keep + blue * x));
  }
  qrix::mapChannelTables(image, size, table);
  return 1;
}

int32_t dllmiximage(const uint8_t* picture, uint8_t* image, int32_t size, int32_t, int32_t, int32_t,
                    int32_t keyRed, int32_t keyGreen, int32_t keyBlue, int32_t tolerance, int32_t percent) {
  const double h = percent * 0.01;
  const bool keyed = keyRed >= 0;
  const bool narrow = qrix::narrowBlend(1.0 - h, h);
  qrix::flatBands(size, [&](int64_t at, int32_t part) {
    const KeyTest key(keyRed, keyGreen, keyBlue, tolerance, picture + at);
    const KeyTest* const test = keyed ? &key : nullptr;
    if (narrow) {
      mixImageWalk<true>(picture + at, image + at, part, test, h);
    } else {
      mixImageWalk<false>(picture + at, image + at, part, test, h);
    }
  });
  return 1;
}

int32_t dllframeimage(const uint8_t* source, uint8_t* destination, int32_t size, int32_t keyRed,
                      int32_t keyGreen, int32_t keyBlue, int32_t tolerance) {
  qrix::flatBands(size, [&](int64_t at, int32_t part) {
    frameImageWalk(source + at, destination + at, part,
                   KeyTest(keyRed, keyGreen, keyBlue, tolerance, source + at));
  });
  return 1;
}

int32_t dllmixborder(const uint8_t* framePicture, uint8_t* image, int32_t, int32_t width, int32_t height,
                     int32_t stride, int32_t borderDepth) {
  const int32_t n = borderDepth;
  // A border deeper than the picture would reach outside the buffer.
  if (n <= 0 || n > width || n > height) return 1;
  const double step = 1.0 / n;
  // Bottom and top bands: one weight per row, over a run of the row's pixels.
  auto rowRun = [&](int32_t row, int32_t first, int32_t last, double w) {
    if (first > last) return;
    const int64_t o = pixelOffset(row, first, stride);
    blendBytes(image + o, framePicture + o, w, 3 * (int64_t{last} - first + 1));
  };
  double w = 0.0;
  for (int32_t k = 0; k < n; ++k, w += step) rowRun(height - n + k, n - k, width - n + k - 1, w);
  w = 1.0;
  for (int32_t k = 0; k < n; ++k, w -= step) rowRun(k, k, width - k - 1, w);
  // Left and right bands: column k of the left band weighs left[k] (1 falling by step), column
  // width - n + k of the right band right[k] (0 rising by step).
  std::vector<double> left(static_cast<size_t>(n)), right(left);
  w = 1.0;
  for (int32_t k = 0; k < n; ++k, w -= step) left[k] = w;
  w = 0.0;
  for (int32_t k = 0; k < n; ++k, w += step) right[k] = w;
  auto blend = [&](int32_t row, int32_t column, double w) {
    const int64_t o = pixelOffset(row, column, stride);
    for (int c = 0; c < 3; ++c)
      image[o + c] = lowByte(truncToInt(framePicture[o + c] * w + image[o + c] * (1.0 - w)));
  };
  // Every pixel of a column band reads only its own frame pixel, so with the frame apart from the
  // picture (or the picture itself) the bands can be taken row by row, left before right, which
  // keeps each pixel's blends in order and visits memory in order.
  const int64_t extent = (int64_t{height} - 1) * stride + 3 * int64_t{width};
  const bool apart = stride > 0 && (framePicture == image || framePicture + extent <= image ||
                                    image + extent <= framePicture);
  if (!apart) {
    for (int32_t k = 0; k < n; ++k)
      for (int32_t r = k; r <= height - k - 1; ++r) blend(r, k, left[k]);
    for (int32_t k = 0; k < n; ++k)
      for (int32_t r = n - k; r <= height - n + k; ++r) blend(r, width - n + k, right[k]);
    return 1;
  }
  // Per-byte weights and their complements.
  std::vector<double> leftWeight(3 * static_cast<size_t>(n)), leftKeep(leftWeight), rightWeight(leftWeight),
      rightKeep(leftWeight);
  for (int32_t k = 0; k < n; ++k) {
    for (int c = 0; c < 3; ++c) {
      leftWeight[3 * k + c] = left[k], leftKeep[3 * k + c] = 1.0 - left[k];
      rightWeight[3 * k + c] = right[k], rightKeep[3 * k + c] = 1.0 - right[k];
    }
  }
  for (int32_t r = 0; r < height; ++r) {
    // Left columns k <= r, height - 1 - r; right columns k >= n - r, r - (height - n).
    const int32_t leftEnd = std::min({n - 1, r, height - 1 - r});
    if (leftEnd >= 0) {
      const int64_t o = pixelOffset(r, 0, stride);
      blendBytes(image + o, framePicture + o, leftWeight.data(), leftKeep.data(), 3 * (int64_t{leftEnd} + 1));
    }
    const int32_t rightStart = std::max({0, n - r, r - (height - n)});
    if (rightStart <= n - 1) {
      const int64_t o = pixelOffset(r, width - n + rightStart, stride);
      blendBytes(image + o, framePicture + o, rightWeight.data() + 3 * rightStart,
                 rightKeep.data() + 3 * rightStart, 3 * (int64_t{n} - rightStart));
    }
  }
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
  if (width <= 0 || height <= 0) return 1;
  const int32_t count = directionFlag != 0 ? width : height;
  auto stepOf = [count](int32_t s, int32_t e) {
    const int32_t step = ((s > e ? s : e) - (s < e ? s : e)) / count;
    return s > e ? -step : step;
  };
  const int32_t red = stepOf(redStart, redEnd);
  const int32_t green = stepOf(greenStart, greenEnd);
  const int32_t blue = stepOf(blueStart, blueEnd);
  // Line k (a column with the flag set, else a row) moves by (k + 1) steps, the 32-bit sum of k + 1
  // steps; every pixel lies on one line, so rows can be done in any order.
  auto moved = [](int32_t step, int32_t line) {
    return static_cast<int32_t>(static_cast<uint32_t>(step) * static_cast<uint32_t>(line + 1));
  };
  qrix::rowBands(0, height, 3 * int64_t{width}, [&](int64_t r0, int64_t r1) {
    for (auto r = static_cast<int32_t>(r0); r < r1; ++r) {
      for (int32_t c = 0; c < width; ++c) {
        const int32_t line = directionFlag != 0 ? c : r;
        uint8_t* p = image + pixelOffset(r, c, stride);
        p[2] = static_cast<uint8_t>(clampByte(p[2] + moved(red, line)));
        p[1] = static_cast<uint8_t>(clampByte(p[1] + moved(green, line)));
        p[0] = static_cast<uint8_t>(clampByte(p[0] + moved(blue, line)));
      }
    }
  });
  return 1;
}

int32_t dllgradienthor(uint8_t* image, int32_t, int32_t width, int32_t height, int32_t stride, int32_t redA,
                       int32_t greenA, int32_t blueA, int32_t redB, int32_t greenB, int32_t blueB,
                       int32_t redC, int32_t greenC, int32_t blueC, int32_t mirrorFlag) {
  threeColourFill(image, width, height, stride, true, {redA, greenA, blueA}, {redB, greenB, blueB},
                  {redC, greenC, blueC}, mirrorFlag);
  return 1;
}

int32_t dllgradientver(uint8_t* image, int32_t, int32_t width, int32_t height, int32_t stride, int32_t redA,
                       int32_t greenA, int32_t blueA, int32_t redB, int32_t greenB, int32_t blueB,
                       int32_t redC, int32_t greenC, int32_t blueC, int32_t mirrorFlag) {
  threeColourFill(image, width, height, stride, false, {redA, greenA, blueA}, {redB, greenB, blueB},
                  {redC, greenC, blueC}, mirrorFlag);
  return 1;
}

int32_t dllgradientall(uint8_t* image, int32_t, int32_t width, int32_t height, int32_t stride, int32_t redA,
                       int32_t greenA, int32_t blueA, int32_t redB, int32_t greenB, int32_t blueB,
                       int32_t redC, int32_t greenC, int32_t blueC) {
  if (width <= 0 || height <= 0) return 1;
  const Colour a{redA, greenA, blueA}, b{redB, greenB, blueB}, c{redC, greenC, blueC};
  const double step = 1.0 / (static_cast<double>(width) * height);
  auto narrow = [](const Colour& x) {
    const int32_t m = 1 << 28;
    return x.red > -m && x.red < m && x.green > -m && x.green < m && x.blue > -m && x.blue < m;
  };
  if (narrow(a) && narrow(b) && narrow(c)) {
    threeColourRows<true>(image, width, height, stride, 1.0, step, a, b, c);
  } else {
    threeColourRows<false>(image, width, height, stride, 1.0, step, a, b, c);
  }
  return 1;
}

int32_t dllframecolor(uint8_t* image, int32_t, int32_t width, int32_t height, int32_t stride,
                      int32_t bottomRows, int32_t topRows, int32_t leftColumns, int32_t rightColumns,
                      int32_t red, int32_t green, int32_t blue) {
  if (width <= 0 || height <= 0) return 1;
  // Strips wider than the picture stop at its edge rather than run outside the buffer.
  auto limit = [](int32_t v, int32_t most) { return v > most ? most : v; };
  bottomRows = limit(bottomRows, height);
  topRows = limit(topRows, height);
  leftColumns = limit(leftColumns, width);
  rightColumns = limit(rightColumns, width);
  auto paint = [&](int32_t r, int32_t c) {
    uint8_t* p = image + pixelOffset(r, c, stride);
    p[2] = lowByte(red);
    p[1] = lowByte(green);
    p[0] = lowByte(blue);
  };
  for (int32_t r = 0; r < bottomRows; ++r)
    for (int32_t c = 0; c < width; ++c) paint(r, c);
  for (int32_t r = height - topRows; r < height; ++r)
    for (int32_t c = 0; c < width; ++c) paint(r, c);
  for (int32_t c = 0; c < leftColumns; ++c)
    for (int32_t r = 0; r < height; ++r) paint(r, c);
  for (int32_t c = width - rightColumns; c < width; ++c)
    for (int32_t r = 0; r < height; ++r) paint(r, c);
  return 1;
}

int32_t dllframenoise(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                      int32_t red, int32_t green, int32_t blue, int32_t densityPercent, int32_t depth) {
  qrix::seedRandom(static_cast<uint32_t>(std::time(nullptr)));
  qrix::RandomRun random;
  StepValue weight{1.0, -1.0 / depth};
  double p = 0.0;
  walkBands(
      width, height, stride, depth,
      [&](Side, int32_t k) {
        weight.onStep(k);
        p = densityPercent * weight.value;
      },
      [&](Side, int32_t, int64_t offset) {
        const int32_t draw = random.step(100);
        if (!insideGuard(offset, size) || !(draw < p)) return;
        uint8_t* q = image + offset;
        q[2] = lowByte(red);
        q[1] = lowByte(green);
        q[0] = lowByte(blue);
      });
  return 1;
}

int32_t dllframebright(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                       int32_t outerAmount, int32_t innerAmount, int32_t depth) {
  const double delta = static_cast<double>(std::abs(innerAmount - outerAmount)) / depth;
  paintFrame(
      image, size, width, height, stride, depth, StepValue{static_cast<double>(outerAmount), delta},
      [](double amount, uint8_t x) { return static_cast<uint8_t>(clampByte(truncToInt(amount + x))); });
  return 1;
}

int32_t dllframecontrast(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                         int32_t outerFactor, int32_t innerFactor, int32_t depth) {
  const double delta = static_cast<double>(innerFactor - outerFactor) / depth;
  paintFrame(image, size, width, height, stride, depth, StepValue{static_cast<double>(outerFactor), delta},
             [](double factor, uint8_t x) {
               return static_cast<uint8_t>(clampByte(truncToInt(factor * (x - 128) * 0.0078125 + 128)));
             });
  return 1;
}

int32_t dllframeexposal(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                        int32_t outerLevel, int32_t innerLevel, int32_t depth) {
  const double delta = static_cast<double>(innerLevel - outerLevel) / depth;
  paintFrame(image, size, width, height, stride, depth, StepValue{static_cast<double>(outerLevel), delta},
             [](double level, uint8_t x) {
               if (x >= 128) return x;
               const double v = level - x;
               return lowByte(truncToInt(v > 0.0 ? v : 0.0));
             });
  return 1;
}

int32_t dllframemix(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                    int32_t outerRed, int32_t outerGreen, int32_t outerBlue, int32_t innerRed,
                    int32_t innerGreen, int32_t innerBlue, int32_t depth) {
  StepValue outer{1.0, -1.0 / depth};
  walkBands(
      width, height, stride, depth, [&](Side, int32_t k) { outer.onStep(k); },
      [&](Side, int32_t, int64_t offset) {
        if (!insideGuard(offset, size)) return;
        const double c = outer.value;
        uint8_t* p = image + offset;
        p[2] = lowByte(truncToInt(c * outerRed + (1.0 - c) * innerRed));
        p[1] = lowByte(truncToInt(c * outerGreen + (1.0 - c) * innerGreen));
        p[0] = lowByte(truncToInt(c * outerBlue + (1.0 - c) * innerBlue));
      });
  return 1;
}

int32_t dllbeveler(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                   int32_t leftAmount, int32_t rightAmount, int32_t bottomAmount, int32_t topAmount,
                   int32_t depth) {
  walkBands(
      width, height, stride, depth, [](Side, int32_t) {},
      [&](Side side, int32_t, int64_t offset) {
        if (!insideGuard(offset, size)) return;
        const int32_t amount = side == Side::Top      ? topAmount
                               : side == Side::Bottom ? bottomAmount
                               : side == Side::Left   ? leftAmount
                                                      : rightAmount;
        uint8_t* p = image + offset;
        for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(clampByte(amount + p[c]));
      });
  return 1;
}

}  // extern "C"
