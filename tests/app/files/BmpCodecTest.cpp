#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <cmath>
#include <cstring>
#include <vector>

#include "BmpCodec.h"
#include "FileBytes.h"
#include "cFileDIB.h"

using namespace orvane;

namespace {

void put16(QByteArray& b, uint32_t v) {
  b.append(static_cast<char>(v & 0xff));
  b.append(static_cast<char>((v >> 8) & 0xff));
}
void put32(QByteArray& b, uint32_t v) {
  put16(b, v & 0xffff);
  put16(b, v >> 16);
}

// The fields of a BMP file as the tests write them; defaults make a valid file.
struct Bmp {
  uint32_t headerSize = 40;
  int32_t width = 1, height = 1;
  uint32_t planes = 1, bits = 24, compression = 0, clrUsed = 0;
  std::vector<uint32_t> masks;    // red, green, blue[, alpha]
  std::vector<uint32_t> palette;  // 0xRRGGBB
  QByteArray pixels;
  int64_t offsetShift = 0;  // added to the true pixel offset, to make it lie

  QByteArray bytes() const {
    QByteArray info;
    put32(info, headerSize);
    if (headerSize == 12) {
      put16(info, static_cast<uint32_t>(width));
      put16(info, static_cast<uint32_t>(height));
      put16(info, planes);
      put16(info, bits);
    } else {
      put32(info, static_cast<uint32_t>(width));
      put32(info, static_cast<uint32_t>(height));
      put16(info, planes);
      put16(info, bits);
      put32(info, compression);
      put32(info, static_cast<uint32_t>(pixels.size()));
      put32(info, 2835);
      put32(info, 2835);
      put32(info, clrUsed);
      put32(info, 0);
      // Larger headers carry the masks inside; the 40-byte one right after it.
      for (size_t i = 0; i < masks.size(); ++i) put32(info, masks[i]);
      while (info.size() < static_cast<qsizetype>(headerSize)) info.append('\0');
    }
    for (uint32_t c : palette) {
      info.append(static_cast<char>(c & 0xff));
      info.append(static_cast<char>((c >> 8) & 0xff));
      info.append(static_cast<char>((c >> 16) & 0xff));
      if (headerSize != 12) info.append('\0');
    }
    QByteArray file("BM");
    put32(file, static_cast<uint32_t>(14 + info.size() + pixels.size()));
    put32(file, 0);
    put32(file, static_cast<uint32_t>(14 + info.size() + offsetShift));
    return file + info + pixels;
  }
};

// Rows of packed indices or values, each padded to 4 bytes, in the order given.
QByteArray packRows(const std::vector<std::vector<uint32_t>>& rows, int bits) {
  QByteArray out;
  for (const auto& row : rows) {
    QByteArray r;
    uint32_t acc = 0;
    int filled = 0;
    for (uint32_t v : row) {
      if (bits >= 8) {
        for (int b = 0; b < bits; b += 8) r.append(static_cast<char>((v >> b) & 0xff));
        continue;
      }
      acc = (acc << bits) | v;
      filled += bits;
      if (filled == 8) r.append(static_cast<char>(acc)), acc = 0, filled = 0;
    }
    if (filled > 0) r.append(static_cast<char>(acc << (8 - filled)));
    while (r.size() % 4 != 0) r.append('\xee');  // writers leave anything there
    out += r;
  }
  return out;
}

uint32_t lcg(uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 8;
}

// 0xRRGGBB of pixel (x, y), y from the top.
uint32_t colourAt(const CDIB& dib, int x, int y) {
  const uint8_t* p = dib.DIBPointer() + static_cast<size_t>(dib.Height() - 1 - y) * dib.SRB() + 3 * x;
  return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

// Every pixel against the expected colours (rows top first); the pad bytes must be zero.
void expectPicture(const CDIB& dib, int w, int h, const std::vector<uint32_t>& topFirst) {
  ASSERT_EQ(dib.Width(), w);
  ASSERT_EQ(dib.Height(), h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      ASSERT_EQ(colourAt(dib, x, y), topFirst[y * w + x]) << "at " << x << ", " << y;
  for (int y = 0; y < h; ++y)
    for (int i = 3 * w; i < dib.SRB(); ++i)
      ASSERT_EQ(dib.DIBPointer()[y * dib.SRB() + i], 0) << "pad of row " << y;
}

// Channel value v of a max-valued field, scaled to 8 bits and rounded.
uint32_t scaled(uint32_t v, uint32_t max) { return static_cast<uint32_t>(std::lround(v * 255.0 / max)); }

struct Read {
  bool ok;
  FileReport report;
  bool fileUntouched;  // the file road left its buffer as it was
};

// Reads the bytes both from memory and from a file; the two roads must agree
// to the byte, in the result, the reasons and the picture.
Read read(const QByteArray& file, CDIB& out, OpenOptions options = {}) {
  QTemporaryFile onDisk;
  EXPECT_TRUE(onDisk.open());
  EXPECT_EQ(onDisk.write(file), file.size());
  onDisk.close();
  CDIB viaFile;
  if (out.DIBPointer()) {
    EXPECT_TRUE(viaFile.CopyOf(out));
  }
  const uint8_t* before = viaFile.DIBPointer();
  FileReport fileReport;
  const bool fileOk = ReadBmpFile(onDisk.fileName(), viaFile, options, fileReport);

  Read r;
  r.ok = ReadBmp(file, out, options, r.report);
  r.fileUntouched = viaFile.DIBPointer() == before && viaFile.Width() == out.Width();
  EXPECT_EQ(fileOk, r.ok);
  EXPECT_EQ(fileReport.error, r.report.error);
  EXPECT_EQ(fileReport.warning, r.report.warning);
  if (r.ok && fileOk) {
    EXPECT_EQ(viaFile.Width(), out.Width());
    EXPECT_EQ(viaFile.Height(), out.Height());
    EXPECT_TRUE(viaFile.ByteCount() == out.ByteCount() &&
                std::memcmp(viaFile.DIBPointer(), out.DIBPointer(), out.ByteCount()) == 0)
        << "the file road gave other pixels";
  }
  return r;
}

}  // namespace

TEST(BmpCodec, PaletteLayoutsReadExactlyInEveryRowOrderAndHeader) {
  struct Case {
    const char* name;
    uint32_t headerSize;
    int bits, w;
    bool topDown;
    uint32_t clrUsed;
    int h = 4;
  };
  const Case cases[] = {
      {"1-bit, 9 wide", 40, 1, 9, false, 0},
      {"1-bit top-down", 40, 1, 17, true, 0},
      {"4-bit, 5 wide", 40, 4, 5, false, 0},
      {"4-bit, 6 colours", 40, 4, 7, true, 6},
      {"8-bit, 3 wide", 40, 8, 3, false, 0},
      {"8-bit, 20 colours", 40, 8, 6, true, 20},
      {"8-bit OS/2 core", 12, 8, 5, false, 0},
      {"4-bit OS/2 core", 12, 4, 3, false, 0},
      {"8-bit V4", 108, 8, 4, false, 0},
      {"8-bit V5 top-down", 124, 8, 7, true, 0},
      // Read from a file in blocks of rows: 26 rows of 40000 bytes a block.
      {"8-bit, rows in three blocks", 40, 8, 40000, true, 0, 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int h = c.h;
    const uint32_t colours = c.clrUsed ? c.clrUsed : 1u << c.bits;
    uint32_t state = static_cast<uint32_t>(c.bits * 31 + c.w);
    Bmp bmp;
    bmp.headerSize = c.headerSize, bmp.bits = c.bits, bmp.width = c.w, bmp.clrUsed = c.clrUsed;
    bmp.height = c.topDown ? -h : h;
    for (uint32_t i = 0; i < colours; ++i) bmp.palette.push_back(lcg(state) & 0xffffff);
    std::vector<std::vector<uint32_t>> fileRows(h);
    std::vector<uint32_t> expected(h * c.w);
    for (int fileRow = 0; fileRow < h; ++fileRow) {
      const int y = c.topDown ? fileRow : h - 1 - fileRow;
      for (int x = 0; x < c.w; ++x) {
        const uint32_t index = lcg(state) % colours;
        fileRows[fileRow].push_back(index);
        expected[y * c.w + x] = bmp.palette[index];
      }
    }
    bmp.pixels = packRows(fileRows, c.bits);
    CDIB out;
    const Read r = read(bmp.bytes(), out);
    ASSERT_TRUE(r.ok) << r.report.error.toStdString();
    EXPECT_TRUE(r.report.warning.isEmpty());
    expectPicture(out, c.w, h, expected);
  }
}

TEST(BmpCodec, DirectColourLayoutsScaleNarrowChannelsToFullRange) {
  struct Case {
    const char* name;
    uint32_t headerSize, bits, compression;
    std::vector<uint32_t> masks;  // red, green, blue as the file gives them
    uint32_t red, green, blue;    // the masks the decoder must apply
  };
  const Case cases[] = {
      {"24-bit", 40, 24, 0, {}, 0xff0000, 0xff00, 0xff},
      {"32-bit plain", 40, 32, 0, {}, 0xff0000, 0xff00, 0xff},
      {"16-bit plain is 5-5-5", 40, 16, 0, {}, 0x7c00, 0x03e0, 0x001f},
      {"16-bit 5-6-5 fields", 40, 16, 3, {0xf800, 0x07e0, 0x001f}, 0xf800, 0x07e0, 0x001f},
      {"16-bit 4-4-4-4 alpha fields", 40, 16, 6, {0x0f00, 0x00f0, 0x000f, 0xf000}, 0x0f00, 0x00f0, 0x000f},
      {"32-bit red in the low byte", 40, 32, 3, {0xff, 0xff00, 0xff0000}, 0xff, 0xff00, 0xff0000},
      {"32-bit 10-10-10 in a V5 header",
       124,
       32,
       3,
       {0x3ff00000, 0xffc00, 0x3ff},
       0x3ff00000,
       0xffc00,
       0x3ff},
      {"16-bit 5-6-5 in a 56-byte header", 56, 16, 3, {0xf800, 0x07e0, 0x001f, 0}, 0xf800, 0x07e0, 0x001f},
      {"16-bit, no green", 40, 16, 3, {0x7c00, 0, 0x001f}, 0x7c00, 0, 0x001f},
  };
  for (const Case& c : cases) {
    for (int w = 1; w <= 4; ++w) {
      SCOPED_TRACE(std::string(c.name) + ", width " + std::to_string(w));
      const int h = 3;
      const bool topDown = w % 2 == 0;
      uint32_t state = c.bits + w;
      const uint32_t all = c.bits == 32 ? 0xffffffffu : (1u << c.bits) - 1;
      std::vector<std::vector<uint32_t>> fileRows(h);
      std::vector<uint32_t> expected(h * w);
      auto channel = [](uint32_t v, uint32_t mask) {
        if (mask == 0) return 0u;
        int shift = 0;
        while (!((mask >> shift) & 1)) ++shift;
        return scaled((v & mask) >> shift, mask >> shift);
      };
      for (int fileRow = 0; fileRow < h; ++fileRow)
        for (int x = 0; x < w; ++x) {
          // The first pixels are the extremes: all ones must give 255.
          const uint32_t v = fileRow == 0 && x == 0   ? all
                             : fileRow == 0 && x == 1 ? 0
                                                      : (lcg(state) << 8 ^ lcg(state)) & all;
          fileRows[fileRow].push_back(v);
          expected[(topDown ? fileRow : h - 1 - fileRow) * w + x] =
              channel(v, c.red) << 16 | channel(v, c.green) << 8 | channel(v, c.blue);
        }
      Bmp bmp;
      bmp.headerSize = c.headerSize, bmp.bits = c.bits, bmp.compression = c.compression, bmp.masks = c.masks;
      bmp.width = w, bmp.height = topDown ? -h : h;
      bmp.pixels = packRows(fileRows, c.bits);
      CDIB out;
      const Read r = read(bmp.bytes(), out);
      ASSERT_TRUE(r.ok) << r.report.error.toStdString();
      expectPicture(out, w, h, expected);
    }
  }
  // Spot values worked out by hand: 5-bit 31 and 6-bit 63 are full, 5-bit 16 is 131.6.
  Bmp bmp;
  bmp.bits = 16, bmp.width = 3, bmp.compression = 3, bmp.masks = {0xf800, 0x07e0, 0x001f};
  bmp.pixels = packRows({{0xffff, 0x8000 | 0x0400 | 0x10, 0x0001}}, 16);
  CDIB out;
  ASSERT_TRUE(read(bmp.bytes(), out).ok);
  EXPECT_EQ(colourAt(out, 0, 0), 0xffffffu);
  EXPECT_EQ(colourAt(out, 1, 0), 0x848284u);  // 16/31, 32/63, 16/31
  EXPECT_EQ(colourAt(out, 2, 0), 0x000008u);  // 1/31 of 255 is 8.2
}

namespace {

// A 6 x 4 palette picture: index i is colour kRleColours[i].
const std::vector<uint32_t> kRleColours = {0x000000, 0xff0000, 0x00ff00, 0x0000ff, 0xffff00, 0x00ffff,
                                           0xff00ff, 0x808080, 0x123456, 0x654321, 0xabcdef, 0xfedcba,
                                           0x111111, 0x222222, 0x333333, 0x444444};

Bmp rleBmp(int bits, const QByteArray& stream) {
  Bmp bmp;
  bmp.bits = bits, bmp.compression = bits == 8 ? 1 : 2;
  bmp.width = 6, bmp.height = 4;
  bmp.palette = kRleColours;
  bmp.pixels = stream;
  return bmp;
}

// The stream's pixels as indices, top row first; -1 is black (skipped).
std::vector<uint32_t> rleColours(const std::vector<int>& indices) {
  std::vector<uint32_t> out;
  for (int i : indices) out.push_back(i < 0 ? 0 : kRleColours[i]);
  return out;
}

}  // namespace

TEST(BmpCodec, RunLengthStreamsDecodeRunsLiteralsMovesAndEnds) {
  // Bottom row: a run of 3 of index 1, literal 1 2 3 (odd, padded), end of line.
  // Row 1: literal 4 5 6 (odd, padded), move 2 right and 1 up (to row 2, column 5).
  // Row 2: one pixel of 7 in the last column, end of line. Row 3: end of picture.
  const QByteArray rle8(
      "\x03\x01\x00\x03\x01\x02\x03\x00\x00\x00"
      "\x00\x03\x04\x05\x06\x00\x00\x02\x02\x01"
      "\x01\x07\x00\x00"
      "\x00\x01",
      26);
  // RLE4: a run alternates the two nibbles; literals are packed two a byte.
  // Bottom row: run of 5 of 1/2, run of 1 of 3, end of line. Row 1: literal 4 5 6 7 8 9 (3 bytes,
  // padded), end of line. Row 2: move 3 right, run of 3 of 10/11. Then the end of the picture.
  const QByteArray rle4(
      "\x05\x12\x01\x30\x00\x00"
      "\x00\x06\x45\x67\x89\x00\x00\x00"
      "\x00\x02\x03\x00\x03\xab"
      "\x00\x01",
      22);
  const std::vector<uint32_t> expected8 = rleColours({
      -1, -1, -1, -1, -1, -1,  //
      -1, -1, -1, -1, -1, 7,   //
      4,  5,  6,  -1, -1, -1,  //
      1,  1,  1,  1,  2,  3,   //
  });
  const std::vector<uint32_t> expected4 = rleColours({
      -1, -1, -1, -1, -1, -1,  //
      -1, -1, -1, 10, 11, 10,  //
      4,  5,  6,  7,  8,  9,   //
      1,  2,  1,  2,  1,  3,   //
  });
  for (const auto& [bits, stream, expected] :
       {std::tuple{8, rle8, expected8}, std::tuple{4, rle4, expected4}}) {
    SCOPED_TRACE(bits);
    CDIB out;
    const Read r = read(rleBmp(bits, stream).bytes(), out);
    ASSERT_TRUE(r.ok) << r.report.error.toStdString();
    EXPECT_TRUE(r.report.warning.isEmpty());
    expectPicture(out, 6, 4, expected);
  }
}

TEST(BmpCodec, TruncatedDataIsRefusedUnlessLenientThenTheRestIsBlack) {
  // Two full bottom rows of RLE8 (a run, then a run and a literal), then the
  // stream stops inside a literal of the third.
  const QByteArray rle("\x06\x01\x00\x00\x03\x07\x00\x03\x02\x03\x04\x00\x00\x00", 14);
  const QByteArray cut = rleBmp(8, rle + QByteArray("\x00\x05\x01\x02", 4)).bytes();
  const std::vector<uint32_t> keptRle = rleColours({
      -1, -1, -1, -1, -1, -1,  //
      -1, -1, -1, -1, -1, -1,  //
      7,  7,  7,  2,  3,  4,   //
      1,  1,  1,  1,  1,  1,   //
  });
  // 24-bit, 2 x 3, cut in the middle of the second row (from the bottom).
  Bmp plain;
  plain.width = 2, plain.height = 3;
  plain.pixels = packRows({{0x0000ff, 0x00ff00}, {0xff0000, 0xffffff}, {0x123456, 0x654321}}, 24);
  plain.pixels.truncate(8 + 3);
  const std::vector<uint32_t> keptPlain = {0, 0, 0, 0, 0x0000ff, 0x00ff00};
  // A palette index past the palette's end.
  Bmp badIndex;
  badIndex.bits = 8, badIndex.width = 2, badIndex.clrUsed = 2, badIndex.palette = {0x112233, 0x445566};
  badIndex.pixels = packRows({{1, 7}}, 8);

  for (const auto& [name, file, w, h, kept] :
       {std::tuple{"run-length", cut, 6, 4, keptRle},
        std::tuple{"uncompressed", plain.bytes(), 2, 3, keptPlain},
        std::tuple{"index past the palette", badIndex.bytes(), 2, 1, std::vector<uint32_t>{0x445566, 0}}}) {
    SCOPED_TRACE(name);
    CDIB strict;
    const Read refused = read(file, strict);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.report.error, kDamaged);
    CDIB lenient;
    const Read accepted = read(file, lenient, OpenOptions{.lenient = true});
    ASSERT_TRUE(accepted.ok) << accepted.report.error.toStdString();
    EXPECT_EQ(accepted.report.warning, kDamaged);
    expectPicture(lenient, w, h, kept);
  }
  // Nothing decoded is nothing to keep, even when lenient.
  CDIB out;
  EXPECT_FALSE(read(rleBmp(8, QByteArray("\x00\x00\x00", 3)).bytes(), out, OpenOptions{.lenient = true}).ok);
}

TEST(BmpCodec, LyingHeadersAreRefusedBeforeAnythingIsAllocated) {
  Bmp huge;  // 4000 x 4000 claimed, a few bytes given
  huge.width = 4000, huge.height = 4000, huge.pixels = QByteArray(12, '\x7f');
  Bmp hugeRle = rleBmp(8, QByteArray("\x02\x01\x00\x00\x00\x01", 6));
  hugeRle.width = 4000, hugeRle.height = 4000;
  Bmp palette;  // 300 colours in an 8-bit file
  palette.bits = 8, palette.clrUsed = 300, palette.palette.assign(300, 0x808080),
  palette.pixels = QByteArray(4, 0);
  Bmp offsetPast = palette;  // pixel data beyond the end of the file
  offsetPast.clrUsed = 0, offsetPast.palette.assign(256, 0), offsetPast.offsetShift = 4000;
  Bmp offsetInside = offsetPast;  // pixel data inside the palette it declares
  offsetInside.clrUsed = 256, offsetInside.offsetShift = -100;
  Bmp overBudget;
  overBudget.width = 20, overBudget.height = -20, overBudget.pixels = QByteArray(20 * 60, 0);
  Bmp tooTall;  // the row bytes alone pass a 32-bit count
  tooTall.width = 46341, tooTall.height = 46341;
  const std::tuple<const char*, QByteArray, QString, int64_t> cases[] = {
      {"size", huge.bytes(), kDamaged, 0},
      {"run-length size", hugeRle.bytes(), kDamaged, 0},
      {"palette", palette.bytes(), kDamaged, 0},
      {"offset past the end", offsetPast.bytes(), kDamaged, 0},
      {"offset inside the palette", offsetInside.bytes(), kDamaged, 0},
      {"budget", overBudget.bytes(), TooLargeReason(20, 20), 399},
      {"32-bit byte count", tooTall.bytes(), TooLargeReason(46341, 46341), int64_t{46341} * 46341},
  };
  for (const auto& [name, file, reason, budget] : cases) {
    SCOPED_TRACE(name);
    CDIB out;
    ASSERT_TRUE(out.Create(2, 2));
    const uint8_t* before = out.DIBPointer();
    for (bool lenient : {false, true}) {
      const Read r = read(file, out, OpenOptions{.lenient = lenient, .maxPixels = budget});
      EXPECT_FALSE(r.ok);
      EXPECT_EQ(r.report.error, reason);
      // Untouched: the buffer was never reshaped.
      EXPECT_EQ(out.DIBPointer(), before);
      EXPECT_TRUE(r.fileUntouched);
      EXPECT_EQ(out.Width(), 2);
    }
  }
  // Within the budget the same picture reads.
  CDIB out;
  EXPECT_TRUE(read(overBudget.bytes(), out, OpenOptions{.maxPixels = 400}).ok);
}

// The layouts of a public BMP test suite's "bad" set, each written here, and
// the layouts this reader leaves to Qt's.
TEST(BmpCodec, BadFilesAreRefusedAndForeignLayoutsAreLeftToQt) {
  auto with = [](auto change) {
    Bmp bmp;
    bmp.width = 2, bmp.height = 2;
    bmp.pixels = QByteArray(16, '\x40');
    change(bmp);
    return bmp.bytes();
  };
  QByteArray notBmp = with([](Bmp&) {});
  notBmp[1] = 'A';
  Bmp badRle = rleBmp(8, QByteArray("\x07\x01\x00\x01", 4));           // a run longer than the row
  Bmp badMove = rleBmp(8, QByteArray("\x00\x02\x01\x04\x00\x01", 6));  // a move past the top
  Bmp rleTopDown = rleBmp(8, QByteArray("\x00\x01", 2));
  rleTopDown.height = -4;
  const std::pair<const char*, QByteArray> refused[] = {
      {"bit count 7", with([](Bmp& b) { b.bits = 7; })},
      {"header size 66", with([](Bmp& b) { b.headerSize = 66; })},
      {"two planes", with([](Bmp& b) { b.planes = 2; })},
      {"negative width", with([](Bmp& b) { b.width = -2; })},
      {"zero height", with([](Bmp& b) { b.height = 0; })},
      {"bit fields on 24 bits", with([](Bmp& b) {
         b.compression = 3, b.masks = {0xff0000, 0xff00, 0xff};
       })},
      {"mask with a hole", with([](Bmp& b) {
         b.bits = 16, b.compression = 3, b.masks = {0xf100, 0x07e0, 0x1f};
       })},
      {"mask past 16 bits", with([](Bmp& b) {
         b.bits = 16, b.compression = 3, b.masks = {0x1f0000, 0x3e0, 0x1f};
       })},
      {"RLE8 on 4 bits", with([](Bmp& b) { b.bits = 4, b.compression = 1; })},
      {"run past the row", badRle.bytes()},
      {"move past the top", badMove.bytes()},
      {"top-down run-length", rleTopDown.bytes()},
      {"cut in the header", with([](Bmp&) {}).left(30)},
      {"cut in the pixels", with([](Bmp&) {}).chopped(1)},
  };
  for (const auto& [name, file] : refused) {
    SCOPED_TRACE(name);
    CDIB out;
    const Read r = read(file, out);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.report.error, kDamaged);
  }
  CDIB out;
  EXPECT_EQ(read(notBmp, out).report.error, NotFormatReason("BMP"));

  const std::pair<const char*, QByteArray> foreign[] = {
      {"embedded JPEG", with([](Bmp& b) { b.bits = 0, b.compression = 4; })},
      {"embedded PNG", with([](Bmp& b) { b.bits = 0, b.compression = 5; })},
      {"64-bit", with([](Bmp& b) { b.bits = 64; })},
      {"2-bit", with([](Bmp& b) {
         b.bits = 2, b.palette = {0, 1, 2, 3};
       })},
      {"OS/2 2.x header", with([](Bmp& b) { b.headerSize = 64; })},
  };
  for (const auto& [name, file] : foreign) {
    SCOPED_TRACE(name);
    CDIB out;
    const Read r = read(file, out);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.report.error.isEmpty()) << r.report.error.toStdString();
  }
}

TEST(BmpCodec, WriterRoundTripsEveryRowPaddingAndReportsWhereItCannotWrite) {
  QTemporaryDir dir;
  for (int w = 1; w <= 4; ++w) {
    SCOPED_TRACE(w);
    const int h = 3;
    CDIB picture;
    ASSERT_TRUE(picture.Create(w, h));
    uint32_t state = w;
    for (int y = 0; y < h; ++y)
      for (int i = 0; i < 3 * w; ++i) picture.DIBPointer()[y * picture.SRB() + i] = lcg(state) & 0xff;
    const QString name = dir.filePath(QString("w%1.bmp").arg(w));
    FileReport report;
    ASSERT_TRUE(WriteBmp(picture, name, report));
    // Qt's reader checks the headers; the pixel area must be the rows as they lie, padding included.
    const QImage viaQt(name, "bmp");
    ASSERT_EQ(viaQt.size(), QSize(w, h));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) EXPECT_EQ(viaQt.pixel(x, y) & 0xffffff, colourAt(picture, x, y));
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray file = f.readAll();
    ASSERT_EQ(file.size(), 54 + static_cast<qsizetype>(picture.ByteCount()));
    EXPECT_EQ(std::memcmp(file.constData() + 54, picture.DIBPointer(), picture.ByteCount()), 0);
  }
  CDIB picture;
  ASSERT_TRUE(picture.Create(2, 2));
  FileReport report;
  EXPECT_FALSE(WriteBmp(picture, dir.filePath("no such folder/x.bmp"), report));
  EXPECT_EQ(report.error, CannotWriteReason("No such file or directory"));
}

// The file class reads BMP through this reader (16-bit white stays white) and
// still opens the layouts it leaves to Qt.
TEST(BmpCodec, OpeningAFileUsesThisReaderAndFallsBackToQt) {
  QTemporaryDir dir;
  auto write = [&](const char* name, const QByteArray& bytes) {
    return testing_support::writeFile(dir.filePath(name), bytes);
  };
  Bmp white16;
  white16.bits = 16, white16.width = 2;
  white16.pixels = packRows({{0x7fff, 0x7fff}}, 16);
  ASSERT_TRUE(write("white16.bmp", white16.bytes()));
  Bmp os2;  // a 64-byte OS/2 2.x header on a plain 24-bit picture
  os2.headerSize = 64, os2.width = 2, os2.height = 1;
  os2.pixels = packRows({{0x102030, 0x405060}}, 24);
  ASSERT_TRUE(write("os2.bmp", os2.bytes()));
  cFileDIB files;
  CDIB image;
  ASSERT_TRUE(files.MainOpen(dir.filePath("white16.bmp"), image));
  EXPECT_EQ(colourAt(image, 0, 0), 0xffffffu);
  EXPECT_EQ(colourAt(image, 1, 0), 0xffffffu);
  ASSERT_TRUE(files.MainOpen(dir.filePath("os2.bmp"), image));
  expectPicture(image, 2, 1, {0x102030, 0x405060});
}
