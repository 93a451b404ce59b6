// Colour adjustments: point operations on every triple of the flat walk, and histogram
// equalisation.
#include <algorithm>
#include <cmath>

#include "internal.h"

namespace {

using qrix::clampByte;
using qrix::forEachTriple;
using qrix::truncToInt;
using qrix::walkTriples;

inline uint8_t clampByte64(int64_t v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// An amount added to a byte and clamped saturates at +-255; limiting it first keeps the
// sum in 32 bits without changing any result.
inline int32_t limitAmount(int32_t amount) { return std::clamp(amount, -255, 255); }

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

extern "C" {

int32_t dllbrightness(uint8_t* image, int32_t size, int32_t amount) {
  const int32_t a = limitAmount(amount);
  forEachTriple(image, size, [a](uint8_t* p) {
    p[0] = static_cast<uint8_t>(clampByte(p[0] + a));
    p[1] = static_cast<uint8_t>(clampByte(p[1] + a));
    p[2] = static_cast<uint8_t>(clampByte(p[2] + a));
  });
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
  const int32_t dr = limitAmount(redDelta), dg = limitAmount(greenDelta), db = limitAmount(blueDelta);
  forEachTriple(image, size, [=](uint8_t* p) {
    p[0] = static_cast<uint8_t>(clampByte(p[0] + db));
    p[1] = static_cast<uint8_t>(clampByte(p[1] + dg));
    p[2] = static_cast<uint8_t>(clampByte(p[2] + dr));
  });
  return 1;
}

int32_t dllyuvbalance(uint8_t* image, int32_t size, int32_t yDelta, int32_t uDelta, int32_t vDelta) {
  // The deltas enter the green formula together, so they are carried in 64 bits rather
  // than limited one by one; every value stays exact in a double.
  forEachTriple(image, size, [=](uint8_t* p) {
    const int32_t b = p[0], g = p[1], r = p[2];
    const int64_t y = truncToInt(0.587 * g + 0.299 * r + 0.114 * b);
    const int64_t u = b - y + uDelta;
    const int64_t v = r - y + vDelta;
    const int64_t y1 = y + yDelta;
    p[2] = clampByte64(y1 + v);
    p[0] = clampByte64(y1 + u);
    p[1] = clampByte64(static_cast<int64_t>(static_cast<double>(y1) - 0.192 * static_cast<double>(u) -
                                            0.509 * static_cast<double>(v)));
  });
  return 1;
}

int32_t dllycbcr(uint8_t* image, int32_t size, int32_t yDelta, int32_t cbDelta, int32_t crDelta) {
  // The undisturbed Y, Cb and Cr lie in 0..255, so limiting the deltas changes nothing.
  const int32_t dy = std::clamp(yDelta, -512, 512);
  const int32_t dcb = std::clamp(cbDelta, -512, 512);
  const int32_t dcr = std::clamp(crDelta, -512, 512);
  forEachTriple(image, size, [=](uint8_t* p) {
    const int32_t b = p[0], g = p[1], r = p[2];
    const int32_t y = clampByte(truncToInt(0.587 * g + 0.299 * r + 0.114 * b) + dy);
    const int32_t cb = clampByte(truncToInt(0.5 * b - (0.1687 * r + 0.3313 * g) + 128) + dcb);
    const int32_t cr = clampByte(truncToInt(0.5 * r - 0.4187 * g - 0.0813 * b + 128) + dcr);
    p[2] = static_cast<uint8_t>(clampByte(truncToInt(y + 1.402 * (cr - 128))));
    p[1] = static_cast<uint8_t>(clampByte(truncToInt(y - 0.34414 * (cb - 128) - 0.71414 * (cr - 128))));
    p[0] = static_cast<uint8_t>(clampByte(truncToInt(y + 1.772 * (cb - 128))));
  });
  return 1;
}

int32_t dllhsl(uint8_t* image, int32_t size, int32_t hueDelta, int32_t saturationDelta,
               int32_t lightnessDelta) {
  const double hueStep = hueDelta * 0.01;
  const double saturationStep = saturationDelta * 0.01;
  const double lightnessStep = lightnessDelta * 0.01;
  forEachTriple(image, size, [=](uint8_t* p) {
    const double r = p[2] * 0.00392156862745098;
    const double g = p[1] * 0.00392156862745098;
    const double b = p[0] * 0.00392156862745098;
    const double mx = std::max(r, std::max(g, b));
    const double mn = std::min(r, std::min(g, b));
    double l = (mx + mn) / 2;
    double s = 0.0;
    double h = 0.0;
    if (mx != mn) {
      const double d = mx - mn;
      s = l <= 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
      if (r == mx) {
        h = (g - b) / d;
      } else if (g == mx) {
        h = 2 + (b - r) / d;
      } else {
        h = 4 + (r - g) / d;
      }
    }
    h = wrapHue(h + hueStep);
    s = std::clamp(s + saturationStep, 0.0, 1.0);
    l = std::clamp(l + lightnessStep, 0.0, 1.0);

    double nr, ng, nb;
    if (s == 0.0) {
      nr = ng = nb = l;
    } else {
      const double lo = l <= 0.5 ? l * (1 - s) : l - s * (1 - l);
      const double hi = 2 * l - lo;
      const double span = hi - lo;
      if (h < 0) {
        nr = hi, ng = lo, nb = lo - h * span;
      } else if (h < 1) {
        nr = hi, ng = lo + h * span, nb = lo;
      } else if (h < 2) {
        nr = lo - (h - 2) * span, ng = hi, nb = lo;
      } else if (h < 3) {
        nr = lo, ng = hi, nb = lo + (h - 2) * span;
      } else if (h < 4) {
        nr = lo, ng = lo - (h - 4) * span, nb = hi;
      } else {
        nr = lo + (h - 4) * span, ng = lo, nb = hi;
      }
    }
    p[2] = static_cast<uint8_t>(clampByte(truncToInt(255 * nr)));
    p[1] = static_cast<uint8_t>(clampByte(truncToInt(255 * ng)));
    p[0] = static_cast<uint8_t>(clampByte(truncToInt(255 * nb)));
  });
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

int32_t DllAdjLevel(uint8_t* image, int32_t size, int32_t redMax, int32_t redMin, int32_t greenMax,
                    int32_t greenMin, int32_t blueMax, int32_t blueMin) {
  if (walkTriples(size) == 0) return 1;
  const int32_t maxima[3] = {blueMax, greenMax, redMax};
  const int32_t minima[3] = {blueMin, greenMin, redMin};
  ChannelTables table;
  for (int c = 0; c < 3; ++c) {
    const uint8_t range = static_cast<uint8_t>(maxima[c] - static_cast<uint32_t>(minima[c]));
    for (int32_t v = 0; v < 256; ++v) table[c][v] = static_cast<uint8_t>(v);
    // A band of width 0 has no stretch; that channel keeps its values.
    if (range == 0) continue;
    const double scale = 255.0 / range;
    const double offset = (static_cast<double>(minima[c]) * 255) / range;
    for (int32_t v = 1; v < 255; ++v) {
      const double x = std::clamp(scale * v - offset, 0.0, 255.0);
      table[c][v] = static_cast<uint8_t>(truncToInt(x));
    }
  }
  qrix::applyChannelTables(image, size, table);
  return 1;
}

int32_t dllhisequip(uint8_t* image, int32_t size, int32_t width, int32_t height) {
  const int64_t pixels = static_cast<int64_t>(width) * height;
  // Without a pixel count there is nothing to divide by; leave the image as it is.
  if (pixels <= 0 || walkTriples(size) == 0) return 1;
  int32_t count[3][256] = {};
  forEachTriple(image, size, [&](uint8_t* p) {
    ++count[0][p[0]];
    ++count[1][p[1]];
    ++count[2][p[2]];
  });
  const double n = static_cast<double>(pixels);
  ChannelTables table;
  for (int c = 0; c < 3; ++c) {
    double cumulative = 0.0;
    for (int32_t v = 0; v < 256; ++v) {
      // When padding makes the counted triples outnumber the pixels the sum passes 1;
      // such levels stay at white instead of wrapping round to dark.
      table[c][v] = static_cast<uint8_t>(std::min(255.0, 255 * cumulative));
      cumulative += count[c][v] / n;
    }
  }
  qrix::applyChannelTables(image, size, table);
  return 1;
}

}  // extern "C"
