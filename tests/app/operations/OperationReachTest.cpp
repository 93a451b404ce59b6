// The reach each operation declares: run on a part of a picture with that
// margin around it, the part's inside matches the whole-picture run.
#include <gtest/gtest.h>

#include <random>

#include "../filters/OperationTestSupport.h"
#include "Operations.h"
#include "PictureRegion.h"

namespace orvane {
namespace {

using optest::at;
using optest::inFreshThread;

// A picture whose brightness climbs across it, with noise on top: a part of it
// has neither the whole's range nor its histogram, so an operation that looks
// at statistics of the whole picture gives other bytes on a part.
void slopedPicture(CDIB& image, int32_t w, int32_t h, uint32_t seed) {
  image.Create(w, h);
  std::mt19937 gen(seed);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      for (int32_t c = 0; c < 3; ++c)
        at(image, x, y, c) = static_cast<uint8_t>((x * 3 + y * 2 + c * 20) % 200 + gen() % 50);
}

// Whether the inside of `region` run with `reach` equals the whole run there.
bool insideMatches(const OperationDef& op, const PixelRect& region, Reach reach, uint32_t seed,
                   std::vector<int32_t> args = {}) {
  if (args.empty())
    for (const Param& p : op.params) args.push_back(p.def);
  CDIB whole, part;
  slopedPicture(whole, 61, 45, seed);
  slopedPicture(part, 61, 45, seed);
  inFreshThread([&] { op.apply(whole, args); });
  bool applied = false;
  inFreshThread([&] { applied = ApplyInside(part, region, reach, [&](CDIB& p) { op.apply(p, args); }); });
  if (!applied) return false;
  for (int32_t y = region.y; y < region.bottom(); ++y)
    for (int32_t x = region.x; x < region.right(); ++x)
      for (int32_t c = 0; c < 3; ++c)
        if (at(whole, x, y, c) != at(part, x, y, c)) return false;
  return true;
}

// Regions of four widths and four heights so that the working part meets
// every row padding, at several places.
bool holdsEverywhere(const OperationDef& op, Reach reach, const std::vector<int32_t>& args) {
  for (int k = 0; k < 4; ++k)
    if (!insideMatches(op, {16 + k, 15, 20 + k, 15}, reach, 3 + k, args) ||
        !insideMatches(op, {17, 14 + k, 21, 12 + k}, reach, 13 + k, args))
      return false;
  return true;
}

TEST(OperationReach, EveryKnownReachGivesTheWholePictureRunInside) {
  int known = 0;
  for (const OperationDef& op : Operations()) {
    std::vector<int32_t> args;
    for (const Param& p : op.params) args.push_back(p.def);
    const Reach reach = op.reachFor(args);
    if (!reach) continue;
    ++known;
    EXPECT_TRUE(holdsEverywhere(op, reach, args)) << op.name << " reach " << *reach;
  }
  // Most operations are local; a table that lost its reaches would pass above.
  EXPECT_GE(known, 90);
}

TEST(OperationReach, ReachesThatFollowTheArgumentsHoldAcrossThem) {
  const OperationDef& blur = *FindOperation("FastBlurPlus");
  for (int32_t radius : {-2, 0, 1, 5, 9}) {
    const std::vector<int32_t> args{radius};
    EXPECT_TRUE(holdsEverywhere(blur, blur.reachFor(args), args)) << "radius " << radius;
  }
  EXPECT_EQ(blur.reachFor(std::vector<int32_t>{7}), 7);
  const OperationDef& sharpen = *FindOperation("Sharpen");
  for (int32_t direction = 0; direction <= 9; ++direction) {
    const std::vector<int32_t> args{150, direction};
    EXPECT_TRUE(holdsEverywhere(sharpen, sharpen.reachFor(args), args)) << "direction " << direction;
  }
}

// A reach too small shows: the test above would catch an entry that claimed it.
TEST(OperationReach, ATooSmallReachIsCaught) {
  const OperationDef& gauss = *FindOperation("GaussBlur");
  EXPECT_FALSE(holdsEverywhere(gauss, 0, {}));
  EXPECT_FALSE(holdsEverywhere(*FindOperation("AutoLevel"), 1, {}));
}

}  // namespace
}  // namespace orvane
