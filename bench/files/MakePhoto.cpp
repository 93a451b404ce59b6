// Writes a photo-like picture as a 24-bit BMP for the open/save benchmark:
// smooth shading in every channel, some mid-sized detail, and sensor-like
// noise, so that a JPEG encoder works as hard as on a real photo.
//
//   orvane_bench_photo WIDTH HEIGHT out.bmp
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BmpCodec.h"
#include "CDIB.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s WIDTH HEIGHT out.bmp\n", argv[0]);
    return 2;
  }
  const int w = std::atoi(argv[1]), h = std::atoi(argv[2]);
  orvane::CDIB picture;
  if (!picture.Reshape(w, h)) {
    std::fprintf(stderr, "cannot make a %d x %d picture\n", w, h);
    return 1;
  }
  // Separable shading: one table per axis and channel keeps the trigonometry out of the pixel loop.
  std::vector<float> across(3 * static_cast<size_t>(w)), down(3 * static_cast<size_t>(h));
  for (int c = 0; c < 3; ++c) {
    for (int x = 0; x < w; ++x)
      across[3 * x + c] = 70.0f * std::sin(x * (0.0011f + 0.0004f * c) + c) + 25.0f * std::sin(x * 0.013f * (c + 1));
    for (int y = 0; y < h; ++y)
      down[3 * y + c] = 60.0f * std::cos(y * (0.0015f + 0.0003f * c)) + 20.0f * std::sin(y * 0.021f + 2 * c);
  }
  uint32_t state = 12345;
  for (int y = 0; y < h; ++y) {
    uint8_t* row = picture.DIBPointer() + static_cast<size_t>(y) * picture.SRB();
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        state = state * 1664525u + 1013904223u;
        const float noise = static_cast<float>((state >> 24) & 15) - 7.5f;
        const float v = 128.0f + across[3 * x + c] + down[3 * y + c] + noise;
        row[3 * x + c] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
      }
  }
  orvane::FileReport report;
  if (!orvane::WriteBmp(picture, QString::fromLocal8Bit(argv[3]), report)) {
    std::fprintf(stderr, "%s: %s\n", argv[3], qPrintable(report.error));
    return 1;
  }
  return 0;
}
