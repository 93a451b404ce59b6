// Why a call failed: ostrel_status after each kind of bad file, and the
// lenient decoding that keeps what a truncated file holds.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "OstrelFiles.h"
#include "ostrel.h"

using namespace ostrel_test;

namespace {

// A little-endian TIFF header and one directory with the given compression; no pixel data.
std::vector<uint8_t> tiffWithCompression(uint16_t compression) {
  std::vector<uint8_t> b = {'I', 'I', 42, 0, 8, 0, 0, 0};
  auto put16 = [&b](uint32_t v) {
    b.push_back(static_cast<uint8_t>(v & 0xff));
    b.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto put32 = [&](uint32_t v) {
    put16(v & 0xffff);
    put16(v >> 16);
  };
  const uint16_t entries[][3] = {{256, 3, 4},           {257, 3, 2}, {258, 3, 8},
                                 {259, 3, compression}, {262, 3, 2}, {273, 4, 8 + 2 + 12 * 9 + 4},
                                 {277, 3, 3},           {278, 3, 2}, {279, 4, 24}};
  put16(9);
  for (const auto& e : entries) {
    put16(e[0]);
    put16(e[1]);
    put32(1);
    put32(e[2]);
  }
  put32(0);
  b.insert(b.end(), 24, 0x40);
  return b;
}

}  // namespace

TEST(Status, EachFailureNamesItsReason) {
  ScratchDir dir;
  writeBytes(dir.file("text.tif"), {'h', 'e', 'l', 'l', 'o'});
  writeBytes(dir.file("cut.tif"), {'I', 'I', 42, 0, 8, 0, 0, 0, 9});
  writeBytes(dir.file("jbig.tif"), tiffWithCompression(34661));
  writeBytes(dir.file("ojpeg.tif"), tiffWithCompression(6));
  writeBytes(dir.file("text.pcx"), {'h', 'e', 'l', 'l', 'o'});
  ASSERT_EQ(::mkdir(dir.file("folder.pcx").c_str(), 0700), 0);
  const struct {
    const char* name;
    int32_t status;
  } cases[] = {{"absent.tif", OSTREL_E_OPEN},       {"text.tif", OSTREL_E_FORMAT},
               {"cut.tif", OSTREL_E_DAMAGED},       {"jbig.tif", OSTREL_E_COMPRESSION},
               {"ojpeg.tif", OSTREL_E_COMPRESSION}, {"text.pcx", OSTREL_E_FORMAT},
               {"folder.pcx", OSTREL_E_NOT_A_FILE}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int32_t w = 0, h = 0;
    const std::string name = dir.file(c.name);
    const bool pcx = name.size() > 4 && name.compare(name.size() - 4, 4, ".pcx") == 0;
    EXPECT_EQ(pcx ? getpcxinfo(name.c_str(), &w, &h) : GetTIFInfo(name.c_str(), &w, &h), 0);
    EXPECT_EQ(ostrel_status(), c.status);
  }
  EXPECT_EQ(ostrel_system_error(), 0);

  // The same codec list leaves an uncompressed file alone; success clears the status.
  writeBytes(dir.file("plain.tif"), tiffWithCompression(1));
  int32_t w = 0, h = 0;
  ASSERT_NE(GetTIFInfo(dir.file("plain.tif").c_str(), &w, &h), 0);
  EXPECT_EQ(ostrel_status(), OSTREL_OK);

  // A write into a folder that does not exist carries the system's reason.
  const uint8_t pixels[12] = {};
  EXPECT_EQ(OutTIF(dir.file("none/out.tif").c_str(), pixels, 12, 11, 4, 1, OSTREL_BOTTOM_UP_BGR), 0);
  EXPECT_EQ(ostrel_status(), OSTREL_E_WRITE);
  EXPECT_EQ(ostrel_system_error(), ENOENT);
}

TEST(Status, LenientPcxKeepsTheDecodedRowsAndBlackensTheRest) {
  ScratchDir dir;
  // 2 x 3 pixels, three 8-bit planes; the stream stops after the first row.
  auto file = pcxHeader(2, 3, 8, 3, 2);
  file.insert(file.end(), {10, 20, 30, 40, 50, 60});
  writeBytes(dir.file("cut.pcx"), file);
  int32_t w = 0, h = 0;
  ASSERT_NE(getpcxinfo(dir.file("cut.pcx").c_str(), &w, &h), 0);
  std::vector<uint8_t> rgb(3 * 8, 0xEE);
  EXPECT_EQ(pcx2mem(dir.file("cut.pcx").c_str(), rgb.data(), 8), 0);
  EXPECT_EQ(ostrel_status(), OSTREL_E_DAMAGED);

  ostrel_set_lenient(1);
  const int32_t ok = pcx2mem(dir.file("cut.pcx").c_str(), rgb.data(), 8);
  const int32_t status = ostrel_status();
  ostrel_set_lenient(0);
  ASSERT_NE(ok, 0);
  EXPECT_EQ(status, OSTREL_E_DAMAGED);
  EXPECT_EQ(std::vector<uint8_t>(rgb.begin(), rgb.begin() + 6),
            (std::vector<uint8_t>{10, 30, 50, 20, 40, 60}));
  // Far less data than the header claims: refused by the size query unless lenient.
  auto sparse = pcxHeader(200, 200, 8, 3, 200);
  sparse.insert(sparse.end(), {1, 2, 3, 4});
  writeBytes(dir.file("sparse.pcx"), sparse);
  int32_t sw = 0, sh = 0;
  EXPECT_EQ(getpcxinfo(dir.file("sparse.pcx").c_str(), &sw, &sh), 0);
  ostrel_set_lenient(1);
  EXPECT_NE(getpcxinfo(dir.file("sparse.pcx").c_str(), &sw, &sh), 0);
  ostrel_set_lenient(0);
  EXPECT_EQ(sw, 200);

  for (int row = 1; row < 3; ++row)
    EXPECT_EQ(std::vector<uint8_t>(rgb.begin() + 8 * row, rgb.begin() + 8 * row + 6),
              std::vector<uint8_t>(6, 0));
}
