// PNG files written here with libpng, pixel by pixel, and what the program
// must make of them: every colour type and depth, alpha over white, 16-bit
// channels rounded, interlacing, colour profiles.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <csetjmp>
#include <vector>

#include "PictureFormats.h"
#include "WideGamutProfile.h"
#include "cFileDIB.h"

using namespace orvane;

namespace {

struct PngLayout {
  const char* name;
  int colourType;
  int depth;
  bool interlaced = false;
  bool transparency = false;  // a tRNS chunk
};

int channelsOf(int colourType) {
  switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
      return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB:
      return 3;
    default:
      return 4;
  }
}

// A sample value below 2^depth for every position and channel.
uint32_t sample(int x, int y, int c, int depth) {
  const uint32_t h = static_cast<uint32_t>(x * 2654435761u ^ (y + 7) * 40503u ^ (c + 1) * 2246822519u);
  return (h ^ (h >> 13)) & ((1u << depth) - 1);
}

uint8_t paletteColour(int index, int c) { return static_cast<uint8_t>(index * 37 + c * 91 + 11); }
uint8_t paletteAlpha(int index) { return static_cast<uint8_t>(index * 53 + 5); }
constexpr uint32_t kTransparentGrey = 3;

// v of a depth-bit channel as 8 bits, rounded to nearest.
uint8_t to8(uint32_t v, int depth) {
  return static_cast<uint8_t>(std::lround(v * 255.0 / ((1u << depth) - 1)));
}
uint8_t overWhite(uint8_t v, uint8_t a) {
  return static_cast<uint8_t>(std::lround((v * a + 255.0 * (255 - a)) / 255));
}

void appendBytes(png_structp png, png_bytep data, size_t n) {
  static_cast<QByteArray*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), n);
}

// The file, and the red-green-blue picture it shows over white.
QByteArray makePng(const PngLayout& layout, int w, int h, std::vector<uint8_t>* expectedRgb,
                   const QByteArray& icc = {}) {
  QByteArray out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, appendBytes, nullptr);
  png_set_IHDR(png, info, w, h, layout.depth, layout.colourType,
               layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  const int entries = 1 << layout.depth;
  std::vector<png_color> palette(layout.colourType == PNG_COLOR_TYPE_PALETTE ? entries : 0);
  std::vector<png_byte> alphas(palette.size());
  for (int i = 0; i < static_cast<int>(palette.size()); ++i) {
    palette[i] = {paletteColour(i, 0), paletteColour(i, 1), paletteColour(i, 2)};
    alphas[i] = paletteAlpha(i);
  }
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), entries);
  png_color_16 greyKey{};
  greyKey.gray = kTransparentGrey;
  if (layout.transparency)
    png_set_tRNS(png, info, palette.empty() ? nullptr : alphas.data(), static_cast<int>(alphas.size()),
                 palette.empty() ? &greyKey : nullptr);
  if (!icc.isEmpty())
    png_set_iCCP(png, info, "test", 0, reinterpret_cast<png_const_bytep>(icc.constData()),
                 static_cast<png_uint_32>(icc.size()));
  png_write_info(png, info);

  const int channels = channelsOf(layout.colourType);
  const size_t rowBytes = (static_cast<size_t>(w) * channels * layout.depth + 7) / 8;
  std::vector<std::vector<png_byte>> rows(h, std::vector<png_byte>(rowBytes, 0));
  expectedRgb->assign(static_cast<size_t>(w) * h * 3, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t v[4] = {};
      for (int c = 0; c < channels; ++c) {
        v[c] = sample(x, y, c, layout.depth);
        const size_t bit = (static_cast<size_t>(x) * channels + c) * layout.depth;
        if (layout.depth == 16) {
          rows[y][bit / 8] = static_cast<png_byte>(v[c] >> 8);
          rows[y][bit / 8 + 1] = static_cast<png_byte>(v[c]);
        } else {
          rows[y][bit / 8] |= static_cast<png_byte>(v[c] << (8 - layout.depth - bit % 8));
        }
      }
      uint8_t rgb[3], alpha = 255;
      switch (layout.colourType) {
        case PNG_COLOR_TYPE_PALETTE:
          for (int c = 0; c < 3; ++c) rgb[c] = paletteColour(static_cast<int>(v[0]), c);
          if (layout.transparency) alpha = paletteAlpha(static_cast<int>(v[0]));
          break;
        case PNG_COLOR_TYPE_GRAY:
        case PNG_COLOR_TYPE_GRAY_ALPHA:
          rgb[0] = rgb[1] = rgb[2] = to8(v[0], layout.depth);
          if (channels == 2) alpha = to8(v[1], layout.depth);
          if (layout.transparency && v[0] == kTransparentGrey) alpha = 0;
          break;
        default:
          for (int c = 0; c < 3; ++c) rgb[c] = to8(v[c], layout.depth);
          if (channels == 4) alpha = to8(v[3], layout.depth);
      }
      for (int c = 0; c < 3; ++c)
        (*expectedRgb)[(static_cast<size_t>(y) * w + x) * 3 + c] = overWhite(rgb[c], alpha);
    }
  }
  std::vector<png_bytep> pointers(h);
  for (int y = 0; y < h; ++y) pointers[y] = rows[y].data();
  png_write_image(png, pointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

// Red, green, blue of pixel (x, y), y from the top.
std::vector<int> rgbAt(const CDIB& dib, int x, int y) {
  const uint8_t* p = dib.DIBPointer() + static_cast<size_t>(dib.Height() - 1 - y) * dib.SRB() + 3 * x;
  return {p[2], p[1], p[0]};
}

void expectPicture(const CDIB& dib, int w, int h, const std::vector<uint8_t>& rgb) {
  ASSERT_EQ(dib.Width(), w);
  ASSERT_EQ(dib.Height(), h);
  int wrong = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* e = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      if (rgbAt(dib, x, y) != std::vector<int>{e[0], e[1], e[2]} && ++wrong <= 3)
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << rgbAt(dib, x, y)[0] << " "
                      << rgbAt(dib, x, y)[1] << " " << rgbAt(dib, x, y)[2] << " instead of " << int(e[0])
                      << " " << int(e[1]) << " " << int(e[2]);
    }
}

}  // namespace

TEST(PngFile, EveryColourTypeAndDepthOpensAsItsPixelsOverWhite) {
  const PngLayout layouts[] = {
      {"palette 1", PNG_COLOR_TYPE_PALETTE, 1},
      {"palette 2", PNG_COLOR_TYPE_PALETTE, 2},
      {"palette 4", PNG_COLOR_TYPE_PALETTE, 4},
      {"palette 8", PNG_COLOR_TYPE_PALETTE, 8},
      {"palette 8 with alphas", PNG_COLOR_TYPE_PALETTE, 8, false, true},
      {"palette 2 interlaced", PNG_COLOR_TYPE_PALETTE, 2, true},
      {"grey 1", PNG_COLOR_TYPE_GRAY, 1},
      {"grey 2", PNG_COLOR_TYPE_GRAY, 2},
      {"grey 4", PNG_COLOR_TYPE_GRAY, 4},
      {"grey 8", PNG_COLOR_TYPE_GRAY, 8},
      {"grey 8 with a transparent grey", PNG_COLOR_TYPE_GRAY, 8, false, true},
      {"grey 16", PNG_COLOR_TYPE_GRAY, 16},
      {"grey+alpha 8", PNG_COLOR_TYPE_GRAY_ALPHA, 8},
      {"grey+alpha 16", PNG_COLOR_TYPE_GRAY_ALPHA, 16},
      {"rgb 8", PNG_COLOR_TYPE_RGB, 8},
      {"rgb 16", PNG_COLOR_TYPE_RGB, 16},
      {"rgba 8", PNG_COLOR_TYPE_RGB_ALPHA, 8},
      {"rgba 16", PNG_COLOR_TYPE_RGB_ALPHA, 16},
      {"rgb 8 interlaced", PNG_COLOR_TYPE_RGB, 8, true},
      {"rgba 16 interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 16, true},
  };
  for (const PngLayout& layout : layouts) {
    SCOPED_TRACE(layout.name);
    std::vector<uint8_t> expected;
    const QByteArray file = makePng(layout, 13, 7, &expected);
    ASSERT_FALSE(file.isEmpty());
    CDIB picture;
    FileReport report;
    ASSERT_TRUE(ReadPng(file, picture, OpenOptions{}, report)) << report.error.toStdString();
    expectPicture(picture, 13, 7, expected);
  }
}

TEST(PngFile, SavedPicturesComeBackExactlyAndGreyStaysGrey) {
  QTemporaryDir dir;
  cFileDIB files;
  CDIB picture;
  ASSERT_TRUE(picture.Create(9, 5));  // 27 bytes a row: padded
  for (int32_t row = 0; row < 5; ++row)
    for (int32_t i = 0; i < 27; ++i)
      picture.DIBPointer()[row * picture.SRB() + i] = static_cast<uint8_t>(row * 51 + i * 29);
  ASSERT_TRUE(files.MainSave(dir.filePath("a.PNG"), picture));
  CDIB back;
  ASSERT_TRUE(files.MainOpen(dir.filePath("a.PNG"), back));
  ASSERT_EQ(back.Width(), 9);
  ASSERT_EQ(back.Height(), 5);
  EXPECT_EQ(std::memcmp(back.DIBPointer(), picture.DIBPointer(), picture.ByteCount()), 0);

  std::vector<uint8_t> expected;
  QFile grey(dir.filePath("grey.png"));
  ASSERT_TRUE(grey.open(QIODevice::WriteOnly));
  grey.write(makePng({"grey 16", PNG_COLOR_TYPE_GRAY, 16}, 6, 4, &expected));
  grey.close();
  ASSERT_TRUE(files.MainOpen(dir.filePath("grey.png"), back));
  ASSERT_TRUE(files.MainSave(dir.filePath("again.png"), back));
  ASSERT_TRUE(files.MainOpen(dir.filePath("again.png"), back));
  expectPicture(back, 6, 4, expected);
}

TEST(PngFile, DamagedFilesAreRefusedOrKeptWhenLenient) {
  std::vector<uint8_t> expected;
  const int w = 256, h = 64;
  const QByteArray file = makePng({"rgb 8", PNG_COLOR_TYPE_RGB, 8}, w, h, &expected);
  const QByteArray half = file.left(file.size() / 2);
  CDIB picture;
  FileReport report;
  EXPECT_FALSE(ReadPng(half, picture, OpenOptions{}, report));
  EXPECT_EQ(report.error, kDamaged);
  EXPECT_EQ(picture.DIBPointer(), nullptr);

  report = {};
  EXPECT_FALSE(ReadPng(QByteArray("GIF89a and more bytes"), picture, OpenOptions{}, report));
  EXPECT_EQ(report.error, NotFormatReason("PNG"));

  // Lenient: the rows that arrived are kept exactly, the rest is black.
  report = {};
  OpenOptions lenient;
  lenient.lenient = true;
  ASSERT_TRUE(ReadPng(half, picture, lenient, report));
  EXPECT_EQ(report.warning, kDamaged);
  const size_t topRight = (size_t{w} - 1) * 3;
  EXPECT_EQ(rgbAt(picture, w - 1, 0),
            (std::vector<int>{expected[topRight], expected[topRight + 1], expected[topRight + 2]}));
  EXPECT_EQ(rgbAt(picture, 0, h - 1), (std::vector<int>{0, 0, 0}));

  // A header claiming more than the budget is refused before any pixel is allocated.
  QByteArray huge = file;
  const char size[8] = {0, 0, 0x4e, 0x20, 0, 0, 0x4e, 0x20};  // 20000 x 20000
  huge.replace(16, 8, QByteArray(size, 8));
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(huge.constData() + 12), 17);
  for (int i = 0; i < 4; ++i) huge[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
  report = {};
  OpenOptions small;
  small.maxPixels = 1 << 20;
  EXPECT_FALSE(ReadPng(huge, picture, small, report));
  EXPECT_EQ(report.error.toStdString(), TooLargeReason(20000, 20000).toStdString());
}

TEST(PngFile, AnEmbeddedProfileIsConvertedToSrgb) {
  const QByteArray icc = wideGamutProfile();
  ASSERT_FALSE(icc.isEmpty());

  std::vector<uint8_t> stored;
  const QByteArray file = makePng({"rgb 8", PNG_COLOR_TYPE_RGB, 8}, 13, 7, &stored, icc);
  CDIB picture;
  FileReport report;
  ASSERT_TRUE(ReadPng(file, picture, OpenOptions{}, report));

  // The same colours through the profiles' own definitions: linear wide RGB ->
  // XYZ -> linear sRGB (both D65) -> sRGB's curve.
  const double toXyz[3][3] = {{0.5767, 0.1856, 0.1882}, {0.2973, 0.6274, 0.0753}, {0.0270, 0.0707, 0.9911}};
  const double toSrgb[3][3] = {
      {3.2406, -1.5372, -0.4986}, {-0.9689, 1.8758, 0.0415}, {0.0557, -0.2040, 1.0570}};
  int checked = 0, saturated = 0;
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) {
      const uint8_t* s = &stored[(static_cast<size_t>(y) * 13 + x) * 3];
      double lin[3], xyz[3] = {}, out[3] = {};
      for (int c = 0; c < 3; ++c) lin[c] = std::pow(s[c] / 255.0, 2.2);
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) xyz[r] += toXyz[r][c] * lin[c];
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) out[r] += toSrgb[r][c] * xyz[c];
      bool inGamut = true;
      int expected[3];
      for (int c = 0; c < 3; ++c) {
        inGamut = inGamut && out[c] >= 0.0 && out[c] <= 1.0;
        const double v = out[c] <= 0.0031308 ? 12.92 * out[c] : 1.055 * std::pow(out[c], 1 / 2.4) - 0.055;
        expected[c] = static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
      }
      if (!inGamut) continue;  // how colours outside sRGB are brought in is the engine's choice
      ++checked;
      const std::vector<int> got = rgbAt(picture, x, y);
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[c], expected[c], 3) << x << "," << y << " channel " << c;
      if (got != std::vector<int>{s[0], s[1], s[2]}) ++saturated;
    }
  EXPECT_GT(checked, 10);
  EXPECT_GT(saturated, checked / 2);
}
