// Stylize filters: per-pixel looks on the flat walk, the recursive neon difference,
// the random fog, diffuse and canvas scatters, and the wave displacement.
#include <cmath>
#include <cstdlib>

#include "internal.h"

namespace {

// 32-bit wrap-around arithmetic, as the filters' integer steps are defined on it.
inline int32_t wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }
inline int32_t abs32(int32_t v) { return v < 0 ? wrap(-static_cast<int64_t>(v)) : v; }
inline int32_t atMost255(int32_t v) { return v > 255 ? 255 : v; }

// Truncation of a double whose value may be infinite or NaN: such values give the
// integer-indefinite result, whose low 32 bits are 0.
inline int32_t truncAny(double v) {
  if (!(v > -9.2e18 && v < 9.2e18)) return 0;
  return qrix::truncToInt(v);
}

struct Grey3 {
  int32_t g1, g2, g3;
};

// The three grey levels shared by charcoal and comedy.
inline Grey3 charcoalLevels(const uint8_t* p) {
  const int32_t b = p[0], g = p[1], r = p[2];
  Grey3 out;
  out.g1 = atMost255(std::abs(r * (2 * g - b + r)) / 256);
  out.g2 = atMost255(std::abs(out.g1 * (2 * b - g + out.g1)) / 256);
  out.g3 = atMost255(std::abs(out.g2 * (2 * b - out.g2 + out.g1)) / 256);
  return out;
}

// Pixel (i, j) of the canvas and wave grid: one pixel less than a row per step, no padding.
inline int64_t gridOffset(int64_t i, int64_t j, int32_t width) {
  return 3 * i + (3 * int64_t{width} - 3) * j;
}

}  // namespace

extern "C" {

int32_t dllcharcoal(uint8_t* image, int32_t size) {
  qrix::forEachTriple(image, size, [](uint8_t* p) {
    const Grey3 g = charcoalLevels(p);
    const auto v = static_cast<uint8_t>((g.g1 + g.g2 + g.g3) / 3);
    p[0] = p[1] = p[2] = v;
  });
  return 1;
}

int32_t dllcomedy(uint8_t* image, int32_t size, int32_t amount) {
  const double divisor = amount * 0.01;
  qrix::forEachTriple(image, size, [divisor](uint8_t* p) {
    const Grey3 g = charcoalLevels(p);
    p[2] = static_cast<uint8_t>(atMost255(truncAny((g.g1 + g.g2 + g.g3) / divisor)));
    p[1] = static_cast<uint8_t>(g.g2);
    p[0] = static_cast<uint8_t>(g.g3);
  });
  return 1;
}

int32_t dllneon(uint8_t* image, int32_t size, int32_t amount) {
  // Each written pixel is the first operand of the next step.
  const int64_t end = static_cast<int64_t>(size) - 10;
  for (int64_t k = 0; k + 3 < end; k += 3) {
    for (int c = 0; c < 3; ++c) {
      const int64_t v =
          int64_t{image[k + c]} + image[k + 3 + c] - image[k + 6 + c] - image[k + 9 + c] + amount;
      image[k + 3 + c] = static_cast<uint8_t>(atMost255(abs32(wrap(v))));
    }
  }
  return 1;
}

int32_t dllerode(uint8_t* image, int32_t size, int32_t amount) {
  qrix::forEachTriple(image, size, [amount](uint8_t* p) {
    for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(abs32(p[c] ^ amount));
  });
  return 1;
}

int32_t dllice(uint8_t* image, int32_t size, int32_t amount) {
  const int64_t k = amount / 100;
  qrix::forEachTriple(image, size, [k](uint8_t* p) {
    const int32_t b = p[0], g = p[1], r = p[2];
    const int32_t r2 = atMost255(abs32(wrap(k * (r - b - g))));
    const int32_t g2 = atMost255(abs32(wrap(k * (g - b - r2))));
    const int32_t b2 = atMost255(abs32(wrap(k * (b - g2 - r2))));
    p[0] = static_cast<uint8_t>(b2);
    p[1] = static_cast<uint8_t>(g2);
    p[2] = static_cast<uint8_t>(r2);
  });
  return 1;
}

int32_t dllwind(uint8_t* image, int32_t size, int32_t amount) {
  const int32_t divisor = wrap(int64_t{amount} + 1);
  if (divisor == 0) return 1;  // would divide by zero
  qrix::forEachTriple(image, size, [divisor](uint8_t* p) {
    for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(p[c] ^ (p[c] / divisor));
  });
  return 1;
}

int32_t dllwatercolour(uint8_t* image, int32_t size, int32_t amount) {
  const double h = amount * 0.1;
  qrix::forEachTriple(image, size, [h](uint8_t* p) {
    if (p[0] >= 128 || p[1] >= 128 || p[2] >= 128) {
      for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(truncAny(p[c] / h));
    } else {
      for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(atMost255(truncAny(p[c] * h)));
    }
  });
  return 1;
}

int32_t dllspotted(uint8_t* image, int32_t size, int32_t amount) {
  qrix::forEachTriple(image, size, [amount](uint8_t* p) {
    for (int c = 0; c < 3; ++c) {
      const double v = p[c];
      p[c] = static_cast<uint8_t>(qrix::clampByte(truncAny(v * std::sin(v) * amount * 0.01)));
    }
  });
  return 1;
}

int32_t dllnost(uint8_t* image, int32_t size, int32_t amount) {
  const double h = amount == 0 ? 1.0 : amount * 0.5;
  qrix::forEachTriple(image, size, [h](uint8_t* p) {
    const int32_t d = truncAny((p[0] + p[1] + p[2]) / h);
    const int32_t b = atMost255(std::abs(p[1] + d));
    const int32_t r = atMost255(std::abs(b + d));
    const int32_t g = atMost255(std::abs(r + d));
    p[0] = static_cast<uint8_t>(b);
    p[1] = static_cast<uint8_t>(g);
    p[2] = static_cast<uint8_t>(r);
  });
  return 1;
}

int32_t dllfog(uint8_t* image, int32_t size, int32_t amount, int32_t area) {
  if (amount == 0) return 1;  // a random step over 0 would divide by zero
  int32_t counter = 0;
  int32_t shift = 0;
  qrix::forEachTriple(image, size, [&](uint8_t* p) {
    if (++counter >= area) {
      shift = qrix::randomStep(amount);
      counter = 0;
    }
    for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(atMost255(abs32(wrap(int64_t{p[c]} + shift))));
  });
  return 1;
}

int32_t dlldiffuse(uint8_t* image, int32_t size, int32_t amount) {
  if (amount == 0) return 1;  // a random step over 0 would divide by zero
  qrix::forEachTriple(image, size, [amount](uint8_t* p) {
    const int64_t shift = qrix::randomStep(amount);
    for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(atMost255(abs32(wrap(p[c] + shift))));
  });
  return 1;
}

int32_t dllcanvas(const uint8_t* source, uint8_t* destination, int32_t size, int32_t width, int32_t height,
                  int32_t horizontalStep, int32_t verticalStep) {
  if (horizontalStep == 0 || verticalStep == 0) return 1;  // a random step over 0 would divide by zero
  const int64_t last = static_cast<int64_t>(size) - 2;
  for (int64_t i = 0; i <= int64_t{width} - 2; ++i) {
    for (int64_t j = 0; j <= int64_t{height} - 2; ++j) {
      const int32_t dx = qrix::randomStep(horizontalStep);
      const int32_t dy = qrix::randomStep(verticalStep);
      const int64_t from = gridOffset(i + dx, j + dy, width);
      const int64_t to = gridOffset(i, j, width);
      // The destination test only rejects a grid that does not fit the buffer.
      if (from < 0 || from > last || to > last) continue;
      destination[to] = source[from];
      destination[to + 1] = source[from + 1];
      destination[to + 2] = source[from + 2];
    }
  }
  return 1;
}

int32_t dllwave(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t amount) {
  const int64_t last = static_cast<int64_t>(size) - 2;
  for (int64_t i = 0; i <= int64_t{width} - 2; ++i) {
    const double s = amount * std::sin(static_cast<double>(i));
    // Rows go upwards in place: a pixel moved to a later row is moved again from there.
    for (int64_t j = 0; j <= int64_t{height} - 2; ++j) {
      const int64_t from = gridOffset(i, j, width);
      const int64_t to = gridOffset(i, truncAny(s + static_cast<double>(j) - 3), width);
      // The source test only rejects a grid that does not fit the buffer.
      if (to < 0 || to > last || from > last) continue;
      image[to] = image[from];
      image[to + 1] = image[from + 1];
      image[to + 2] = image[from + 2];
    }
  }
  return 1;
}

}  // extern "C"
