// Fixed colour mappings chosen by a mode number, and the grey-scale variants.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "internal.h"

namespace {

using qrix::forEachTriple;
using qrix::randomStep;
using qrix::truncToInt;
using qrix::walkTriples;

inline uint8_t byte(int32_t v) { return static_cast<uint8_t>(v); }
inline uint8_t atMost255(int32_t v) { return static_cast<uint8_t>(std::min(255, v)); }

// A table stretching [lo, hi] onto [0, 255]. A channel without a positive range has
// nothing to stretch and keeps its values.
void stretchTable(uint8_t* table, int32_t lo, int32_t hi) {
  const int32_t range = hi - lo;
  for (int32_t v = 0; v < 256; ++v) {
    table[v] = range > 0 ? byte(qrix::clampByte((v - lo) * 255 / range)) : byte(v);
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
  qrix::applyChannelTables(image, size, table);
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
  qrix::applyChannelTables(image, size, table);
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
  p[0] = byte(qrix::clampByte(b));
  p[1] = byte(qrix::clampByte(g));
  p[2] = byte(qrix::clampByte(r));
}

}  // namespace

extern "C" {

int32_t pno(uint8_t* image, int32_t size, int32_t mode) {
  switch (mode) {
    case 1:  // InvertAll
      forEachTriple(image, size, [](uint8_t* p) {
        p[0] = byte(255 - p[0]);
        p[1] = byte(255 - p[1]);
        p[2] = byte(255 - p[2]);
      });
      break;
    case 2:  // InvertRed
      forEachTriple(image, size, [](uint8_t* p) { p[2] = byte(255 - p[2]); });
      break;
    case 3:  // InvertGreen
      forEachTriple(image, size, [](uint8_t* p) { p[1] = byte(255 - p[1]); });
      break;
    case 4:  // InvertBlue
      forEachTriple(image, size, [](uint8_t* p) { p[0] = byte(255 - p[0]); });
      break;
    case 5:  // InvertCarmine
      forEachTriple(image, size, [](uint8_t* p) {
        p[0] = byte(255 - p[0]);
        p[2] = byte(255 - p[2]);
      });
      break;
    case 6:  // InvertCyan
      forEachTriple(image, size, [](uint8_t* p) {
        p[0] = byte(255 - p[0]);
        p[1] = byte(255 - p[1]);
      });
      break;
    case 7:  // InvertYellow
      forEachTriple(image, size, [](uint8_t* p) {
        p[1] = byte(255 - p[1]);
        p[2] = byte(255 - p[2]);
      });
      break;
    case 8:  // GreyScale_Average
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[1] = p[2] = byte((p[0] + p[1] + p[2]) / 3); });
      break;
    case 10:  // RGB2BGR
      forEachTriple(image, size, [](uint8_t* p) { std::swap(p[0], p[2]); });
      break;
    case 11:  // RGB2BRG
      forEachTriple(image, size, [](uint8_t* p) {
        const uint8_t b = p[0], g = p[1], r = p[2];
        p[2] = b, p[1] = r, p[0] = g;
      });
      break;
    case 12:  // RGB2GBR
      forEachTriple(image, size, [](uint8_t* p) {
        const uint8_t b = p[0], g = p[1], r = p[2];
        p[2] = g, p[1] = b, p[0] = r;
      });
      break;
    case 13:  // RGB2GRB
      forEachTriple(image, size, [](uint8_t* p) { std::swap(p[1], p[2]); });
      break;
    case 14:  // RGB2RBG
      forEachTriple(image, size, [](uint8_t* p) { std::swap(p[0], p[1]); });
      break;
    case 15:  // KillRed
      forEachTriple(image, size, [](uint8_t* p) { p[2] = 0; });
      break;
    case 16:  // KillGreen
      forEachTriple(image, size, [](uint8_t* p) { p[1] = 0; });
      break;
    case 17:  // KillBlue
      forEachTriple(image, size, [](uint8_t* p) { p[0] = 0; });
      break;
    case 18:  // KillCyan
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[1] = 0; });
      break;
    case 19:  // KillCarmine
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[2] = 0; });
      break;
    case 20:  // KillYellow
      forEachTriple(image, size, [](uint8_t* p) { p[1] = p[2] = 0; });
      break;
    case 21:  // SoftRed
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[1] = byte((p[0] + p[1]) / 2); });
      break;
    case 22:  // SoftGreen
      forEachTriple(image, size, [](uint8_t* p) { p[1] = p[2] = byte((p[1] + p[2]) / 2); });
      break;
    case 23:  // SoftOrange
      forEachTriple(image, size, [](uint8_t* p) {
        p[0] = byte(p[1] / 2);
        p[1] = byte(p[2] / 2);
      });
      break;
    case 24:  // SoftYellow
      forEachTriple(image, size, [](uint8_t* p) {
        p[0] = byte(p[1] / 2);
        p[1] = p[2] = byte(p[2] / 2);
      });
      break;
    case 25:  // SoftPurple
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[2] = byte((p[0] + p[2]) / 2); });
      break;
    case 26:  // HardRed
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t b = p[0], g = p[1], r = p[2];
        p[0] = p[1] = byte((b + g) / 2);
        p[2] = atMost255(truncToInt(2 * r * std::atan(static_cast<double>(g))));
      });
      break;
    case 27:  // HardGreen
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t b = p[0], g = p[1], r = p[2];
        p[0] = p[2] = byte((b + r) / 2);
        p[1] = atMost255(truncToInt(2 * g * std::atan(static_cast<double>(r))));
      });
      break;
    case 28:  // HardBlue
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t b = p[0], g = p[1], r = p[2];
        p[1] = p[2] = byte((g + r) / 2);
        p[0] = atMost255(truncToInt(2 * b * std::atan(static_cast<double>(g))));
      });
      break;
    case 29:  // HardYellow
      forEachTriple(image, size, [](uint8_t* p) {
        p[0] = p[1];
        p[1] = p[2];
      });
      break;
    case 30:  // FastPurple
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t b = p[0], g = p[1], r = p[2];
        const int32_t r1 = (r + g) / 2;
        p[2] = byte(r1);
        p[1] = byte((g + b) / 2);
        p[0] = byte((b + r1) / 2);
      });
      break;
    case 31:  // FastGrey
      forEachTriple(image, size, [](uint8_t* p) {
        p[0] = p[1] = p[2] = byte(truncToInt(0.11 * p[0] + 0.3 * p[2] + 0.59 * p[1]));
      });
      break;
    case 32:  // FastYellow
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
    case 33:  // FastBrown
      brown(image, size, 128);
      break;
    case 34:  // FastDarkBrown
      brown(image, size, 256);
      break;
    case 47: {  // Eclipse: this walk stops one triple earlier, offsets < size - 5
      uint8_t* p = image;
      for (int32_t n = size > 5 ? (size - 3) / 3 : 0; n > 0; --n, p += 3) {
        const int32_t g = std::abs(p[1] - 64);
        p[1] = p[2] = byte(g);
        p[0] = byte(std::abs(g - 64));
      }
      break;
    }
    case 48:  // AfricaF
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t r1 = p[1] * p[0] / 256;
        const int32_t g1 = p[0] * r1 / 256;
        p[2] = byte(r1);
        p[1] = byte(g1);
        p[0] = byte(g1 * r1 / 256);
      });
      break;
    case 49:  // Strange
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t r = p[2];
        p[1] = atMost255(r + p[1] / 2);
        p[0] = atMost255(r + p[0] / 2);
      });
      break;
    case 50:  // Noise: draws red, green, blue in that order
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t b = std::max<int32_t>(p[0], 1), g = std::max<int32_t>(p[1], 1),
                      r = std::max<int32_t>(p[2], 1);
        p[2] = byte((r + randomStep(r)) / 2);
        p[1] = byte((g + randomStep(g)) / 2);
        p[0] = byte((b + randomStep(b)) / 2);
      });
      break;
    case 51:  // Liquid
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t b = p[0], g = p[1];
        const int32_t r1 = atMost255(truncToInt(0.008 * ((g - b) * (g - b))));
        const int32_t g1 = atMost255(truncToInt(0.008 * ((r1 - b) * (r1 - b))));
        p[2] = byte(r1);
        p[1] = byte(g1);
        p[0] = atMost255(truncToInt(0.008 * ((r1 - g1) * (r1 - g1))));
      });
      break;
    case 52:  // WetPaper
      forEachTriple(image, size, [](uint8_t* p) {
        for (int c = 2; c >= 0; --c) {
          const int32_t v = p[c];
          p[c] = atMost255(v + std::abs(truncToInt(64 * std::sin(static_cast<double>(v)))));
        }
      });
      break;
    case 53:  // Flame
      forEachTriple(image, size, [](uint8_t* p) {
        const int32_t t = (p[0] + p[1] + p[2]) / 3;
        p[2] = atMost255(p[2] + t);
        p[0] = byte(std::max(0, p[0] - t));
      });
      break;
    case 54:  // Night
      night(image, size);
      break;
    case 55:  // FalseColor
      forEachTriple(image, size, falseColor);
      break;
    case 56:  // StandardGreyscale
      forEachTriple(image, size, [](uint8_t* p) {
        p[0] = p[1] = p[2] = byte(truncToInt(0.3 * p[2] + 0.11 * p[0] + 0.59 * p[1]));
      });
      break;
    case 57:  // AutoContrast
      autoContrast(image, size);
      break;
    case 58:  // AutoLevel
      autoLevel(image, size);
      break;
    case 60:  // Unreal
      forEachTriple(image, size, [](uint8_t* p) {
        if (p[0] == 0) p[0] = 1;
        if (p[1] == 0) p[1] = 1;
        const double b = p[0], g = p[1], r = p[2];
        p[2] = byte(qrix::clampByte(truncToInt(125 * std::sin(std::atan(g / b)) + 20)));
        p[1] = byte(qrix::clampByte(truncToInt(125 * std::sin(std::atan(r / b)) + 20)));
        p[0] = byte(qrix::clampByte(truncToInt(125 * std::sin(std::atan(r / g)) + 20)));
      });
      break;
    default:  // every other mode leaves the image alone
      break;
  }
  return 1;
}

int32_t dllgreyadvance(uint8_t* image, int32_t size, int32_t mode) {
  switch (mode) {
    case 1:  // GreyScale_HighLight
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[1] = p[2] = std::max({p[0], p[1], p[2]}); });
      break;
    case 2:  // GreyScale_MedianLight
      forEachTriple(image, size, [](uint8_t* p) {
        const uint8_t b = p[0], g = p[1], r = p[2];
        p[0] = p[1] = p[2] = std::max(std::min(b, g), std::min(std::max(b, g), r));
      });
      break;
    case 3:  // GreyScale_LowLight
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[1] = p[2] = std::min({p[0], p[1], p[2]}); });
      break;
    case 4:  // GreyScale_OnlyR
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[1] = p[2]; });
      break;
    case 5:  // GreyScale_OnlyG
      forEachTriple(image, size, [](uint8_t* p) { p[0] = p[2] = p[1]; });
      break;
    case 6:  // GreyScale_OnlyB
      forEachTriple(image, size, [](uint8_t* p) { p[1] = p[2] = p[0]; });
      break;
    default:
      break;
  }
  return 1;
}

}  // extern "C"
