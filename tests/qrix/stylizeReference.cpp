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

// Copies the pixel at offset `from` of source to offset `to` of destination when both offsets lie
// strictly between 0 and last (size - 2): the first pixel of either buffer is never touched. The pixel
// is read whole before it is written, as source and destination may share memory.
void copyPixelInside(const uint8_t* source, uint8_t* destination, int64_t from, int64_t to, int64_t last) {
  if (from <= 0 || from >= last || to <= 0 || to >= last) return;
  const uint8_t pixel[3] = {source[from], source[from + 1], source[from + 2]};
  destination[to] = pixel[0];
  destination[to + 1] = pixel[1];
  destination[to + 2] = pixel[2];
}

// start with step added `count` times, one addition at a time (a product would round differently).
double afterSteps(double start, double step, int64_t count) {
  double v = start;
  for (int64_t n = 0; n < count; ++n) v += step;
  return v;
}

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

// The three resamplers below work out each line (row or column) of their shape on its own: its
// shift, edge or length is the start plus one equal step per line, the first line already one step
// on. Lines go in order, and the pixels of a line by j, so that where source and destination share
// memory each copy reads what earlier ones wrote.

// The parallelogram: every line of the picture (its rows with the direction flag set, else its
// columns) receives the whole of the same source line squeezed to trunc(extent * percent %) pixels,
// shifted by a little more on each line so that the lines lean. The shift starts at 0 (side flag set)
// or at extent - squeezed, and moves by squeezed / (number of lines) per line, forward with the side
// flag set, else back. Pixel j of the squeezed line comes from position trunc(j * (1 / share)) of the
// source line and goes to position trunc(j + shift).
//   Rows: j < squeezed; the row ends at its first pixel past the row (3 x column > stride) or at or
//   past size - 2 in the buffer.
//   Columns: j runs over the whole height, and every pixel is tried.
int32_t dllparallel(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                    int32_t stride, int32_t size, int32_t percent, int32_t directionFlag, int32_t sideFlag) {
  if (percent <= 0 || width <= 0 || height <= 0) return 1;
  const double share = percent * 0.01;
  const double sourcePerPixel = 1 / share;
  const int64_t last = int64_t{size} - 2;
  if (directionFlag != 0) {
    const int32_t squeezed = truncToInt(width * share);
    const double start = sideFlag != 0 ? 0.0 : static_cast<double>(width - int64_t{squeezed});
    const double perRow =
        (sideFlag != 0 ? static_cast<double>(squeezed) : -static_cast<double>(squeezed)) / height;
    for (int64_t r = 0; r < height; ++r) {
      const double shift = afterSteps(start, perRow, r + 1);
      for (int64_t j = 0; j < squeezed; ++j) {
        const int64_t column = truncToInt(static_cast<double>(j) + shift);
        if (3 * column > stride) break;
        const int64_t to = r * stride + 3 * column;
        if (to >= last) break;
        const int64_t from = r * stride + 3 * int64_t{truncToInt(static_cast<double>(j) * sourcePerPixel)};
        copyPixelInside(source, destination, from, to, last);
      }
    }
    return 1;
  }
  const int32_t squeezed = truncToInt(height * share);
  const double start = sideFlag != 0 ? 0.0 : static_cast<double>(height - int64_t{squeezed});
  const double perColumn =
      (sideFlag != 0 ? static_cast<double>(squeezed) : -static_cast<double>(squeezed)) / width;
  for (int64_t c = 0; c < width; ++c) {
    const double shift = afterSteps(start, perColumn, c + 1);
    for (int64_t j = 0; j < height; ++j) {
      const int64_t fromRow = truncToInt(static_cast<double>(j) * sourcePerPixel);
      const int64_t toRow = truncToInt(static_cast<double>(j) + shift);
      copyPixelInside(source, destination, fromRow * stride + 3 * c, toRow * stride + 3 * c, last);
    }
  }
  return 1;
}

// The trapezium: along each line (rows with the direction flag set, else columns) of extent `full`,
// the line's pixels are squeezed into a run starting at `edge` and `length` pixels long. Over the lines
// the run goes from the whole line (edge 0, length full) to the inset one (edge inset, length
// squeezed) with the side flag set, and the other way round without it, where squeezed is
// trunc(full * percent %) and inset full / 2 - (squeezed / 2 in whole pixels). Pixel j of a run
// (j < length) goes to position trunc(j + edge) and comes from trunc(j * full / length) of the same
// source line.
//   Rows: the row ends at its first pixel past the row (3 x column > stride) or at or past size - 2.
//   Columns: the column ends at its first pixel at or past size - 2 when rows go up in memory
//   (stride > 0), as later pixels only lie further on.
int32_t dlltrapezia(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                    int32_t stride, int32_t size, int32_t percent, int32_t directionFlag, int32_t sideFlag) {
  if (percent <= 0 || width <= 0 || height <= 0) return 1;
  const double share = percent * 0.01;
  const bool rows = directionFlag != 0;
  const int32_t full = rows ? width : height;
  const int32_t lines = rows ? height : width;
  const int32_t squeezed = truncToInt(full * share);
  const double inset = full / 2.0 - squeezed / 2;
  const double spread = static_cast<double>(full - int64_t{squeezed});
  const bool fromWhole = sideFlag != 0;
  const double edgeStart = fromWhole ? 0.0 : inset;
  const double edgeStep = fromWhole ? inset / lines : -inset / lines;
  const double lengthStart = fromWhole ? full : squeezed;
  const double lengthStep = fromWhole ? -spread / lines : spread / lines;
  const int64_t last = int64_t{size} - 2;
  for (int64_t i = 0; i < lines; ++i) {
    const double edge = afterSteps(edgeStart, edgeStep, i + 1);
    const double length = afterSteps(lengthStart, lengthStep, i + 1);
    for (int64_t j = 0; j < length; ++j) {
      const int64_t at = truncToInt(static_cast<double>(j) + edge);
      const int64_t fromAt = truncToInt(static_cast<double>(j) * (full / length));
      if (rows) {
        if (3 * at > stride) break;
        const int64_t to = i * stride + 3 * at;
        if (to >= last) break;
        copyPixelInside(source, destination, i * stride + 3 * fromAt, to, last);
      } else {
        const int64_t to = at * stride + 3 * i;
        if (to >= last && stride > 0) break;
        copyPixelInside(source, destination, fromAt * stride + 3 * i, to, last);
      }
    }
  }
  return 1;
}

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
// so the row ends at the first destination offset at or past size - 2.
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
      copyPixelInside(source, destination, from, to, last);
    }
  }
  return 1;
}

}  // namespace reference
