// The table of operations: names, parameter types and defaults, and what each
// entry does to a picture when run at its defaults.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "../filters/OperationTestSupport.h"
#include "Operations.h"
#include "cEffectDIB.h"
#include "cFilterDIB.h"

namespace {

using orvane::FindOperation;
using orvane::OperationDef;
using orvane::ParamKind;

TEST(OperationTable, NamesAreFoundAndParametersFollowTheFunctionsTypes) {
  std::set<std::string> owners[2];
  for (const OperationDef& op : orvane::Operations()) {
    // A second entry of the same name (in any case) would hide behind the first.
    EXPECT_EQ(FindOperation(op.name), &op) << op.name;
    for (const orvane::Param& param : op.params) EXPECT_TRUE(param.accepts(param.def)) << op.name;
    owners[op.owner].insert(op.name);
  }
  EXPECT_EQ(owners[OperationDef::Filter].size(), 110u);
  EXPECT_EQ(owners[OperationDef::Effect].size(), 13u);
  EXPECT_EQ(FindOperation("kIlLrEd"), FindOperation("KillRed"));
  EXPECT_EQ(FindOperation("Kill"), nullptr);

  auto kinds = [](const char* name) {
    std::string out;
    for (const orvane::Param& p : FindOperation(name)->params)
      out += "IBYS"[static_cast<int>(p.kind)];  // Int, Bool, bYte, Short
    return out;
  };
  EXPECT_EQ(kinds("AdjLevel"), "YYYYYY");
  EXPECT_EQ(kinds("YCbCrBalance"), "SSS");
  EXPECT_EQ(kinds("BlackWhite"), "BI");
  EXPECT_EQ(kinds("Emboss"), "BIIIII");
  EXPECT_EQ(kinds("Blinds"), "IBBB");
  EXPECT_EQ(kinds("Zoom"), "IIB");
  const orvane::Param& shortParam = FindOperation("YCbCrBalance")->params[0];
  EXPECT_TRUE(shortParam.accepts(-32768) && shortParam.accepts(32767));
  EXPECT_FALSE(shortParam.accepts(32768) || shortParam.accepts(-32769));
  EXPECT_FALSE(FindOperation("AdjLevel")->params[1].accepts(256));
}

// At its defaults an operation either leaves a picture alone (for these the
// defaults are the settings that change nothing) or changes it; none may fail.
// The colour-space balances at 0 still round on the way through their space,
// and Contrast's 100 is not neutral either.
TEST(OperationTable, AtTheirDefaultsOnlyTheNeutralOperationsKeepAPicture) {
  const std::set<std::string> neutral = {"HistogramEquip", "AdjLevel",   "ColorBound",
                                         "Brightness",     "RGBBalance", "Zoom"};
  orvane::cFilterDIB filters;
  orvane::cEffectDIB effects;
  orvane::OperationTools tools{filters, effects};
  for (const OperationDef& op : orvane::Operations()) {
    orvane::CDIB image;
    optest::randomPicture(image, 13, 9);
    for (int c = 0; c < 3; ++c) optest::at(image, 0, 0, c) = 90;  // FalseColor changes grey pixels only
    const std::vector<uint8_t> before = optest::bytesOf(image);
    std::vector<int32_t> args;
    for (const orvane::Param& param : op.params) args.push_back(param.def);
    EXPECT_TRUE(op.apply(tools, image, args)) << op.name;
    const bool same = image.Width() == 13 && image.Height() == 9 && optest::bytesOf(image) == before;
    EXPECT_EQ(same, neutral.count(op.name) == 1) << op.name;
  }
  // A quarter turn by default: the picture stands on its side.
  orvane::CDIB image;
  optest::randomPicture(image, 13, 9);
  const OperationDef& rotate = *FindOperation("Rotate");
  const int32_t angle = rotate.params[0].def;
  rotate.apply(image, {&angle, 1});
  EXPECT_EQ(image.Width(), 9);
  EXPECT_EQ(image.Height(), 13);
}

// Equalize maps each level to 255 x the share of pixels below it. Three pixels
// wide, so the rows carry padding, which must neither be counted nor changed:
// levels 10, 20 and 30 on two pixels each of six become 0, 85 and 170.
TEST(OperationTable, EqualizeSpreadsTheLevelsOfThePixelsOnly) {
  orvane::CDIB image;
  image.Create(3, 2);
  const uint8_t levels[2][3] = {{10, 20, 30}, {30, 20, 10}};
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 3; ++x)
      for (int32_t c = 0; c < 3; ++c) optest::at(image, x, y, c) = levels[y][x];
  for (int32_t y = 0; y < 2; ++y) image.DIBPointer()[y * image.SRB() + 9] = 7;  // a pad byte
  ASSERT_TRUE(FindOperation("Equalize")->apply(image, {}));
  const uint8_t expected[2][3] = {{0, 85, 170}, {170, 85, 0}};
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 3; ++x)
      for (int32_t c = 0; c < 3; ++c) EXPECT_EQ(optest::at(image, x, y, c), expected[y][x]) << x << y << c;
  for (int32_t y = 0; y < 2; ++y) EXPECT_EQ(image.DIBPointer()[y * image.SRB() + 9], 7);
}

}  // namespace
