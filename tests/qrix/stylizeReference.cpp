// The stylize filters and geometric distortions written plainly, one triple at a time, as
// the yardstick for the library's fast paths.
#include "stylizeReference.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "ReferenceSupport.h"

namespace reference {
// Stylize

namespace {

// 32-bit wrap-around arithmetic, as the filters' integer steps are defined on it.
inline int32_t wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }
inline int32_t abs32(int32_t v) { return v < 0 ? wrap(-static_cast<int64_t>(v)) : v; }
inline int32_t atMost255(int32_t v) { return v > 255 ? 255 : v; }

// Truncation of a double whose value may be infinite or NaN: such values give the
// integer-indefinite result, whose low 32 bits are 0.
inline int32_t truncAny(double v) {
  if (!(v > -9.2e18 && v < 9.2e18)) return 0;
  return truncToInt(v);
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

int32_t dllcharcoal(uint8_t* image, int32_t size) {
  forEachTriple(image, size, [](uint8_t* p) {
    const Grey3 g = charcoalLevels(p);
    const auto v = static_cast<uint8_t>((g.g1 + g.g2 + g.g3) / 3);
    p[0] = p[1] = p[2] = v;
  });
  return 1;
}

int32_t dllcomedy(uint8_t* image, int32_t size, int32_t amount) {
  const double divisor = amount * 0.01;
  forEachTriple(image, size, [divisor](uint8_t* p) {
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
  forEachTriple(image, size, [amount](uint8_t* p) {
    for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(abs32(p[c] ^ amount));
  });
  return 1;
}

int32_t dllice(uint8_t* image, int32_t size, int32_t amount) {
  const int64_t k = amount / 100;
  forEachTriple(image, size, [k](uint8_t* p) {
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
  forEachTriple(image, size, [divisor](uint8_t* p) {
    for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(p[c] ^ (p[c] / divisor));
  });
  return 1;
}

int32_t dllwatercolour(uint8_t* image, int32_t size, int32_t amount) {
  const double h = amount * 0.1;
  forEachTriple(image, size, [h](uint8_t* p) {
    if (p[0] >= 128 || p[1] >= 128 || p[2] >= 128) {
      for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(truncAny(p[c] / h));
    } else {
      for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(atMost255(truncAny(p[c] * h)));
    }
  });
  return 1;
}

int32_t dllspotted(uint8_t* image, int32_t size, int32_t amount) {
  forEachTriple(image, size, [amount](uint8_t* p) {
    for (int c = 0; c < 3; ++c) {
      const double v = p[c];
      p[c] = static_cast<uint8_t>(clampByte(truncAny(v * std::sin(v) * amount * 0.01)));
    }
  });
  return 1;
}

int32_t dllnost(uint8_t* image, int32_t size, int32_t amount) {
  const double h = amount == 0 ? 1.0 : amount * 0.5;
  forEachTriple(image, size, [h](uint8_t* p) {
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
  forEachTriple(image, size, [&](uint8_t* p) {
    if (++counter >= area) {
      shift = randomStep(amount);
      counter = 0;
    }
    for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(atMost255(abs32(wrap(int64_t{p[c]} + shift))));
  });
  return 1;
}

int32_t dlldiffuse(uint8_t* image, int32_t size, int32_t amount) {
  if (amount == 0) return 1;  // a random step over 0 would divide by zero
  forEachTriple(image, size, [amount](uint8_t* p) {
    const int64_t shift = randomStep(amount);
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
      const int32_t dx = randomStep(horizontalStep);
      const int32_t dy = randomStep(verticalStep);
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

// Distortions

namespace {

// Source and destination of a resampler, rows `stride` bytes apart. A pixel is copied
// only when both addresses lie strictly inside (0, size - 2), so the first pixel of
// either buffer is never touched.
struct Resampler {
  const uint8_t* source;
  uint8_t* destination;
  int64_t stride;
  int64_t last;  // size - 2

  int64_t offset(int64_t row, int64_t column) const { return row * stride + 3 * column; }
  bool inside(int64_t at) const { return at > 0 && at < last; }
  void copy(int64_t from, int64_t to) const {
    if (inside(from) && inside(to)) std::memmove(destination + to, source + from, 3);
  }

  // Resamples `length` pixels into row r from column `left` on, source column j * scale for the
  // j-th. Destination columns only grow with j, so the walk ends at the first one past the
  // buffer (or past the row when `rowTest` is set: 3m <= stride).
  void row(int64_t r, double left, double length, double scale, bool rowTest) const {
    for (int64_t j = 0; j < length; ++j) {
      const int64_t k = truncToInt(j * scale);
      const int64_t m = truncToInt(j + left);
      if (rowTest && 3 * m > stride) break;
      const int64_t to = offset(r, m);
      if (to >= last) break;
      copy(offset(r, k), to);
    }
  }
};

}  // namespace

int32_t dllfliphor(uint8_t* destination, const uint8_t* source, int32_t width, int32_t height) {
  const int64_t rowBytes = 3 * int64_t{width};
  for (int64_t r = 0; r < height; ++r) {
    const int64_t base = r * rowBytes;
    for (int64_t k = 0; k < width; ++k) {
      const int64_t from = base + 3 * (width - 1 - k);
      const int64_t to = base + 3 * k;
      destination[to] = source[from];
      destination[to + 1] = source[from + 1];
      destination[to + 2] = source[from + 2];
    }
  }
  return 1;
}

int32_t dllblinds(uint8_t* image, int32_t width, int32_t height, int32_t blindSize, int32_t reverseFlag,
                  int32_t directionFlag, int32_t styleFlag) {
  if (blindSize == 0) return 1;  // the darkening fraction would divide by zero
  if (width <= 0 || height <= 0) return 1;
  const int64_t n = blindSize;
  // Bands run across rows (direction flag set) or across columns, in grid order.
  const int64_t bands = directionFlag ? height : width;
  const int64_t along = directionFlag ? width : height;
  auto darken = [&](int64_t band, int64_t phase) {
    for (int64_t t = 0; t < along; ++t) {
      uint8_t* p = image + 3 * (directionFlag ? band * width + t : band + t * width);
      for (int c = 0; c < 3; ++c) {
        const int64_t v = p[c];
        const int64_t out = v - (v * phase) / n;
        p[c] = static_cast<uint8_t>(out < 0 ? 0 : (out > 255 ? 255 : out));
      }
    }
  };
  if (styleFlag == 0) {
    int64_t phase = reverseFlag ? n : 0;
    for (int64_t b = 0; b < bands; ++b) {
      darken(b, phase);
      if (reverseFlag) {
        if (--phase == 0) phase = n;
      } else {
        if (++phase == n) phase = 0;
      }
    }
  } else {
    int64_t phase = 0;
    bool rising = true;
    for (int64_t b = 0; b < bands; ++b) {
      darken(b, phase);
      phase += rising ? 2 : -2;
      if (phase >= n) rising = false;
      if (phase <= 0) rising = true;
    }
  }
  return 1;
}

int32_t dllparallel(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                    int32_t stride, int32_t size, int32_t percent, int32_t directionFlag, int32_t sideFlag) {
  if (percent <= 0) return 1;  // no shape for an empty or negative share
  if (width <= 0 || height <= 0) return 1;
  const Resampler rs{source, destination, stride, int64_t{size} - 2};
  const double f = percent * 0.01;
  const double inverse = 1 / f;
  // Offsets are advanced by a double step per row or column, never recomputed.
  if (directionFlag) {
    const int32_t wf = truncToInt(width * f);
    double g = sideFlag ? 0.0 : static_cast<double>(width - int64_t{wf});
    const double s = (sideFlag ? wf : -static_cast<double>(wf)) / height;
    for (int64_t r = 0; r < height; ++r) {
      g += s;
      rs.row(r, g, wf, inverse, true);
    }
  } else {
    const int32_t hf = truncToInt(height * f);
    double g = sideFlag ? 0.0 : static_cast<double>(height - int64_t{hf});
    const double s = (sideFlag ? hf : -static_cast<double>(hf)) / width;
    for (int64_t c = 0; c < width; ++c) {
      g += s;
      for (int64_t j = 0; j < height; ++j) {
        rs.copy(rs.offset(truncToInt(j * inverse), c), rs.offset(truncToInt(j + g), c));
      }
    }
  }
  return 1;
}

int32_t dlltrapezia(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                    int32_t stride, int32_t size, int32_t percent, int32_t directionFlag, int32_t sideFlag) {
  if (percent <= 0) return 1;  // no shape for an empty or negative share
  if (width <= 0 || height <= 0) return 1;
  const Resampler rs{source, destination, stride, int64_t{size} - 2};
  const double f = percent * 0.01;
  // The full extent along the squeezed side, and the number of steps across it.
  const int32_t full = directionFlag ? width : height;
  const int32_t steps = directionFlag ? height : width;
  const int32_t squeezed = truncToInt(full * f);
  const double l0 = full / 2.0 - squeezed / 2;
  const double spread = static_cast<double>(full - int64_t{squeezed});
  double edge, edgeStep, length, lengthStep;
  if (sideFlag) {
    edge = 0;
    edgeStep = l0 / steps;
    length = full;
    lengthStep = -spread / steps;
  } else {
    edge = l0;
    edgeStep = -l0 / steps;
    length = squeezed;
    lengthStep = spread / steps;
  }
  for (int64_t r = 0; r < steps; ++r) {
    edge += edgeStep;
    length += lengthStep;
    if (!(length > 0)) continue;
    if (directionFlag) {
      rs.row(r, edge, length, width / length, true);
    } else {
      const double scale = height / length;
      for (int64_t j = 0; j < length; ++j) {
        const int64_t to = rs.offset(truncToInt(j + edge), r);
        if (to >= rs.last && rs.stride > 0) break;  // later rows lie further on
        rs.copy(rs.offset(truncToInt(j * scale), r), to);
      }
    }
  }
  return 1;
}

namespace {

// start with step added `count` times, one addition at a time (a product would round differently).
double afterSteps(double start, double step, int64_t count) {
  double v = start;
  for (int64_t n = 0; n < count; ++n) v += step;
  return v;
}

}  // namespace

// The pentagon worked out row by row from its outline. The top width is percent1 % of the width and
// the bottom width percent3 %, both centred; the middle row lies percent2 % of the height up. Rows
// below the middle row (r < middle) widen from the top width to the whole width while their left edge
// moves from the centred top to 0, each by `middle` equal steps; the rows after them narrow to the
// bottom width while the left edge moves from 0 to the centred bottom, the edge by (height - middle)
// steps and the length by as many steps as there are such rows. A row is one step further on than
// the row before, the first already one step from the start.
//
// Destination pixel j of row r (j = 0, 1, ... while j < length) is column trunc(j + left), taken from
// column trunc(j * width / length) of the same row r of the source. The columns only grow with j,
// so the row ends at the first destination offset at or past size - 2; a pixel is copied only when
// both offsets lie strictly between 0 and size - 2. Source and destination may share memory, so the
// rows go in order, and the pixels of a row by j, each read whole before it is written.
int32_t dllpentagon(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                    int32_t stride, int32_t size, int32_t percent1, int32_t percent2, int32_t percent3) {
  if (percent1 <= 0 || percent2 <= 0 || percent3 <= 0 || width <= 0 || height <= 0) return 1;
  const double w = width;
  const double top = w * percent1 * 0.01;
  const double middle = static_cast<double>(height) * percent2 * 0.01;
  const double bottom = w * percent3 * 0.01;

  int64_t widening = 0;  // rows r < middle, at most every row
  while (widening < height && widening < middle) ++widening;

  const double topLeft = w / 2.0 - top / 2;
  const double wideLeftStep = -topLeft / middle;
  const double wideLengthStep = (w - top) / middle;
  const double lengthAtMiddle = afterSteps(top, wideLengthStep, widening);
  const double narrowLeftStep = (w / 2.0 - bottom / 2) / (height - middle);
  const double narrowLengthStep = -(lengthAtMiddle - bottom) / static_cast<double>(height - widening);

  const int64_t last = int64_t{size} - 2;
  for (int64_t r = 0; r < height; ++r) {
    const bool wide = r < widening;
    const int64_t steps = wide ? r + 1 : r - widening + 1;
    const double left =
        wide ? afterSteps(topLeft, wideLeftStep, steps) : afterSteps(0.0, narrowLeftStep, steps);
    const double length =
        wide ? afterSteps(top, wideLengthStep, steps) : afterSteps(lengthAtMiddle, narrowLengthStep, steps);
    for (int64_t j = 0; j < length; ++j) {
      const int64_t to = r * stride + 3 * int64_t{truncToInt(static_cast<double>(j) + left)};
      if (to >= last) break;
      const int64_t from = r * stride + 3 * int64_t{truncToInt(static_cast<double>(j) * (w / length))};
      if (to <= 0 || from <= 0 || from >= last) continue;
      const uint8_t pixel[3] = {source[from], source[from + 1], source[from + 2]};
      destination[to] = pixel[0];
      destination[to + 1] = pixel[1];
      destination[to + 2] = pixel[2];
    }
  }
  return 1;
}

}  // namespace reference
