// The blur, sharpen and relief filters written plainly, one byte of one neighbourhood at a time,
// as the yardstick for the library's fast paths.
#include "neighbourReference.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ReferenceSupport.h"

namespace reference {
namespace {

// Neighbours of the channel byte at p, rows `s` bytes apart (U is one row earlier in memory).
struct Around {
  const uint8_t* p;
  ptrdiff_t s;
  int32_t ul() const { return p[-s - 3]; }
  int32_t u() const { return p[-s]; }
  int32_t ur() const { return p[-s + 3]; }
  int32_t l() const { return p[-3]; }
  int32_t c() const { return p[0]; }
  int32_t r() const { return p[3]; }
  int32_t dl() const { return p[s - 3]; }
  int32_t d() const { return p[s]; }
  int32_t dr() const { return p[s + 3]; }
  int32_t at(int32_t dx, int32_t dy) const { return p[dy * s + dx * 3]; }
  int32_t sides() const { return u() + l() + r() + d(); }
  int32_t corners() const { return ul() + ur() + dl() + dr(); }
  int32_t all9() const { return sides() + corners() + c(); }
};

// Number of triples at offsets first, first + 3, ... while the offset < end.
int64_t tripleCount(int64_t first, int64_t end) { return first < end ? (end - first + 2) / 3 : 0; }

// Writes rule(Around) into every byte of the triples first, first + 3, ... while < end.
template <class Rule>
void walkTriples(const uint8_t* src, uint8_t* dst, int64_t first, int64_t end, int32_t stride, Rule rule) {
  const int64_t bytes = 3 * tripleCount(first, end);
  const ptrdiff_t s = stride;
  for (int64_t i = first; i < first + bytes; ++i) dst[i] = static_cast<uint8_t>(rule(Around{src + i, s}));
}

// Sweep: centre offsets stride + 3, stride + 6, ... while < size - stride - 5, so the 3 x 3
// neighbourhood stays inside [0, size]. The first row, the first pixel of the second row and the
// bytes after the last triple keep their destination values.
template <class Rule>
void sweep(const uint8_t* src, uint8_t* dst, int32_t size, int32_t stride, Rule rule) {
  walkTriples(src, dst, int64_t(stride) + 3, int64_t(size) - stride - 5, stride, rule);
}

// Last stored row = the row before it: bytes from size - stride + 1 - extra up to size take the
// byte one stride earlier. Bytes whose source would lie before the buffer are skipped (pictures
// too short to have a row before the last). The ranges overlap by one byte when extra is 1;
// memmove reads it before overwriting it, as a downward byte walk does.
void repeatLastRow(uint8_t* dst, int32_t size, int32_t stride, int32_t extra) {
  if (stride <= 0) return;
  int64_t lo = int64_t(size) - stride + 1 - extra;
  if (lo < stride) lo = stride;
  if (lo > size) return;
  std::memmove(dst + lo, dst + (lo - stride), static_cast<size_t>(size - lo + 1));
}

// Interior: every pixel whose (2 * Reach + 1)-square neighbourhood lies inside the picture is
// rewritten with clampByte(kernel(Around)) computed over a copy of the whole buffer, `size` + 1
// bytes (the last interior pixel of an unpadded picture reads the buffer's last byte). Returns 0
// with the image untouched when the copy cannot be allocated, else 1.
template <int Reach, class Kernel>
int32_t interior(uint8_t* image, int32_t size, int32_t rowBytes, int32_t width, int32_t height,
                 Kernel kernel) {
  if (width <= 2 * Reach || height <= 2 * Reach || size < 0 || rowBytes <= 0) return 1;
  // Only rows whose bytes all lie in [0, size] take part.
  while (height > 0 && int64_t(rowBytes) * (height - 1) + 3 * int64_t(width) - 1 > size) --height;
  if (height <= 2 * Reach) return 1;
  const size_t count = static_cast<size_t>(size) + 1;
  auto* copy = static_cast<uint8_t*>(std::malloc(count));
  if (copy == nullptr) return 0;
  std::memcpy(copy, image, count);
  const ptrdiff_t s = rowBytes;
  const ptrdiff_t runBytes = 3 * ptrdiff_t(width - 2 * Reach);
  for (int32_t y = Reach; y < height - Reach; ++y) {
    const ptrdiff_t row = s * y + 3 * Reach;
    const uint8_t* from = copy + row;
    uint8_t* to = image + row;
    for (ptrdiff_t i = 0; i < runBytes; ++i)
      to[i] = static_cast<uint8_t>(clampByte(kernel(Around{from + i, s})));
  }
  std::free(copy);
  return 1;
}

// Byte step of one move in a direction. The eight directions number the neighbours as a keypad
// without its middle key, the earlier row first: 1 2 3 / 4 . 5 / 6 7 8. Any other number moves as
// 7, one row later.
struct Move {
  int64_t rows, pixels;  // -1, 0 or 1 each
};
Move moveOf(int32_t direction) {
  if (direction < 1 || direction > 8) direction = 7;
  const int32_t key = direction <= 4 ? direction - 1 : direction;  // 0 .. 8, the middle (4) left out
  return {key / 3 - 1, key % 3 - 1};
}
int64_t directionStep(int32_t direction, int32_t stride) {
  const Move m = moveOf(direction);
  return m.rows * stride + 3 * m.pixels;
}

}  // namespace

namespace {

inline void order(int32_t& a, int32_t& b) {
  const int32_t lo = std::min(a, b);
  b = std::max(a, b);
  a = lo;
}

// Fifth smallest of nine, by a fixed exchange network (branch-free, so the sweep vectorises).
inline int32_t median9(Around n) {
  int32_t p0 = n.ul(), p1 = n.u(), p2 = n.ur(), p3 = n.l(), p4 = n.c(), p5 = n.r(), p6 = n.dl(), p7 = n.d(),
          p8 = n.dr();
  order(p1, p2), order(p4, p5), order(p7, p8);
  order(p0, p1), order(p3, p4), order(p6, p7);
  order(p1, p2), order(p4, p5), order(p7, p8);
  order(p0, p3), order(p5, p8), order(p4, p7);
  order(p3, p6), order(p1, p4), order(p2, p5);
  order(p4, p7), order(p4, p2), order(p6, p4);
  order(p4, p2);
  return p4;
}

}  // namespace

int32_t dllfastblur(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  sweep(source, destination, size, stride, [](Around n) { return n.all9() / 9; });
  return 1;
}

int32_t dllgaussblur(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  sweep(source, destination, size, stride,
        [](Around n) { return (4 * n.c() + 2 * n.sides() + n.corners()) >> 4; });
  return 1;
}

int32_t dllspecialblur(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  sweep(source, destination, size, stride, [](Around n) {
    const int32_t a = n.all9() / 9;
    const int32_t v = a + truncToInt(1.2 * (a - n.c()));
    return std::min(255, v < 0 ? -v : v);
  });
  return 1;
}

int32_t medianfiltering(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  sweep(source, destination, size, stride, median9);
  return 1;
}

// Each pixel of the flat walk (byte 0 at o = 0, 3, 6, ... below size - 2) becomes, channel by
// channel, the truncated mean of its samples: sample k, for k = 0 .. distance, lies k (k + 1) / 2
// moves away in the direction, and counts when its three bytes lie in [0, size]. Sample 0 is the
// pixel itself; a negative distance leaves it alone.
int32_t dllmotionblur(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride,
                      int32_t distance, int32_t direction) {
  const int64_t move = directionStep(direction, stride);
  for (int64_t o = 0; o + 2 < size; o += 3) {
    for (int64_t c = 0; c < 3; ++c) {
      int64_t sum = 0, count = 0;
      for (int64_t k = 0; k <= std::max(distance, 0); ++k) {
        const int64_t at = o + k * (k + 1) / 2 * move;
        if (at < 0 || at + 2 > size) continue;
        sum += source[at + c];
        ++count;
      }
      destination[o + c] = static_cast<uint8_t>(sum / count);
    }
  }
  return 1;
}

// Box blur on the grid: pixel (x, y) is pixel number width * y + x, at byte 3 (width * y + x),
// whatever padding the picture has. Every grid pixel but those of the last column and the last row,
// its own three bytes lying in [0, size], becomes the truncated mean of its 2r x 2r box: the
// positions (x + dx, y + dy) for dx and dy from -r to r - 1. A position stands for pixel number
// width * (y + dy) + x + dx, so columns past a row's end run on into the next row and a pixel met by
// two positions counts twice; it counts when its three bytes lie in [0, size]. A radius below 1 has
// no box: nothing is written. Sums are 64-bit here; the library's are 32-bit, which gives the same
// bytes while a box counts fewer than 2^31 / 255 positions, as every box the tests blur does.
int32_t dllfastblurplus(const uint8_t* source, uint8_t* destination, int32_t size, int32_t width,
                        int32_t height, int32_t radius) {
  if (radius < 1) return 1;
  const int64_t inside = std::max<int64_t>(0, (int64_t{size} + 1) / 3);  // pixels 0 .. inside - 1
  const int64_t r = radius, w = width;
  for (int64_t y = 0; y < height - 1; ++y) {
    for (int64_t x = 0; x < width - 1; ++x) {
      const int64_t self = w * y + x;
      if (self >= inside) continue;
      int64_t blue = 0, green = 0, red = 0, count = 0;
      for (int64_t dy = -r; dy < r; ++dy) {
        const int64_t middle = w * (y + dy) + x;  // the position dx = 0
        // Only the positions whose pixel is inside: 0 <= middle + dx < inside.
        const int64_t dxFrom = std::max(-r, -middle), dxTo = std::min(r - 1, inside - 1 - middle);
        for (int64_t dx = dxFrom; dx <= dxTo; ++dx) {
          const uint8_t* pixel = source + 3 * (middle + dx);
          blue += pixel[0], green += pixel[1], red += pixel[2];
          ++count;
        }
      }
      destination[3 * self] = static_cast<uint8_t>(blue / count);
      destination[3 * self + 1] = static_cast<uint8_t>(green / count);
      destination[3 * self + 2] = static_cast<uint8_t>(red / count);
    }
  }
  return 1;
}

int32_t DllBlurSoftly(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height) {
  return interior<1>(image, size, stride, width, height,
                     [](Around n) { return (n.corners() + 3 * n.sides() + 16 * n.c()) >> 5; });
}

int32_t DllBlurMore(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height) {
  return interior<2>(image, size, stride, width, height, [](Around n) {
    const int32_t outer = n.at(-1, -2) + n.at(1, -2) + n.at(-2, -1) + n.at(2, -1) + n.at(-2, 1) + n.at(2, 1) +
                          n.at(-1, 2) + n.at(1, 2);
    const int32_t edgeMiddles = n.at(0, -2) + n.at(-2, 0) + n.at(2, 0) + n.at(0, 2);
    const int32_t sides = n.sides();
    const int32_t corners = n.corners();
    return (outer + 2 * edgeMiddles + 4 * corners + 6 * sides + 8 * n.c()) >> 6;
  });
}

namespace {

// Sweep, then the last stored row repeats the row before it.
template <class Rule>
int32_t edgeSweep(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride, Rule rule) {
  sweep(source, destination, size, stride, rule);
  repeatLastRow(destination, size, stride, 0);
  return 1;
}

// Low 32 bits of a 64-bit value, as the library's float-to-int conversion keeps them.
inline int32_t low32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

// Interior kernel: centre, each side neighbour and each corner weighted, the sum divided with
// truncation toward zero (clamped by the interior walk).
template <int Centre, int Side, int Corner, int Divisor>
inline int32_t weighted(Around n) {
  return (Centre * n.c() + Side * n.sides() + Corner * n.corners()) / Divisor;
}

}  // namespace

int32_t dllsharpenhor(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  return edgeSweep(source, destination, size, stride, [](Around n) {
    return clampByte(2 * n.u() + n.ul() + n.ur() - 2 * n.d() - n.dl() - n.dr());
  });
}

int32_t dllsharpenver(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  return edgeSweep(source, destination, size, stride, [](Around n) {
    return clampByte(2 * n.l() + n.ul() + n.dl() - 2 * n.r() - n.ur() - n.dr());
  });
}

// C - (U + L + R + D) * 0.25 truncated toward zero; quarter steps are exact in double precision,
// so the integer form (4C - sum) / 4, which also truncates toward zero, gives the same value.
int32_t dllsharpenwallis(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  return edgeSweep(source, destination, size, stride,
                   [](Around n) { return clampByte((4 * n.c() - n.sides()) / 4); });
}

int32_t dllsharpen_laplacian1(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  return edgeSweep(source, destination, size, stride,
                   [](Around n) { return clampByte(4 * n.c() - n.sides()); });
}

int32_t dllsharpen_laplacian2(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  return edgeSweep(source, destination, size, stride,
                   [](Around n) { return clampByte(8 * n.c() - n.sides() - n.corners()); });
}

// Roberts cross on the 2 x 2 block starting at each triple, from the very first byte on.
int32_t dllsharpenroberts(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  walkTriples(source, destination, 0, int64_t(size) - stride - 5, stride, [](Around n) {
    const int32_t a = n.r() - n.d(), b = n.dr() - n.c();
    return std::min(255, (a < 0 ? -a : a) + (b < 0 ? -b : b));
  });
  repeatLastRow(destination, size, stride, 0);
  return 1;
}

// Pushes each walked pixel away from its neighbour in the direction (numbered as for moveOf): every
// byte v becomes v + k (v - w), w being the same channel of the neighbour and k = amount / 100
// truncated. The product is worked in double precision, where it is exact, and converted keeping its
// low 32 bits; the sum wraps as a 32-bit integer; the result is held to 0 .. 255.
//
// The walk is the flat walk (triples starting below size - 2) less the first row (stride bytes) when
// the neighbour lies a row earlier, less the first pixel (3 bytes) when it lies to the left, and
// likewise less the last row and the last pixel at the end for a neighbour below or to the right.
// Directions outside 1 .. 8 write nothing.
int32_t dllsharpen(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride,
                   int32_t direction, int32_t amount) {
  if (direction < 1 || direction > 8) return 1;
  const Move m = moveOf(direction);
  const int64_t s = stride;
  const int64_t neighbour = m.rows * s + 3 * m.pixels;
  int64_t first = (m.rows < 0 ? s : 0) + (m.pixels < 0 ? 3 : 0);
  const int64_t end = int64_t{size} - 2 - (m.rows > 0 ? s : 0) - (m.pixels > 0 ? 3 : 0);
  // The one departure: up and to the right (3) starts a pixel early, at the first byte whose
  // neighbour is byte 0, so the pixel just before the second row (the first row's last pixel, or
  // its padding) is pushed away from the first pixel.
  // Down and to the left (6) stops where straight down does, a row short, though its neighbour
  // would allow one pixel more: that is the row rule, no departure.
  if (direction == 3) first -= 3;
  const int32_t k = amount / 100;
  for (int64_t p = first; p < end; p += 3) {
    for (int64_t i = p; i < p + 3; ++i) {
      const int32_t v = source[i], w = source[i + neighbour];
      const int32_t push = truncToInt(static_cast<double>(k) * (v - w));
      destination[i] = static_cast<uint8_t>(clampByte(low32(int64_t{v} + push)));
    }
  }
  return 1;
}

int32_t DllSimpleSharpen(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height) {
  return interior<1>(image, size, stride, width, height, weighted<16, -1, -1, 8>);
}

int32_t DllSharpenMore(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height) {
  return interior<1>(image, size, stride, width, height, weighted<12, -1, -1, 4>);
}

int32_t DllSharpenLess(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height) {
  return interior<1>(image, size, stride, width, height, weighted<24, -1, -1, 16>);
}

int32_t DllUnSharpMask(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height) {
  return interior<1>(image, size, stride, width, height, weighted<16, -2, -1, 4>);
}

// The unsharp-mask kernel with rows taken as width * 3 bytes apart (no row padding assumed).
int32_t dllEnhanceEdge(uint8_t* image, int32_t size, int32_t width, int32_t height) {
  return interior<1>(image, size, 3 * width, width, height, weighted<16, -2, -1, 4>);
}

namespace {

// |p - q + bias| in wrapping 32-bit arithmetic, values above 255 taken as 255.
inline int32_t relief(int32_t p, int32_t q, int32_t bias) {
  const int32_t t = low32(int64_t(p) - q + bias);
  const int32_t a = t < 0 ? low32(-int64_t(t)) : t;
  return a > 255 ? 255 : a;
}

}  // namespace

// Each pixel against the pixel `distance` steps away in `direction`, or the mirrored one when that
// lies outside the buffer; pixels with neither partner inside keep their destination bytes.
int32_t dllemboss(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride, int32_t distance,
                  int32_t direction, int32_t redBias, int32_t greenBias, int32_t blueBias, int32_t greyFlag) {
  if (distance == 0) distance = 1;
  const int64_t offset = directionStep(direction, stride) * distance;
  const int64_t last = int64_t(size) - 2;  // highest byte 0 of a partner
  for (int64_t k = 0; k < last; k += 3) {
    int64_t partner = k + offset;
    if (partner < 0 || partner > last) {
      partner = k - offset;
      if (partner < 0 || partner > last) continue;
    }
    const int32_t b = relief(source[k], source[partner], blueBias);
    const int32_t g = relief(source[k + 1], source[partner + 1], greenBias);
    const int32_t r = relief(source[k + 2], source[partner + 2], redBias);
    if (greyFlag == 0) {
      destination[k] = static_cast<uint8_t>(b);
      destination[k + 1] = static_cast<uint8_t>(g);
      destination[k + 2] = static_cast<uint8_t>(r);
    } else {
      const auto grey = static_cast<uint8_t>(low32(int64_t(b) + g + r) / 3);
      destination[k] = destination[k + 1] = destination[k + 2] = grey;
    }
  }
  return 1;
}

// Worked byte by byte from the untouched picture rather than in place: byte i of a pixel the walk
// reaches (its triple starting below size - stride - 5, so that the partner's three bytes end before
// the buffer's last byte) becomes |partner - self + 128| with its low byte kept, the partner being the
// same channel one row on and one pixel right, at i + stride + 3. For a row step of -2 or more that
// partner lies at or after the byte itself, which an in-place walk has not rewritten yet, so the
// snapshot gives the same bytes as working in place.
int32_t dllengrave(uint8_t* image, int32_t size, int32_t stride, int32_t redSwitch, int32_t greenSwitch,
                   int32_t blueSwitch) {
  const int64_t bytes = int64_t{size} + 1;
  const std::vector<uint8_t> before(image, image + std::max<int64_t>(bytes, 0));
  for (int64_t i = 0; i < bytes; ++i) {
    const int64_t pixel = i - i % 3;
    if (pixel + int64_t{stride} + 5 >= size) continue;  // its partner would reach the last byte
    const int32_t channelSwitch = i % 3 == 0 ? blueSwitch : i % 3 == 1 ? greenSwitch : redSwitch;
    if (channelSwitch % 256 == 0) continue;  // only the switch's low byte counts
    const int32_t difference = before[i + stride + 3] - before[i] + 128;
    image[i] = static_cast<uint8_t>(std::abs(difference) % 256);
  }
  return 1;
}

// Outline: 8 C - the 8 neighbours + 16, then the last row and the byte before it repeat the bytes one
// row earlier (its walk reaches down to size - stride).
int32_t dllcontour(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  sweep(source, destination, size, stride,
        [](Around n) { return clampByte(8 * n.c() - n.sides() - n.corners() + 16); });
  repeatLastRow(destination, size, stride, 1);
  return 1;
}

int32_t DllEmbossColor(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height) {
  return interior<1>(image, size, stride, width, height,
                     [](Around n) { return n.c() + n.dl() + n.d() + n.dr() - n.ul() - n.u() - n.ur(); });
}

int32_t DllEmbossHighLight(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height) {
  return interior<1>(image, size, stride, width, height, [](Around n) { return n.d() - n.u(); });
}

}  // namespace reference
