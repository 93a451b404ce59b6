// The colour adjustments and mappings written plainly, one triple at a time, as the
// yardstick for the library's fast paths.
#include "colourReference.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <vector>

#include "ReferenceSupport.h"
#include "qrix_modes.h"

namespace reference {
namespace {

void applyChannelTables(uint8_t* image, int32_t size, const uint8_t (&table)[3][256]) {
  forEachTriple(image, size, [&](uint8_t* p) {
    p[0] = table[0][p[0]];
    p[1] = table[1][p[1]];
    p[2] = table[2][p[2]];
  });
}

}  // namespace

// Adjustments

namespace {

inline uint8_t clampByte64(int64_t v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// Whether the flat walk reaches byte i: the byte belongs to the triple starting at i - i % 3, and
// the walk takes every triple that starts below size - 2.
inline bool walkReaches(int64_t i, int32_t size) { return i - i % 3 < int64_t{size} - 2; }

// One 256-entry table per channel (byte 0, 1, 2 of the triple).
using ChannelTables = uint8_t[3][256];

// Hue in sixths of the colour circle, brought back into -1 <= h < 5.
double wrapHue(double h) {
  if (h >= 5.0) {
    h -= 6.0;
  } else if (h < -1.0) {
    h += 6.0;
  }
  if (h >= 5.0 || h < -1.0) {  // only for steps far beyond one turn
    h = std::fmod(h + 1.0, 6.0);
    if (h < 0.0) h += 6.0;
    h -= 1.0;
    if (h >= 5.0) h -= 6.0;  // a remainder just below 0 rounds up to 6 when 6 is added
  }
  return h;
}

}  // namespace

// Brightness and the channel balance are written byte by byte from their rule, with no triple walk
// and no limiting of the amounts: every byte the walk reaches gains its channel's amount, the sum
// taken in 64 bits (so any int32 amount adds exactly) and held to 0 .. 255.

int32_t dllbrightness(uint8_t* image, int32_t size, int32_t amount) {
  for (int64_t i = 0; walkReaches(i, size); ++i) image[i] = clampByte64(int64_t{image[i]} + amount);
  return 1;
}

int32_t dllcontrast(uint8_t* image, int32_t size, int32_t factor) {
  // From |factor| = 128 * 128 on every byte but 128 already lands on 0 or 255.
  const int32_t f = std::clamp(factor, -16384, 16384);
  auto map = [f](int32_t v) { return static_cast<uint8_t>(clampByte((v - 128) * f / 128 + 128)); };
  forEachTriple(image, size, [&](uint8_t* p) {
    p[0] = map(p[0]);
    p[1] = map(p[1]);
    p[2] = map(p[2]);
  });
  return 1;
}

int32_t dllexposal(uint8_t* image, int32_t size, int32_t level) {
  // level - v for v < 128 is 0 for every v from level 0 down and 255 from level 382 up.
  const int32_t l = std::clamp(level, 0, 382);
  auto map = [l](int32_t v) { return static_cast<uint8_t>(v >= 128 ? v : clampByte(l - v)); };
  forEachTriple(image, size, [&](uint8_t* p) {
    p[0] = map(p[0]);
    p[1] = map(p[1]);
    p[2] = map(p[2]);
  });
  return 1;
}

int32_t dllrgbbalance(uint8_t* image, int32_t size, int32_t redDelta, int32_t greenDelta, int32_t blueDelta) {
  const int64_t deltaOfChannel[3] = {blueDelta, greenDelta, redDelta};  // byte i % 3 of a pixel
  for (int64_t i = 0; walkReaches(i, size); ++i) image[i] = clampByte64(image[i] + deltaOfChannel[i % 3]);
  return 1;
}

// The three colour-space adjustments below are written per pixel from their formulas, with an index
// walk of their own, rather than after the library's code: a fault shared by both would otherwise
// pass unseen.

int32_t dllyuvbalance(uint8_t* image, int32_t size, int32_t yDelta, int32_t uDelta, int32_t vDelta) {
  for (int64_t i = 0; i < int64_t{size} - 2; i += 3) {
    const int64_t blue = image[i], green = image[i + 1], red = image[i + 2];
    const int64_t luma = truncToInt(0.587 * static_cast<double>(green) + 0.299 * static_cast<double>(red) +
                                    0.114 * static_cast<double>(blue));
    const int64_t u = blue - luma + uDelta, v = red - luma + vDelta, shifted = luma + yDelta;
    const double newGreen =
        static_cast<double>(shifted) - 0.192 * static_cast<double>(u) - 0.509 * static_cast<double>(v);
    image[i] = clampByte64(shifted + u);  // blue + yDelta + uDelta
    image[i + 1] = clampByte64(static_cast<int64_t>(newGreen));
    image[i + 2] = clampByte64(shifted + v);  // red + yDelta + vDelta
  }
  return 1;
}

int32_t dllycbcr(uint8_t* image, int32_t size, int32_t yDelta, int32_t cbDelta, int32_t crDelta) {
  for (int64_t i = 0; i < int64_t{size} - 2; i += 3) {
    const double blue = image[i], green = image[i + 1], red = image[i + 2];
    // Forward, with the deltas added in 64 bits so that no delta wraps.
    const int64_t luma =
        clampByte64(int64_t{truncToInt(0.587 * green + 0.299 * red + 0.114 * blue)} + yDelta);
    const int64_t cb =
        clampByte64(int64_t{truncToInt(0.5 * blue - (0.1687 * red + 0.3313 * green) + 128)} + cbDelta);
    const int64_t cr =
        clampByte64(int64_t{truncToInt(0.5 * red - 0.4187 * green - 0.0813 * blue + 128)} + crDelta);
    // Back again.
    const double y = static_cast<double>(luma);
    const double b = static_cast<double>(cb - 128), r = static_cast<double>(cr - 128);
    image[i + 2] = static_cast<uint8_t>(clampByte(truncToInt(y + 1.402 * r)));
    image[i + 1] = static_cast<uint8_t>(clampByte(truncToInt(y - 0.34414 * b - 0.71414 * r)));
    image[i] = static_cast<uint8_t>(clampByte(truncToInt(y + 1.772 * b)));
  }
  return 1;
}

namespace {

// One channel of the HSL-to-RGB conversion, hue h in sixths (-1 <= h < 5). The channel is hi
// between its two edges, climbs from lo to hi over the sixth after `rising` and falls back over the
// sixth before `falling`; everywhere else it is lo.
double channelOf(double h, double lo, double hi, double rising, double falling, bool (*isHigh)(double)) {
  if (isHigh(h)) return hi;
  if (h >= rising && h < rising + 1) return lo + (h - rising) * (hi - lo);
  if (h >= falling - 1 && h < falling) return lo + (falling - h) * (hi - lo);
  return lo;
}

}  // namespace

int32_t dllhsl(uint8_t* image, int32_t size, int32_t hueDelta, int32_t saturationDelta,
               int32_t lightnessDelta) {
  for (int64_t i = 0; i < int64_t{size} - 2; i += 3) {
    const double r = image[i + 2] * 0.00392156862745098, g = image[i + 1] * 0.00392156862745098,
                 b = image[i] * 0.00392156862745098;
    const double top = std::max({r, g, b}), bottom = std::min({r, g, b});
    double hue = 0, saturation = 0, lightness = (top + bottom) / 2;
    if (top != bottom) {
      const double d = top - bottom;
      saturation = lightness <= 0.5 ? d / (top + bottom) : d / (2 - top - bottom);
      hue = r == top ? (g - b) / d : g == top ? 2 + (b - r) / d : 4 + (r - g) / d;
    }
    hue = wrapHue(hue + hueDelta * 0.01);
    saturation = std::min(1.0, std::max(0.0, saturation + saturationDelta * 0.01));
    lightness = std::min(1.0, std::max(0.0, lightness + lightnessDelta * 0.01));
    double out[3] = {lightness, lightness, lightness};  // blue, green, red
    if (saturation != 0.0) {
      const double lo =
          lightness <= 0.5 ? lightness * (1 - saturation) : lightness - saturation * (1 - lightness);
      const double hi = 2 * lightness - lo;
      out[2] = channelOf(hue, lo, hi, 4, 2, [](double h) { return h < 1; });
      out[1] = channelOf(hue, lo, hi, 0, 4, [](double h) { return h >= 1 && h < 3; });
      out[0] = channelOf(hue, lo, hi, 2, 0, [](double h) { return h >= 3; });
    }
    for (int c = 0; c < 3; ++c) image[i + c] = static_cast<uint8_t>(clampByte(truncToInt(255 * out[c])));
  }
  return 1;
}

int32_t dllblackwhite(uint8_t* image, int32_t size, int32_t averageSwitch, int32_t level) {
  forEachTriple(image, size, [=](uint8_t* p) {
    const bool black = averageSwitch == 0 ? (p[0] < level && p[1] < level && p[2] < level)
                                          : (p[0] + p[1] + p[2]) / 3 < level;
    const uint8_t v = black ? 0 : 255;
    p[0] = p[1] = p[2] = v;
  });
  return 1;
}

int32_t dllcolorbound(uint8_t* image, int32_t size, int32_t redMax, int32_t greenMax, int32_t blueMax,
                      int32_t redMin, int32_t greenMin, int32_t blueMin) {
  if (!(redMax > redMin && greenMax > greenMin && blueMax > blueMin)) return 1;
  for (int32_t mx : {redMax, greenMax, blueMax}) {
    if (mx < 1 || mx > 255) return 1;
  }
  for (int32_t mn : {redMin, greenMin, blueMin}) {
    if (mn < 0 || mn > 254) return 1;
  }
  auto bound = [](uint8_t& v, int32_t mx, int32_t mn) {
    if (v > mx) {
      v = static_cast<uint8_t>(mx);
    } else if (v < mn) {
      v = static_cast<uint8_t>(mn);
    }
  };
  forEachTriple(image, size, [&](uint8_t* p) {
    bound(p[0], blueMax, blueMin);
    bound(p[1], greenMax, greenMin);
    bound(p[2], redMax, redMin);
  });
  return 1;
}

// Levels, byte by byte: a byte at level v, of a channel whose maximum and minimum differ by `range`
// taken modulo 256, becomes 255 / range * v - min * 255 / range held to 0 .. 255 and truncated,
// worked in double precision step by step in that order. Where the exact value 255 (v - min) / range
// is a whole number the rounded steps can come just short of it, and the byte is then one less.
// Levels 0 and 255, and every byte of a channel whose range is 0, stay as they are.
int32_t DllAdjLevel(uint8_t* image, int32_t size, int32_t redMax, int32_t redMin, int32_t greenMax,
                    int32_t greenMin, int32_t blueMax, int32_t blueMin) {
  const int64_t maximum[3] = {blueMax, greenMax, redMax};  // byte i % 3 of a pixel
  const int64_t minimum[3] = {blueMin, greenMin, redMin};
  for (int64_t i = 0; walkReaches(i, size); ++i) {
    const int64_t channel = i % 3;
    const int64_t range = ((maximum[channel] - minimum[channel]) % 256 + 256) % 256;
    const int32_t v = image[i];
    if (range == 0 || v == 0 || v == 255) continue;
    const double level = 255.0 / static_cast<double>(range) * v -
                         static_cast<double>(minimum[channel]) * 255 / static_cast<double>(range);
    image[i] = static_cast<uint8_t>(std::clamp(level, 0.0, 255.0));
  }
  return 1;
}

// Equalisation, byte by byte: a byte at level v becomes 255 times the share, among width * height
// pixels, of the bytes of its channel the walk reaches that lie below v, held to 255 and truncated.
// The share is built level by level, in double precision: for u = 0, 1, ..., v - 1 the number of
// those bytes at level u over the pixel count is added on. Where 255 times the exact share is a whole
// number the rounded sum can come just short of it, and the byte is then one less. Every count is
// taken from the picture as it was.
int32_t dllhisequip(uint8_t* image, int32_t size, int32_t width, int32_t height) {
  const int64_t pixels = int64_t{width} * height;
  if (pixels <= 0) return 1;  // nothing to share among
  int64_t walked = 0;
  while (walkReaches(walked, size)) ++walked;
  const std::vector<uint8_t> before(image, image + walked);
  int64_t atLevel[3][256] = {};
  for (int64_t i = 0; i < walked; ++i) ++atLevel[i % 3][before[i]];
  for (int64_t i = 0; i < walked; ++i) {
    const int64_t channel = i % 3;
    double share = 0.0;
    for (int32_t u = 0; u < before[i]; ++u)
      share += static_cast<double>(atLevel[channel][u]) / static_cast<double>(pixels);
    image[i] = static_cast<uint8_t>(std::min(255.0, 255 * share));
  }
  return 1;
}

// Mappings

namespace {

inline uint8_t byte(int32_t v) { return static_cast<uint8_t>(v); }
inline uint8_t atMost255(int32_t v) { return static_cast<uint8_t>(std::min(255, v)); }

// A table stretching [lo, hi] onto [0, 255]. A channel without a positive range has
// nothing to stretch and keeps its values.
void stretchTable(uint8_t* table, int32_t lo, int32_t hi) {
  const int32_t range = hi - lo;
  for (int32_t v = 0; v < 256; ++v) {
    table[v] = range > 0 ? byte(clampByte((v - lo) * 255 / range)) : byte(v);
  }
}

// Brown tones: c, d and e feed each other unlimited and are limited only when stored.
void brown(uint8_t* image, int32_t size, int32_t divisor) {
  forEachTriple(image, size, [divisor](uint8_t* p) {
    const int32_t c = p[1] * p[0] / divisor;
    const int32_t d = p[0] * c / 256;
    const int32_t e = d * c / 256;
    p[2] = atMost255(c);
    p[1] = atMost255(d);
    p[0] = atMost255(e);
  });
}

void autoContrast(uint8_t* image, int32_t size) {
  int32_t hi[3] = {0, 0, 0};
  int32_t lo[3] = {255, 255, 255};
  forEachTriple(image, size, [&](uint8_t* p) {
    for (int c = 0; c < 3; ++c) {
      // A value that raises the maximum is not also compared with the minimum.
      if (p[c] > hi[c]) {
        hi[c] = p[c];
      } else if (p[c] < lo[c]) {
        lo[c] = p[c];
      }
    }
  });
  uint8_t table[3][256];
  for (int c = 0; c < 3; ++c) stretchTable(table[c], lo[c], hi[c]);
  applyChannelTables(image, size, table);
}

void autoLevel(uint8_t* image, int32_t size) {
  if (walkTriples(size) == 0) return;
  const int32_t quota = truncToInt((size / 3) * 0.055);
  int32_t count[3][256] = {};
  forEachTriple(image, size, [&](uint8_t* p) {
    ++count[0][p[0]];
    ++count[1][p[1]];
    ++count[2][p[2]];
  });
  uint8_t table[3][256];
  for (int c = 0; c < 3; ++c) {
    const int32_t* n = count[c];
    int32_t lo = 0;
    while (n[lo] == 0) ++lo;  // the walk counted at least one value
    int32_t hi = 255;
    while (n[hi] == 0) --hi;
    // Clip about 5.5 % of the pixels at each end.
    int32_t remainder = quota;
    for (int32_t v = lo; v <= 255; ++v) {
      remainder -= n[v];
      if (remainder <= 0) {
        lo = v;
        break;
      }
    }
    remainder = quota;
    for (int32_t v = hi; v >= 0; --v) {
      remainder -= n[v];
      if (remainder <= 0) {
        hi = v;
        break;
      }
    }
    stretchTable(table[c], lo, hi);
  }
  applyChannelTables(image, size, table);
}

void night(uint8_t* image, int32_t size) {
  uint8_t table[256];
  for (int32_t v = 0; v < 256; ++v) table[v] = byte(v * v / 256);
  // Byte by byte over offsets 0 .. size - 1, not by triples.
  for (int32_t i = 0; i < size; ++i) image[i] = table[image[i]];
}

// Grey pixels become a colour ramp blue - cyan - green - yellow - red; others stay.
void falseColor(uint8_t* p) {
  if (p[0] != p[1] || p[1] != p[2]) return;
  const int32_t e = p[0];
  int32_t b, g, r;
  if (e <= 63) {
    b = 255, g = 254 - 4 * e, r = 0;
  } else if (e <= 127) {
    b = 510 - 4 * e, g = 4 * e - 254, r = 0;
  } else if (e <= 191) {
    b = 0, g = 255, r = 4 * e - 510;
  } else {
    b = 0, g = 1022 - 4 * e, r = 255;
  }
  p[0] = byte(clampByte(b));
  p[1] = byte(clampByte(g));
  p[2] = byte(clampByte(r));
}

}  // namespace

int32_t pno(uint8_t* image, int32_t size, int32_t mode) {
  switch (mode) {
    case QRIX_PNO_INVERT_ALL:
      forEachTriple(image, size, [](uint8_t* p) {
        p[0] = byte(255 - p[0]);
        p[1] = byte(255 - p[1]);
        p[2] = byte(255 - p[2]);
      });
      break;
    case QRIX_PNO_INVERT_RED:
      forEachTriple(image, size, [](uint8_t* p) { p[2] = byte(255 - p[2]); });
      break;
    case QRIX_PNO_INVERT_GREEN:
      forEachTriple(image, size, [](uint8_t* p) { p[1] = byte(255 - p[1]); });
      break;
    case QRIX_PNO_INVERT_BLUE:
      forEachTriple(image, size, [](uint8_t* p) { p[0] = byte(255 - p[0]); });
      break;
    case QRIX_PNO_INVERT_CARMINE:
      forEachTriple(image, size, [](uint8_t* p) {
        p[0] = byte(255 - p[0]);
        p[2] = byte(255 - p[2]);
      });
      break;
    case QRIX_PNO_INVERT_CYAN:
      forEachTriple(image, size, [](uint8_t* p) {
        p[0] = byte(255 - p[0]);
        p[1] = byte(255 - p[1]);
      });
      break;
    case QRIX_PNO_INVERT_YELLOW:
      forEachTriple(image, size, [](uint8_t* p) {
        p[1] = byte(255 - p[1]);
        p[2] = byte(255 - p[2]);
      });
      break;
    case QRIX_PNO_GREY_AVERAGE:
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[1] = p[2] = byte((p[0] + p[1] + p[2]) / 3); });
      break;
    case QRIX_PNO_RGB_TO_BGR:
      forEachTriple(image, size, [](uint8_t* p) { std::swap(p[0], p[2]); });
      break;
    case QRIX_PNO_RGB_TO_BRG:
      forEachTriple(image, size, [](uint8_t* p) {
        const uint8_t b = p[0], g = p[1], r = p[2];
        p[2] = b, p[1] = r, p[0] = g;
      });
      break;
    case QRIX_PNO_RGB_TO_GBR:
      forEachTriple(image, size, [](uint8_t* p) {
        const uint8_t b = p[0], g = p[1], r = p[2];
        p[2] = g, p[1] = b, p[0] = r;
      });
      break;
    case QRIX_PNO_RGB_TO_GRB:
      forEachTriple(image, size, [](uint8_t* p) { std::swap(p[1], p[2]); });
      break;
    case QRIX_PNO_RGB_TO_RBG:
      forEachTriple(image, size, [](uint8_t* p) { std::swap(p[0], p[1]); });
      break;
    case QRIX_PNO_KILL_RED:
      forEachTriple(image, size, [](uint8_t* p) { p[2] = 0; });
      break;
    case QRIX_PNO_KILL_GREEN:
      forEachTriple(image, size, [](uint8_t* p) { p[1] = 0; });
      break;
    case QRIX_PNO_KILL_BLUE:
      forEachTriple(image, size, [](uint8_t* p) { p[0] = 0; });
      break;
    case QRIX_PNO_KILL_CYAN:
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[1] = 0; });
      break;
    case QRIX_PNO_KILL_CARMINE:
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[2] = 0; });
      break;
    case QRIX_PNO_KILL_YELLOW:
      forEachTriple(image, size, [](uint8_t* p) { p[1] = p[2] = 0; });
      break;
    case QRIX_PNO_SOFT_RED:
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[1] = byte((p[0] + p[1]) / 2); });
      break;
    case QRIX_PNO_SOFT_GREEN:
      forEachTriple(image, size, [](uint8_t* p) { p[1] = p[2] = byte((p[1] + p[2]) / 2); });
      break;
    case QRIX_PNO_SOFT_ORANGE:
      forEachTriple(image, size, [](uint8_t* p) {
        p[0] = byte(p[1] / 2);
        p[1] = byte(p[2] / 2);
      });
      break;
    case QRIX_PNO_SOFT_YELLOW:
      forEachTriple(image, size, [](uint8_t* p) {
        p[0] = byte(p[1] / 2);
        p[1] = p[2] = byte(p[2] / 2);
      });
      break;
    case QRIX_PNO_SOFT_PURPLE:
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[2] = byte((p[0] + p[2]) / 2); });
      break;
    case QRIX_PNO_HARD_RED:
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t b = p[0], g = p[1], r = p[2];
        p[0] = p[1] = byte((b + g) / 2);
        p[2] = atMost255(truncToInt(2 * r * std::atan(static_cast<double>(g))));
      });
      break;
    case QRIX_PNO_HARD_GREEN:
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t b = p[0], g = p[1], r = p[2];
        p[0] = p[2] = byte((b + r) / 2);
        p[1] = atMost255(truncToInt(2 * g * std::atan(static_cast<double>(r))));
      });
      break;
    case QRIX_PNO_HARD_BLUE:
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t b = p[0], g = p[1], r = p[2];
        p[1] = p[2] = byte((g + r) / 2);
        p[0] = atMost255(truncToInt(2 * b * std::atan(static_cast<double>(g))));
      });
      break;
    case QRIX_PNO_HARD_YELLOW:
      forEachTriple(image, size, [](uint8_t* p) {
        p[0] = p[1];
        p[1] = p[2];
      });
      break;
    case QRIX_PNO_FAST_PURPLE:
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t b = p[0], g = p[1], r = p[2];
        const int32_t r1 = (r + g) / 2;
        p[2] = byte(r1);
        p[1] = byte((g + b) / 2);
        p[0] = byte((b + r1) / 2);
      });
      break;
    case QRIX_PNO_FAST_GREY:
      forEachTriple(image, size, [](uint8_t* p) {
        p[0] = p[1] = p[2] = byte(truncToInt(0.11 * p[0] + 0.3 * p[2] + 0.59 * p[1]));
      });
      break;
    case QRIX_PNO_FAST_YELLOW:
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t g = p[1], r = p[2];
        const int32_t b = (g - r) * (g - r) / 125;
        const int32_t d = (g - b) * (g - b) / 125;
        const int32_t e = (b + d) * (b + d) / 125;
        p[0] = atMost255(b);
        p[1] = atMost255(e);
        p[2] = atMost255(d);
      });
      break;
    case QRIX_PNO_FAST_BROWN:
      brown(image, size, 128);
      break;
    case QRIX_PNO_FAST_DARK_BROWN:
      brown(image, size, 256);
      break;
    case QRIX_PNO_ECLIPSE: {  // Eclipse: this walk stops one triple earlier, offsets < size - 5
      uint8_t* p = image;
      for (int32_t n = size > 5 ? (size - 3) / 3 : 0; n > 0; --n, p += 3) {
        const int32_t g = std::abs(p[1] - 64);
        p[1] = p[2] = byte(g);
        p[0] = byte(std::abs(g - 64));
      }
      break;
    }
    case QRIX_PNO_AFRICA:
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t r1 = p[1] * p[0] / 256;
        const int32_t g1 = p[0] * r1 / 256;
        p[2] = byte(r1);
        p[1] = byte(g1);
        p[0] = byte(g1 * r1 / 256);
      });
      break;
    case QRIX_PNO_STRANGE:
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t r = p[2];
        p[1] = atMost255(r + p[1] / 2);
        p[0] = atMost255(r + p[0] / 2);
      });
      break;
    case QRIX_PNO_NOISE:  // draws red, green, blue in that order
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t b = std::max<int32_t>(p[0], 1), g = std::max<int32_t>(p[1], 1),
                      r = std::max<int32_t>(p[2], 1);
        p[2] = byte((r + randomStep(r)) / 2);
        p[1] = byte((g + randomStep(g)) / 2);
        p[0] = byte((b + randomStep(b)) / 2);
      });
      break;
    case QRIX_PNO_LIQUID:
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t b = p[0], g = p[1];
        const int32_t r1 = atMost255(truncToInt(0.008 * ((g - b) * (g - b))));
        const int32_t g1 = atMost255(truncToInt(0.008 * ((r1 - b) * (r1 - b))));
        p[2] = byte(r1);
        p[1] = byte(g1);
        p[0] = atMost255(truncToInt(0.008 * ((r1 - g1) * (r1 - g1))));
      });
      break;
    case QRIX_PNO_WET_PAPER:
      forEachTriple(image, size, [](uint8_t* p) {
        for (int c = 2; c >= 0; --c) {
          const int32_t v = p[c];
          p[c] = atMost255(v + std::abs(truncToInt(64 * std::sin(static_cast<double>(v)))));
        }
      });
      break;
    case QRIX_PNO_FLAME:
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t t = (p[0] + p[1] + p[2]) / 3;
        p[2] = atMost255(p[2] + t);
        p[0] = byte(std::max(0, p[0] - t));
      });
      break;
    case QRIX_PNO_NIGHT:
      night(image, size);
      break;
    case QRIX_PNO_FALSE_COLOR:
      forEachTriple(image, size, falseColor);
      break;
    case QRIX_PNO_STANDARD_GREY:
      forEachTriple(image, size, [](uint8_t* p) {
        p[0] = p[1] = p[2] = byte(truncToInt(0.3 * p[2] + 0.11 * p[0] + 0.59 * p[1]));
      });
      break;
    case QRIX_PNO_AUTO_CONTRAST:
      autoContrast(image, size);
      break;
    case QRIX_PNO_AUTO_LEVEL:
      autoLevel(image, size);
      break;
    case QRIX_PNO_UNREAL:
      forEachTriple(image, size, [](uint8_t* p) {
        if (p[0] == 0) p[0] = 1;
        if (p[1] == 0) p[1] = 1;
        const double b = p[0], g = p[1], r = p[2];
        p[2] = byte(clampByte(truncToInt(125 * std::sin(std::atan(g / b)) + 20)));
        p[1] = byte(clampByte(truncToInt(125 * std::sin(std::atan(r / b)) + 20)));
        p[0] = byte(clampByte(truncToInt(125 * std::sin(std::atan(r / g)) + 20)));
      });
      break;
    default:  // every other mode leaves the image alone
      break;
  }
  return 1;
}

int32_t dllgreyadvance(uint8_t* image, int32_t size, int32_t mode) {
  switch (mode) {
    case QRIX_GREY_HIGH_LIGHT:
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[1] = p[2] = std::max({p[0], p[1], p[2]}); });
      break;
    case QRIX_GREY_MEDIAN_LIGHT:
      forEachTriple(image, size, [](uint8_t* p) {
        const uint8_t b = p[0], g = p[1], r = p[2];
        p[0] = p[1] = p[2] = std::max(std::min(b, g), std::min(std::max(b, g), r));
      });
      break;
    case QRIX_GREY_LOW_LIGHT:
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[1] = p[2] = std::min({p[0], p[1], p[2]}); });
      break;
    case QRIX_GREY_ONLY_R:
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[1] = p[2]; });
      break;
    case QRIX_GREY_ONLY_G:
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[2] = p[1]; });
      break;
    case QRIX_GREY_ONLY_B:
      forEachTriple(image, size, [](uint8_t* p) { p[1] = p[2] = p[0]; });
      break;
    default:
      break;
  }
  return 1;
}

}  // namespace reference
