#include <gtest/gtest.h>
#include <tiffio.h>

#include <functional>

#include "Orientations.h"
#include "OstrelFiles.h"
#include "PixelBuffer.h"
#include "ostrel.h"

using namespace ostrel_test;
using testing_support::PixelBuffer;
using testing_support::randomBuffer;

namespace {

// Decodes through the info call into a fresh buffer; false on failure.
bool decode(const std::string& name, PixelBuffer& out) {
  int32_t w = 0, h = 0;
  if (!GetTIFInfo(name.c_str(), &w, &h)) return false;
  out = PixelBuffer(w, h, 0xEE);
  return GetTIF(name.c_str(), out.data(), out.stride, 1) != 0;
}

bool samePixels(const PixelBuffer& a, const PixelBuffer& b) {
  if (a.width != b.width || a.height != b.height) return false;
  for (int32_t y = 0; y < a.height; ++y)
    for (int32_t x = 0; x < a.width; ++x)
      for (int c = 0; c < 3; ++c)
        if (a.at(x, y, c) != b.at(x, y, c)) return false;
  return true;
}

// Writes a TIFF with libtiff directly; `fill` sets the tags and writes the data.
void makeTiff(const std::string& name, const std::function<void(TIFF*)>& fill) {
  TIFF* t = TIFFOpen(name.c_str(), "w");
  ASSERT_NE(t, nullptr);
  fill(t);
  TIFFClose(t);
}

void basicTags(TIFF* t, uint32_t w, uint32_t h, uint16_t bits, uint16_t samples, uint16_t photometric) {
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
}

}  // namespace

TEST(Tiff, RoundTripGivesExactPixelsForEveryPadding) {
  ScratchDir dir;
  for (int32_t width : {1, 2, 3, 4, 5, 6, 7, 333}) {
    SCOPED_TRACE(width);
    const PixelBuffer picture = randomBuffer(width, 11, static_cast<uint32_t>(width));
    const std::string name = dir.file("round trip é.tif");
    ASSERT_TRUE(OutTIF(name.c_str(), picture.data(), picture.stride, picture.size(), width, 11, 1));
    PixelBuffer back;
    ASSERT_TRUE(decode(name, back));
    EXPECT_TRUE(samePixels(picture, back));
    for (int32_t row = 0; row < back.height; ++row)
      for (int32_t i = 3 * width; i < back.stride; ++i) ASSERT_EQ(back.mem(0, row, 0 + i), 0xEE);
  }
}

TEST(Tiff, WritesCompressedTopDownRgb) {
  ScratchDir dir;
  const PixelBuffer picture(300, 200, 0x5A);
  const std::string name = dir.file("flat.tif");
  ASSERT_TRUE(OutTIF(name.c_str(), picture.data(), picture.stride, picture.size(), 300, 200, 1));
  TIFF* t = TIFFOpen(name.c_str(), "r");
  ASSERT_NE(t, nullptr);
  uint16_t compression = 0, photometric = 0, bits = 0, samples = 0, orientation = 0;
  TIFFGetField(t, TIFFTAG_COMPRESSION, &compression);
  TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric);
  TIFFGetField(t, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetField(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(t, TIFFTAG_ORIENTATION, &orientation);
  TIFFClose(t);
  EXPECT_TRUE(compression == COMPRESSION_ADOBE_DEFLATE || compression == COMPRESSION_LZW);
  EXPECT_EQ(photometric, PHOTOMETRIC_RGB);
  EXPECT_EQ(bits, 8);
  EXPECT_EQ(samples, 3);
  EXPECT_EQ(orientation, ORIENTATION_TOPLEFT);
  EXPECT_LT(readBytes(name).size(), 20000u);  // 180000 bytes of one colour
}

TEST(Tiff, ReadsPaletteGreyTiledAndFlippedFiles) {
  ScratchDir dir;
  PixelBuffer back;

  // 8-bit palette: index 1 is a full-range 16-bit orange.
  makeTiff(dir.file("palette.tif"), [](TIFF* t) {
    basicTags(t, 2, 1, 8, 1, PHOTOMETRIC_PALETTE);
    std::vector<uint16_t> r(256, 0), g(256, 0), b(256, 0);
    r[1] = 0xFFFF, g[1] = 0x8080;
    TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
    uint8_t row[2] = {1, 0};
    TIFFWriteScanline(t, row, 0, 0);
  });
  ASSERT_TRUE(decode(dir.file("palette.tif"), back));
  EXPECT_EQ(back.at(0, 0, 2), 255);
  EXPECT_EQ(back.at(0, 0, 1), 128);
  EXPECT_EQ(back.at(0, 0, 0), 0);
  EXPECT_EQ(back.at(1, 0, 2), 0);

  // 8-bit grey, LZW compressed, two rows: top row 10, bottom row 200.
  makeTiff(dir.file("grey.tif"), [](TIFF* t) {
    basicTags(t, 3, 2, 8, 1, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    uint8_t top[3] = {10, 10, 10}, bottom[3] = {200, 200, 200};
    TIFFWriteScanline(t, top, 0, 0);
    TIFFWriteScanline(t, bottom, 1, 0);
  });
  ASSERT_TRUE(decode(dir.file("grey.tif"), back));
  EXPECT_EQ(back.at(2, 0, 0), 10);
  EXPECT_EQ(back.at(2, 0, 2), 10);
  EXPECT_EQ(back.at(0, 1, 1), 200);

  // Tiled 20 x 20 RGB with 16 x 16 tiles; pixel colour encodes its position.
  makeTiff(dir.file("tiled.tif"), [](TIFF* t) {
    basicTags(t, 20, 20, 8, 3, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_TILEWIDTH, 16);
    TIFFSetField(t, TIFFTAG_TILELENGTH, 16);
    std::vector<uint8_t> tile(16 * 16 * 3);
    for (uint32_t ty = 0; ty < 20; ty += 16)
      for (uint32_t tx = 0; tx < 20; tx += 16) {
        for (uint32_t y = 0; y < 16; ++y)
          for (uint32_t x = 0; x < 16; ++x) {
            uint8_t* p = &tile[(y * 16 + x) * 3];
            p[0] = static_cast<uint8_t>(tx + x), p[1] = static_cast<uint8_t>(ty + y), p[2] = 7;
          }
        TIFFWriteTile(t, tile.data(), tx, ty, 0, 0);
      }
  });
  ASSERT_TRUE(decode(dir.file("tiled.tif"), back));
  EXPECT_EQ(back.at(19, 3, 2), 19);
  EXPECT_EQ(back.at(19, 3, 1), 3);
  EXPECT_EQ(back.at(2, 17, 1), 17);
  EXPECT_EQ(back.at(2, 17, 0), 7);

  // Stored bottom row first: still comes out the right way up.
  makeTiff(dir.file("flipped.tif"), [](TIFF* t) {
    basicTags(t, 1, 2, 8, 1, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_BOTLEFT);
    uint8_t first = 50, second = 150;
    TIFFWriteScanline(t, &first, 0, 0);
    TIFFWriteScanline(t, &second, 1, 0);
  });
  ASSERT_TRUE(decode(dir.file("flipped.tif"), back));
  EXPECT_EQ(back.at(0, 0, 0), 150);
  EXPECT_EQ(back.at(0, 1, 0), 50);
}

TEST(Tiff, RejectsTruncatedAndLyingFiles) {
  ScratchDir dir;
  const std::string goodName = dir.file("good.tif");
  const PixelBuffer picture = randomBuffer(40, 30, 9);
  ASSERT_TRUE(OutTIF(goodName.c_str(), picture.data(), picture.stride, picture.size(), 40, 30, 1));
  const auto good = readBytes(goodName);

  std::vector<std::pair<const char*, std::vector<uint8_t>>> cases;
  cases.push_back({"empty", {}});
  cases.push_back({"header only", std::vector<uint8_t>(good.begin(), good.begin() + 8)});
  cases.push_back({"truncated data", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2)});
  cases.push_back({"text", {'h', 'e', 'l', 'l', 'o'}});
  // An uncompressed picture whose width was raised to 60000 after writing.
  std::vector<uint8_t> lying;
  makeTiff(dir.file("small.tif"), [](TIFF* t) {
    basicTags(t, 4, 4, 8, 3, PHOTOMETRIC_RGB);
    std::vector<uint8_t> row(12, 1);
    for (uint32_t y = 0; y < 4; ++y) TIFFWriteScanline(t, row.data(), y, 0);
  });
  lying = readBytes(dir.file("small.tif"));
  for (size_t i = 8; i + 12 <= lying.size(); i += 2) {
    // Directory entries: tag 256 (width), type 3 or 4, count 1, value.
    if (lying[i] == 0x00 && lying[i + 1] == 0x01 && lying[i + 4] == 1 && lying[i + 5] == 0) {
      lying[i + 8] = 0x60, lying[i + 9] = 0xEA;  // 60000
      break;
    }
  }
  cases.push_back({"lying width", lying});

  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    const std::string name = dir.file("bad.tif");
    writeBytes(name, bytes);
    int32_t w = -5, h = -5;
    const bool info = GetTIFInfo(name.c_str(), &w, &h) != 0;
    if (info) {  // a size that passes the checks must still fail to decode, inside its buffer
      PixelBuffer buffer(w, h, 0xEE);
      EXPECT_EQ(GetTIF(name.c_str(), buffer.data(), buffer.stride, 1), 0);
    } else {
      EXPECT_EQ(w, -5);
    }
  }
  int32_t w, h;
  EXPECT_EQ(GetTIFInfo(dir.path().c_str(), &w, &h), 0);
  EXPECT_EQ(GetTIFInfo(dir.file("missing.tif").c_str(), &w, &h), 0);
  EXPECT_EQ(GetTIFInfo(goodName.c_str(), nullptr, &h), 0);
}

TEST(Tiff, DecoderRefusesASizeItDidNotReport) {
  ScratchDir dir;
  const std::string name = dir.file("changing.tif");
  const PixelBuffer small = randomBuffer(2, 2, 1);
  ASSERT_TRUE(OutTIF(name.c_str(), small.data(), small.stride, small.size(), 2, 2, 1));
  int32_t w, h;
  ASSERT_TRUE(GetTIFInfo(name.c_str(), &w, &h));
  const PixelBuffer big = randomBuffer(50, 50, 2);
  ASSERT_TRUE(OutTIF(name.c_str(), big.data(), big.stride, big.size(), 50, 50, 1));
  PixelBuffer buffer(2, 2, 0xEE);
  EXPECT_EQ(GetTIF(name.c_str(), buffer.data(), buffer.stride, 1), 0);
  EXPECT_EQ(buffer.bytes, std::vector<uint8_t>(buffer.bytes.size(), 0xEE));
  // Only layout 1 exists.
  ASSERT_TRUE(GetTIFInfo(name.c_str(), &w, &h));
  PixelBuffer right(50, 50);
  EXPECT_EQ(GetTIF(name.c_str(), right.data(), right.stride, 0), 0);
  EXPECT_EQ(GetTIF(name.c_str(), right.data(), right.stride - 4, 1), 0);
  EXPECT_EQ(OutTIF(name.c_str(), right.data(), right.stride, right.size(), 50, 50, 2), 0);
}

TEST(Tiff, FailedWriteLeavesNoFile) {
  ScratchDir dir;
  const PixelBuffer picture(5, 5);
  EXPECT_EQ(OutTIF(dir.file("x/y.tif").c_str(), picture.data(), picture.stride, picture.size(), 5, 5, 1), 0);
  EXPECT_EQ(
      OutTIF(dir.file("short.tif").c_str(), picture.data(), picture.stride, 2 * picture.stride, 5, 5, 1), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.file("short.tif")));
}

TEST(Tiff, EveryOrientationOpensUpright) {
  ScratchDir dir;
  // The upright picture: every pixel different.
  const int W = 5, H = 3;
  const auto upright = [](int x, int y, int c) {
    return static_cast<uint8_t>(c == 0 ? 40 * x + 10 : c == 1 ? 70 * y + 5 : 99);
  };
  for (uint16_t orientation = 1; orientation <= 8; ++orientation) {
    SCOPED_TRACE(orientation);
    const bool turned = orientation >= 5;
    const int sw = turned ? H : W, sh = turned ? W : H;
    const std::string name = dir.file("o" + std::to_string(orientation) + ".tif");
    makeTiff(name, [&](TIFF* t) {
      basicTags(t, sw, sh, 8, 3, PHOTOMETRIC_RGB);
      TIFFSetField(t, TIFFTAG_ORIENTATION, orientation);
      for (int sy = 0; sy < sh; ++sy) {
        std::vector<uint8_t> row(3 * sw);
        for (int sx = 0; sx < sw; ++sx) {
          int x = 0, y = 0;
          testing_support::uprightPosition(orientation, W, H, sx, sy, x, y);
          for (int c = 0; c < 3; ++c) row[3 * sx + c] = upright(x, y, c);
        }
        TIFFWriteScanline(t, row.data(), sy, 0);
      }
    });
    PixelBuffer back;
    ASSERT_TRUE(decode(name, back));
    ASSERT_EQ(back.width, W);
    ASSERT_EQ(back.height, H);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(back.at(x, y, 2 - c), upright(x, y, c)) << x << "," << y;
  }
}

TEST(Tiff, HandsOverItsColourProfile) {
  ScratchDir dir;
  const std::string withProfile = dir.file("icc.tif"), without = dir.file("plain.tif");
  std::vector<uint8_t> profile(300);
  for (size_t i = 0; i < profile.size(); ++i) profile[i] = static_cast<uint8_t>(i * 7);
  for (const std::string& name : {withProfile, without}) {
    makeTiff(name, [&](TIFF* t) {
      basicTags(t, 1, 1, 8, 1, PHOTOMETRIC_MINISBLACK);
      if (name == withProfile)
        TIFFSetField(t, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(profile.size()), profile.data());
      uint8_t grey = 99;
      TIFFWriteScanline(t, &grey, 0, 0);
    });
  }
  EXPECT_EQ(GetTIFICC(withProfile.c_str(), nullptr, 0), 300);
  std::vector<uint8_t> small(299, 0), copy(300, 0);
  EXPECT_EQ(GetTIFICC(withProfile.c_str(), small.data(), 299), 300);  // too small: only the length
  EXPECT_EQ(small, std::vector<uint8_t>(299, 0));
  EXPECT_EQ(GetTIFICC(withProfile.c_str(), copy.data(), 300), 300);
  EXPECT_EQ(copy, profile);
  EXPECT_EQ(GetTIFICC(without.c_str(), copy.data(), 300), 0);
  EXPECT_EQ(GetTIFICC(dir.file("missing.tif").c_str(), copy.data(), 300), 0);
}

TEST(Tiff, TransparencyIsCompositedOverWhite) {
  ScratchDir dir;
  PixelBuffer back;
  // Unassociated alpha: opaque keeps its colour, clear becomes white, half-clear black a mid grey.
  makeTiff(dir.file("rgba.tif"), [](TIFF* t) {
    basicTags(t, 3, 1, 8, 4, PHOTOMETRIC_RGB);
    const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &extra);
    uint8_t row[12] = {200, 100, 50, 255, 200, 100, 50, 0, 0, 0, 0, 128};
    TIFFWriteScanline(t, row, 0, 0);
  });
  ASSERT_TRUE(decode(dir.file("rgba.tif"), back));
  EXPECT_EQ(back.at(0, 0, 2), 200);
  EXPECT_EQ(back.at(0, 0, 1), 100);
  EXPECT_EQ(back.at(0, 0, 0), 50);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(back.at(1, 0, c), 255) << c;
    EXPECT_EQ(back.at(2, 0, c), 127) << c;
  }
  // Associated (premultiplied) alpha: 64 at half cover over white is 64 + 127.
  makeTiff(dir.file("premultiplied.tif"), [](TIFF* t) {
    basicTags(t, 1, 1, 8, 4, PHOTOMETRIC_RGB);
    const uint16_t extra = EXTRASAMPLE_ASSOCALPHA;
    TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &extra);
    uint8_t row[4] = {64, 0, 128, 128};
    TIFFWriteScanline(t, row, 0, 0);
  });
  ASSERT_TRUE(decode(dir.file("premultiplied.tif"), back));
  EXPECT_EQ(back.at(0, 0, 2), 191);
  EXPECT_EQ(back.at(0, 0, 1), 127);
  EXPECT_EQ(back.at(0, 0, 0), 255);
}

TEST(Tiff, AStripRunningPastTheEndFailsTheInfoCall) {
  // Two uncompressed strips (with one, libtiff itself replaces a count that
  // overruns the file); the last one's byte count is set to reach exactly the
  // end of the file (accepted) and then one byte further (refused).
  ScratchDir dir;
  makeTiff(dir.file("strips.tif"), [](TIFF* t) {
    basicTags(t, 4, 4, 8, 3, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 2);
    std::vector<uint8_t> row(12, 9);
    for (uint32_t y = 0; y < 4; ++y) TIFFWriteScanline(t, row.data(), y, 0);
  });
  const std::vector<uint8_t> bytes = readBytes(dir.file("strips.tif"));
  ASSERT_GE(bytes.size(), 16u);
  ASSERT_EQ(bytes[0], 'I');  // little-endian, as libtiff writes on this machine
  auto u16 = [&](size_t at) { return static_cast<uint32_t>(bytes[at] | bytes[at + 1] << 8); };
  auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
  // Where the value of the strip's entry for `tag` lies, and its width in bytes.
  auto lastValue = [&](uint32_t tag) -> std::pair<size_t, size_t> {
    const size_t ifd = u32(4);
    for (uint32_t i = 0; i < u16(ifd); ++i) {
      const size_t e = ifd + 2 + 12 * i;
      if (u16(e) != tag) continue;
      const size_t width = u16(e + 2) == 3 ? 2 : 4, count = u32(e + 4);
      const size_t values = count * width <= 4 ? e + 8 : u32(e + 8);
      return {values + (count - 1) * width, width};
    }
    return {0, 0};
  };
  const auto [offsetAt, offsetWidth] = lastValue(273);
  const auto [countAt, countWidth] = lastValue(279);
  ASSERT_NE(offsetAt, 0u);
  ASSERT_NE(countAt, 0u);
  const uint32_t offset = offsetWidth == 2 ? u16(offsetAt) : u32(offsetAt);
  auto withCount = [&](uint32_t count) {
    std::vector<uint8_t> changed = bytes;
    for (size_t k = 0; k < countWidth; ++k) changed[countAt + k] = static_cast<uint8_t>(count >> (8 * k));
    const std::string name = dir.file("changed.tif");
    writeBytes(name, changed);
    int32_t w = 0, h = 0;
    return GetTIFInfo(name.c_str(), &w, &h) != 0;
  };
  const uint32_t remaining = static_cast<uint32_t>(bytes.size()) - offset;
  EXPECT_TRUE(withCount(remaining));
  EXPECT_FALSE(withCount(remaining + 1));
}
