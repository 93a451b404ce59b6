#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <array>
#include <set>
#include <utility>

#include "CDIB.h"
#include "cFileDIB.h"
#include "cWordDIB.h"

using orvane::CDIB;
using orvane::cWordDIB;

namespace {

using Pixel = std::array<int, 3>;  // red, green, blue
using Spot = std::pair<int, int>;  // x, y from the top

Pixel pixelAt(CDIB& img, int x, int y) {
  const uint8_t* p = img.hDC()->pixel(x, y);
  return {p[2], p[1], p[0]};
}

void fill(CDIB& img, int w, int h, Pixel colour) {
  ASSERT_TRUE(img.Create(w, h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = img.hDC()->pixel(x, y);
      p[2] = colour[0], p[1] = colour[1], p[0] = colour[2];
    }
}

// Pixels that differ from the uniform background, each checked against the allowed colours.
std::set<Spot> changed(CDIB& img, Pixel background, std::initializer_list<Pixel> allowed = {}) {
  std::set<Spot> out;
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x) {
      const Pixel p = pixelAt(img, x, y);
      if (p == background) continue;
      out.insert({x, y});
      if (allowed.size() > 0) {
        bool ok = false;
        for (const Pixel& a : allowed) ok = ok || p == a;
        EXPECT_TRUE(ok) << "unexpected colour at " << x << "," << y << ": " << p[0] << "," << p[1] << ","
                        << p[2];
      }
    }
  return out;
}

struct Logo {
  QString text = "Hello";
  int dire = 1;
  float x = 0, y = 0;
  bool keep = false;
  int cellW = 8, cellH = 20;
  Pixel colour{255, 0, 0};
  QString face = "DejaVu Sans";
  int weight = 400;
  bool italic = false, underline = false, strike = false;
  int blend = 100;

  void stamp(CDIB& img) const {
    cWordDIB().InsertTextLogo(img, text, dire, x, y, keep, cellW, cellH, colour[0], colour[1], colour[2],
                              face, 0, weight, italic, underline, strike, blend);
  }
};

int measure(const Logo& l) {
  CDIB scratch;
  scratch.Create(1, 1);
  cWordDIB::Font font{l.face, l.cellW, l.cellH, l.weight, l.italic, l.underline, l.strike};
  return cWordDIB().DrawText(scratch, l.text, 0, 0, font, 0, true);
}

const Pixel kGrey{90, 90, 90};

TEST(TextPlacement, GridCodesAndOtherCodes) {
  // 200 x 100 picture, text 50 x 21: dx = 150, dy = 79.
  const std::pair<int, Spot> expected[] = {{0, {0, 0}},    {1, {0, 0}},    {2, {0, 39}},  {3, {0, 79}},
                                           {4, {75, 0}},   {5, {75, 39}},  {6, {75, 79}}, {7, {150, 0}},
                                           {8, {150, 39}}, {9, {150, 79}}, {11, {0, 0}},  {-3, {0, 0}}};
  for (const auto& [code, spot] : expected) {
    int x = -1, y = -1;
    orvane::PlaceTextByCode(code, 200, 100, 50, 21, x, y);
    EXPECT_EQ(Spot(x, y), spot) << "code " << code;
  }
  // A text larger than the picture stays at the top-left corner.
  int x = -1, y = -1;
  orvane::PlaceTextByCode(9, 40, 10, 50, 21, x, y);
  EXPECT_EQ(Spot(x, y), Spot(0, 0));
}

TEST(TextPlacement, PercentagesRoundHalfToEvenAndKeepArea) {
  int x = -1, y = -1;
  orvane::PlaceTextByPercent(50, 50, false, 200, 100, 50, 20, x, y);
  EXPECT_EQ(Spot(x, y), Spot(100, 50));
  orvane::PlaceTextByPercent(50, 70, false, 5, 5, 1, 1, x, y);  // 2.5 -> 2, 3.5 -> 4
  EXPECT_EQ(Spot(x, y), Spot(2, 4));
  orvane::PlaceTextByPercent(90, 90, false, 200, 100, 50, 20, x, y);
  EXPECT_EQ(Spot(x, y), Spot(180, 90));
  orvane::PlaceTextByPercent(90, 90, true, 200, 100, 50, 20, x, y);
  EXPECT_EQ(Spot(x, y), Spot(150, 80));
  // Ending exactly at the edge counts as reaching it; keep-area never goes below 0.
  orvane::PlaceTextByPercent(75, 0, true, 200, 100, 50, 20, x, y);
  EXPECT_EQ(x, 150);
  orvane::PlaceTextByPercent(10, 10, true, 40, 10, 50, 20, x, y);
  EXPECT_EQ(Spot(x, y), Spot(0, 0));
  orvane::PlaceTextByPercent(-20, -5, false, 200, 100, 50, 20, x, y);
  EXPECT_EQ(Spot(x, y), Spot(0, 0));
}

TEST(TextBox, SizeUsesSinglePrecisionScaleAndFontWidthForZero) {
  int bw = 0, bh = 0;
  cWordDIB::BoxSize("AB", 10, 20, "DejaVu Sans", 400, false, bw, bh);
  EXPECT_EQ(bw, 42);
  EXPECT_EQ(bh, 42);
  // 15 x 2.0999999046 = 31.4999986: 31 (an exact 2.1 would give 31.5 and round to 32).
  cWordDIB::BoxSize("A", 15, 15, "DejaVu Sans", 400, false, bw, bh);
  EXPECT_EQ(bw, 31);
  EXPECT_EQ(bh, 31);
  cWordDIB::BoxSize("ABC", 0, 20, "DejaVu Sans", 400, false, bw, bh);
  EXPECT_GT(bw, 3 * 2);
  cWordDIB::BoxSize("", 10, 20, "DejaVu Sans", 400, false, bw, bh);
  EXPECT_EQ(bw, 0);
}

TEST(TextLogo, BlendExtremesAndInvisibleBlack) {
  CDIB img;
  fill(img, 120, 60, kGrey);
  Logo logo;
  logo.stamp(img);
  const auto letters = changed(img, kGrey, {{255, 0, 0}});
  EXPECT_GT(letters.size(), 20u);
  const int tw = measure(logo);
  for (const auto& [x, y] : letters) {
    EXPECT_LT(x, tw + 2);
    EXPECT_LT(y, logo.cellH);
  }

  CDIB half;
  fill(half, 120, 60, kGrey);
  logo.blend = 50;
  logo.stamp(half);
  EXPECT_EQ(changed(half, kGrey, {{172, 45, 45}}), letters);

  for (auto variant : {0, 1, 2}) {
    CDIB same;
    fill(same, 120, 60, kGrey);
    Logo l;
    if (variant == 0) l.blend = 0;
    if (variant == 1) l.colour = {0, 0, 0};
    if (variant == 2) l.text = "";
    l.stamp(same);
    EXPECT_TRUE(changed(same, kGrey).empty()) << "variant " << variant;
  }
}

TEST(TextLogo, LettersStayWholeInRowsWithPadding) {
  // One letter in a 10-wide cell makes a 21-pixel box: one pad byte per row, so whole-buffer walks
  // would straddle pixels in two of every three rows.
  CDIB img;
  fill(img, 37, 30, {200, 180, 160});
  Logo logo;
  logo.text = "W";
  logo.cellW = 10;
  logo.colour = {0, 0, 255};
  logo.stamp(img);
  EXPECT_FALSE(changed(img, {200, 180, 160}, {{0, 0, 255}}).empty());
}

TEST(TextLogo, PlacementOnThePicture) {
  const int W = 160, H = 80;
  Logo logo;
  const int tw = measure(logo);
  for (int code = 1; code <= 9; ++code) {
    CDIB img;
    fill(img, W, H, kGrey);
    logo.dire = code;
    logo.stamp(img);
    const auto letters = changed(img, kGrey);
    ASSERT_FALSE(letters.empty()) << code;
    int x0 = 0, y0 = 0;
    orvane::PlaceTextByCode(code, W, H, tw, logo.cellH, x0, y0);
    for (const auto& [x, y] : letters) {
      EXPECT_GE(x, x0) << code;
      EXPECT_GE(y, y0) << code;
      EXPECT_LT(y, y0 + logo.cellH) << code;
    }
  }
  // Code 9: the measured text ends at the right edge and starts one cell above the bottom.
  CDIB img;
  fill(img, W, H, kGrey);
  logo.dire = 9;
  logo.stamp(img);
  int right = 0, top = H;
  for (const auto& [x, y] : changed(img, kGrey)) right = std::max(right, x), top = std::min(top, y);
  EXPECT_GE(right, W - 4);
  EXPECT_GE(top, H - logo.cellH);

  // Percentages: the text starts at the given point.
  CDIB pct;
  fill(pct, 200, 100, kGrey);
  logo.dire = 10;
  logo.x = 50;
  logo.y = 50;
  logo.stamp(pct);
  int left = 200;
  top = 100;
  for (const auto& [x, y] : changed(pct, kGrey)) left = std::min(left, x), top = std::min(top, y);
  EXPECT_GE(left, 100);
  EXPECT_LE(left, 104);
  EXPECT_GE(top, 50);
}

TEST(TextLogo, ClippedAtTheEdgesWithoutTouchingRowPadding) {
  // Width 41: 123 bytes per row, one pad byte. The box runs far past the right and bottom edges.
  CDIB img;
  fill(img, 41, 25, kGrey);
  Logo logo;
  logo.text = "MMMM";
  logo.cellW = 12;
  logo.dire = 10;
  logo.x = 60;
  logo.y = 40;
  logo.stamp(img);
  const auto letters = changed(img, kGrey, {{255, 0, 0}});
  EXPECT_FALSE(letters.empty());
  for (const auto& [x, y] : letters) EXPECT_GE(x, 24);
  for (int y = 0; y < 25; ++y) EXPECT_EQ(img.hDC()->pixel(0, y)[123], 0) << "row " << y;
}

TEST(TextLogo, FontAttributesAndFallbackFace) {
  auto letters = [](const Logo& l) {
    CDIB img;
    fill(img, 200, 50, kGrey);
    l.stamp(img);
    return changed(img, kGrey);
  };
  Logo plain;
  plain.cellW = 0;  // the font's own width
  const auto base = letters(plain);
  ASSERT_FALSE(base.empty());

  Logo bold = plain;
  bold.weight = 700;
  EXPECT_GT(letters(bold).size(), base.size());
  Logo italic = plain;
  italic.italic = true;
  EXPECT_NE(letters(italic), base);
  Logo under = plain;
  under.underline = true;
  Logo strike = plain;
  strike.strike = true;
  for (const Logo* l : {&under, &strike}) {
    const auto lined = letters(*l);
    EXPECT_GT(lined.size(), base.size());
    for (const Spot& s : base) EXPECT_TRUE(lined.count(s)) << "lined text lost a letter pixel";
  }
  Logo wider = plain;
  wider.cellW = 14;
  int right = 0, baseRight = 0;
  for (const auto& s : letters(wider)) right = std::max(right, s.first);
  for (const auto& s : base) baseRight = std::max(baseRight, s.first);
  EXPECT_GT(right, baseRight);

  Logo missing = plain;
  missing.face = "No Such Face 0815";
  EXPECT_EQ(letters(missing), base);
}

TEST(TextImage, LettersFilledFromAPicture) {
  CDIB fillPicture;
  fill(fillPicture, 7, 5, {10, 200, 30});
  auto stamp = [&](CDIB& img, int colour, int ab, const QString& file, CDIB* picture) {
    cWordDIB().InsertTextImage(img, "Fill", 1, 0, 0, false, 9, 22, colour, "DejaVu Sans", 0, 700, false,
                               false, false, ab, file, picture);
  };
  CDIB img;
  fill(img, 100, 50, kGrey);
  stamp(img, 0xffffff, 100, "", &fillPicture);
  EXPECT_GT(changed(img, kGrey, {{10, 200, 30}}).size(), 20u);

  CDIB half;
  fill(half, 100, 50, kGrey);
  stamp(half, 0x0000ff, 50, "", &fillPicture);
  EXPECT_FALSE(changed(half, kGrey, {{50, 145, 60}}).empty());

  // Black letters, a black fill picture, no picture at all or an unreadable file change nothing.
  CDIB black;
  fill(black, 4, 4, {0, 0, 0});
  CDIB none;
  for (int variant = 0; variant < 4; ++variant) {
    CDIB same;
    fill(same, 100, 50, kGrey);
    if (variant == 0) stamp(same, 0, 100, "", &fillPicture);
    if (variant == 1) stamp(same, 0xffffff, 100, "", &black);
    if (variant == 2) stamp(same, 0xffffff, 100, "", &none);
    if (variant == 3) stamp(same, 0xffffff, 100, "/nonexistent/picture.bmp", &fillPicture);
    EXPECT_TRUE(changed(same, kGrey).empty()) << "variant " << variant;
  }
}

TEST(TextImage, LettersFilledFromAPictureFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("fill.bmp");
  QImage picture(6, 6, QImage::Format_RGB888);
  picture.fill(QColor(240, 20, 120));
  ASSERT_TRUE(picture.save(path));
  CDIB probe;
  if (!orvane::cFileDIB().MainOpen(path, probe)) GTEST_SKIP() << "the file class cannot read BMP files yet";
  CDIB img;
  fill(img, 100, 50, kGrey);
  cWordDIB().InsertTextImage(img, "File", 5, 0, 0, false, 9, 22, 0xffffff, "DejaVu Sans", 0, 700, false,
                             false, false, 100, path, nullptr);
  EXPECT_GT(changed(img, kGrey, {{240, 20, 120}}).size(), 20u);
}

}  // namespace
