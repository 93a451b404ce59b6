// Scratch files and hand-made pictures for the codec tests.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace ostrel_test {

class ScratchDir {
 public:
  ScratchDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "ostrel-XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data());
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline void writeBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(name.c_str(), "wb");
  if (f == nullptr) return;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

inline std::vector<uint8_t> readBytes(const std::string& name) {
  std::vector<uint8_t> bytes;
  std::FILE* f = std::fopen(name.c_str(), "rb");
  if (f == nullptr) return bytes;
  uint8_t buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(f);
  return bytes;
}

// A PCX header; the caller appends the encoded lines (and a palette).
inline std::vector<uint8_t> pcxHeader(int width, int height, int bits, int planes, int bytesPerLine,
                                      int version = 5) {
  std::vector<uint8_t> h(128, 0);
  h[0] = 0x0A;
  h[1] = static_cast<uint8_t>(version);
  h[2] = 1;
  h[3] = static_cast<uint8_t>(bits);
  h[8] = static_cast<uint8_t>((width - 1) & 0xff);
  h[9] = static_cast<uint8_t>((width - 1) >> 8);
  h[10] = static_cast<uint8_t>((height - 1) & 0xff);
  h[11] = static_cast<uint8_t>((height - 1) >> 8);
  h[65] = static_cast<uint8_t>(planes);
  h[66] = static_cast<uint8_t>(bytesPerLine & 0xff);
  h[67] = static_cast<uint8_t>(bytesPerLine >> 8);
  return h;
}

}  // namespace ostrel_test
