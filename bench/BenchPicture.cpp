#include "BenchPicture.h"

#include <map>
#include <memory>
#include <random>

namespace bench {

Picture& picture(int32_t width) {
  static std::map<int32_t, std::unique_ptr<Picture>> cache;
  auto& slot = cache[width];
  if (!slot) {
    slot = std::make_unique<Picture>();
    Picture& p = *slot;
    p.width = width;
    p.height = kHeight;
    p.stride = (width * 3 + 3) & ~3;
    p.original.assign(static_cast<size_t>(p.stride) * p.height, 0);
    std::mt19937 gen(7);
    // Smooth gradients with noise, so that thresholds and branches behave as on photos.
    for (int32_t y = 0; y < p.height; ++y)
      for (int32_t x = 0; x < width; ++x)
        for (int32_t c = 0; c < 3; ++c)
          p.original[static_cast<size_t>(y) * p.stride + 3 * x + c] =
              static_cast<uint8_t>((x * (c + 1) / 16 + y / (8 + c) + (gen() & 31)) & 0xff);
    p.image = p.original;
    p.source = p.original;
  }
  return *slot;
}

}  // namespace bench

BENCHMARK_MAIN();
