// Sharpen and edge filters: gradient, Wallis and Laplacian sweeps, the Roberts cross, directional
// sharpening, and the interior sharpeners.
#include <algorithm>
#include <cstring>

#include "neighbourhood.h"

using qrix::Around;

namespace {

// Sweep, then the last stored row repeats the row before it.
template <class Rule>
int32_t edgeSweep(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride, Rule rule) {
  qrix::sweep(source, destination, size, stride, rule);
  qrix::repeatLastRow(destination, size, stride, 0);
  return 1;
}

// Interior kernel: centre, each side neighbour and each corner weighted, the sum divided with
// truncation toward zero (clamped by the interior walk).
template <int Centre, int Side, int Corner, int Divisor>
constexpr auto weighted =
    [](const auto& n) { return (Centre * n.c() + Side * n.sides() + Corner * n.corners()) / Divisor; };

// Each byte v of the run pushed away from its partner w at offset `at`: clampByte(v + k (v - w)), the
// product and the sum wrapping as 32-bit integers do.
QRIX_VECTOR_KERNEL(void, pushAway,
                   (const uint8_t* source, uint8_t* destination, ptrdiff_t n, ptrdiff_t at, int32_t k),
                   (source, destination, n, at, k)) {
  const uint32_t factor = static_cast<uint32_t>(k);
  for (ptrdiff_t j = 0; j < n; ++j) {
    const int32_t v = source[j], w = source[j + at];
    const uint32_t push = factor * static_cast<uint32_t>(v - w);
    destination[j] =
        static_cast<uint8_t>(qrix::clampByte(static_cast<int32_t>(static_cast<uint32_t>(v) + push)));
  }
}

// pushAway for |k| <= 127: v + k (v - w) lies in [-32385, 32640], so 16-bit lanes hold it exactly.
QRIX_VECTOR_KERNEL(void, pushAwayNarrow,
                   (const uint8_t* source, uint8_t* destination, ptrdiff_t n, ptrdiff_t at, int16_t k),
                   (source, destination, n, at, k)) {
  for (ptrdiff_t j = 0; j < n; ++j) {
    const int16_t v = source[j], w = source[j + at];
    const auto t = static_cast<int16_t>(v + static_cast<int16_t>(k * static_cast<int16_t>(v - w)));
    destination[j] = static_cast<uint8_t>(t < 0 ? 0 : (t > 255 ? 255 : t));
  }
}

}  // namespace

extern "C" {

int32_t dllsharpenhor(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  return edgeSweep(source, destination, size, stride, [](Around n) {
    return qrix::clampByte(2 * n.u() + n.ul() + n.ur() - 2 * n.d() - n.dl() - n.dr());
  });
}

int32_t dllsharpenver(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  return edgeSweep(source, destination, size, stride, [](Around n) {
    return qrix::clampByte(2 * n.l() + n.ul() + n.dl() - 2 * n.r() - n.ur() - n.dr());
  });
}

// C - (U + L + R + D) * 0.25 truncated toward zero; quarter steps are exact in double precision,
// so the integer form (4C - sum) / 4, which also truncates toward zero, gives the same value.
int32_t dllsharpenwallis(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  return edgeSweep(source, destination, size, stride,
                   [](Around n) { return qrix::clampByte((4 * n.c() - n.sides()) / 4); });
}

int32_t dllsharpen_laplacian1(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  return edgeSweep(source, destination, size, stride,
                   [](Around n) { return qrix::clampByte(4 * n.c() - n.sides()); });
}

int32_t dllsharpen_laplacian2(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  return edgeSweep(source, destination, size, stride,
                   [](Around n) { return qrix::clampByte(8 * n.c() - n.sides() - n.corners()); });
}

// Roberts cross on the 2 x 2 block starting at each triple, from the very first byte on.
int32_t dllsharpenroberts(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  qrix::walkTriples(source, destination, 0, int64_t(size) - stride - 5, stride, [](Around n) {
    const int32_t a = n.r() - n.d(), b = n.dr() - n.c();
    return std::min(255, (a < 0 ? -a : a) + (b < 0 ? -b : b));
  });
  qrix::repeatLastRow(destination, size, stride, 0);
  return 1;
}

// Pushes each pixel away from its neighbour in the given direction by amount / 100 times their
// difference. Directions outside 1 .. 8 write nothing.
int32_t dllsharpen(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride,
                   int32_t direction, int32_t amount) {
  const int64_t s = stride, n = size;
  int64_t neighbour, first, end;
  // clang-format off
  switch (direction) {
    case 1: neighbour = -s - 3; first = s + 3; end = n - 2;     break;
    case 2: neighbour = -s;     first = s;     end = n - 2;     break;
    case 3: neighbour = -s + 3; first = s - 3; end = n - 5;     break;
    case 4: neighbour = -3;     first = 3;     end = n - 2;     break;
    case 5: neighbour = 3;      first = 0;     end = n - 5;     break;
    case 6: neighbour = s - 3;  first = 3;     end = n - s - 2; break;
    case 7: neighbour = s;      first = 0;     end = n - s - 2; break;
    case 8: neighbour = s + 3;  first = 0;     end = n - s - 5; break;
    default: return 1;
  }
  // clang-format on
  const int32_t k = amount / 100;
  const ptrdiff_t at = static_cast<ptrdiff_t>(neighbour);
  // The bytes of the triples first, first + 3, ... while < end.
  const ptrdiff_t bytes = static_cast<ptrdiff_t>(3 * qrix::tripleCount(first, end));
  if (bytes == 0) return 1;
  // k * (v - w) is an exact integer in double precision; its conversion keeps the low 32 bits, and
  // the sum wraps as signed 32-bit arithmetic does. With k = 0 every byte keeps its value.
  const int64_t reach = neighbour < 0 ? -neighbour : neighbour;
  qrix::tripleBands(source, destination, first, bytes, reach, [&](int64_t from, int64_t to) {
    const auto n = static_cast<ptrdiff_t>(to - from);
    if (k == 0) {
      std::memmove(destination + from, source + from, static_cast<size_t>(n));
    } else if (k >= -127 && k <= 127) {
      pushAwayNarrow(source + from, destination + from, n, at, static_cast<int16_t>(k));
    } else {
      pushAway(source + from, destination + from, n, at, k);
    }
  });
  return 1;
}

int32_t DllSimpleSharpen(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height) {
  return qrix::interior<1>(image, size, stride, width, height, weighted<16, -1, -1, 8>);
}

int32_t DllSharpenMore(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height) {
  return qrix::interior<1>(image, size, stride, width, height, weighted<12, -1, -1, 4>);
}

int32_t DllSharpenLess(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height) {
  return qrix::interior<1>(image, size, stride, width, height, weighted<24, -1, -1, 16>);
}

int32_t DllUnSharpMask(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height) {
  return qrix::interior<1>(image, size, stride, width, height, weighted<16, -2, -1, 4>);
}

// The unsharp-mask kernel with rows taken as width * 3 bytes apart (no row padding assumed).
int32_t dllEnhanceEdge(uint8_t* image, int32_t size, int32_t width, int32_t height) {
  return qrix::interior<1>(image, size, 3 * width, width, height, weighted<16, -2, -1, 4>);
}

}  // extern "C"
