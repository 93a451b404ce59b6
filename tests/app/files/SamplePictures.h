// Small pictures of every readable format, built in memory. Shared by the file
// tests and the fuzzers' seed generator.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cstdint>
#include <initializer_list>

namespace sample_pictures {

inline void put16(QByteArray& b, uint32_t v) {
  b.append(static_cast<char>(v & 0xff));
  b.append(static_cast<char>((v >> 8) & 0xff));
}
inline void put32(QByteArray& b, uint32_t v) {
  put16(b, v & 0xffff);
  put16(b, v >> 16);
}
inline void putWords(QByteArray& b, std::initializer_list<uint32_t> words) {
  for (uint32_t w : words) put16(b, w);
}

inline QByteArray encode(const QImage& image, const char* format, int quality = -1) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (quality >= 0) writer.setQuality(quality);
  writer.write(image);
  return bytes;
}

// A smooth w x h picture whose colour follows the position.
inline QImage gradient(int w, int h) {
  QImage image(w, h, QImage::Format_RGB888);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      image.setPixelColor(x, y,
                          QColor(x * 255 / std::max(1, w - 1), y * 255 / std::max(1, h - 1),
                                 (x + y) * 255 / std::max(1, w + h - 2)));
  return image;
}

// A 1 x 1 GIF with two frames: red, then blue.
inline QByteArray twoFrameGif() {
  QByteArray b("GIF89a");
  putWords(b, {1, 1});
  b.append("\x80\x00\x00", 3);              // global table of two colours
  b.append("\xFF\x00\x00\x00\x00\xFF", 6);  // red, blue
  for (char code : {'\x44', '\x4C'}) {      // clear, index 0 / 1, end at three bits per code
    b.append('\x2C');
    putWords(b, {0, 0, 1, 1});
    b.append('\x00');
    b.append("\x02\x02", 2);
    b.append(code);
    b.append("\x01\x00", 2);
  }
  b.append('\x3B');
  return b;
}

// An icon holding a 16 x 16 green and a 48 x 48 blue picture, PNG-coded.
inline QByteArray twoSizeIcon() {
  QImage small(16, 16, QImage::Format_ARGB32), large(48, 48, QImage::Format_ARGB32);
  small.fill(QColor(0, 255, 0));
  large.fill(QColor(0, 0, 255));
  const QByteArray pngs[2] = {encode(small, "png"), encode(large, "png")};
  const int sizes[2] = {16, 48};
  QByteArray b;
  putWords(b, {0, 1, 2});
  uint32_t offset = 6 + 2 * 16;
  for (int i = 0; i < 2; ++i) {
    b.append(static_cast<char>(sizes[i]));
    b.append(static_cast<char>(sizes[i]));
    b.append('\0');
    b.append('\0');
    putWords(b, {1, 32});
    put32(b, static_cast<uint32_t>(pngs[i].size()));
    put32(b, offset);
    offset += static_cast<uint32_t>(pngs[i].size());
  }
  b.append(pngs[0]);
  b.append(pngs[1]);
  return b;
}

// A placeable WMF whose frame runs from (left, top) to (right, bottom) at 96
// units an inch, filled with one solid colour.
inline QByteArray filledWmf(int left, int top, int right, int bottom, QRgb fill) {
  QByteArray b;
  put32(b, 0x9AC6CDD7);
  const uint32_t header[] = {0,
                             static_cast<uint16_t>(left),
                             static_cast<uint16_t>(top),
                             static_cast<uint16_t>(right),
                             static_cast<uint16_t>(bottom),
                             96,
                             0,
                             0};
  uint16_t checksum = 0xCDD7 ^ 0x9AC6;
  for (uint32_t w : header) {
    put16(b, w);
    checksum ^= static_cast<uint16_t>(w);
  }
  put16(b, checksum);
  putWords(b, {1, 9, 0x0300});
  put32(b, 40);
  putWords(b, {1});
  put32(b, 7);
  putWords(b, {0});
  put32(b, 5), putWords(b, {0x020B, static_cast<uint16_t>(top), static_cast<uint16_t>(left)});
  put32(b, 5),
      putWords(b, {0x020C, static_cast<uint16_t>(bottom - top), static_cast<uint16_t>(right - left)});
  put32(b, 7),
      putWords(b, {0x02FC, 0, static_cast<uint32_t>(qRed(fill) | (qGreen(fill) << 8)), static_cast<uint32_t>(qBlue(fill)), 0});
  put32(b, 4), putWords(b, {0x012D, 0});
  put32(b, 7), putWords(b, {0x041B, static_cast<uint16_t>(bottom), static_cast<uint16_t>(right),
                            static_cast<uint16_t>(top), static_cast<uint16_t>(left)});
  put32(b, 3), putWords(b, {0x0000});
  return b;
}

// A placeable WMF of 100 x 50 pixels at 96 dpi: a red rectangle over all of it.
inline QByteArray redRectangleWmf() { return filledWmf(0, 0, 100, 50, qRgb(255, 0, 0)); }

// An EMF of 100 x 50 pixels: a red rectangle over all of it.
inline QByteArray redRectangleEmf() {
  QByteArray b;
  put32(b, 1);
  put32(b, 88);
  for (uint32_t v : {0u, 0u, 99u, 49u}) put32(b, v);      // bounds in pixels
  for (uint32_t v : {0u, 0u, 2646u, 1323u}) put32(b, v);  // frame in 0.01 mm
  put32(b, 0x464D4520);
  put32(b, 0x10000);
  put32(b, 168);  // bytes
  put32(b, 5);    // records
  putWords(b, {2, 0});
  for (uint32_t v : {0u, 0u, 0u}) put32(b, v);  // description, palette
  for (uint32_t v : {1024u, 768u, 271u, 203u}) put32(b, v);
  for (uint32_t v : {39u, 24u, 1u, 0u, 0x0000FFu, 0u}) put32(b, v);  // brush 1: solid red
  for (uint32_t v : {37u, 12u, 1u}) put32(b, v);                     // select it
  for (uint32_t v : {43u, 24u, 0u, 0u, 99u, 49u}) put32(b, v);       // rectangle
  for (uint32_t v : {14u, 20u, 0u, 16u, 20u}) put32(b, v);
  return b;
}

// A little-endian TIFF of one strip: 8-bit RGB, the given compression.
inline QByteArray stripTiff(uint32_t width, uint32_t height, uint16_t compression, const QByteArray& strip) {
  QByteArray b("II*\0", 4);
  put32(b, 8);
  const struct {
    uint16_t tag, type;
    uint32_t value;
  } entries[] = {{256, 4, width},       {257, 4, height}, {258, 3, 8},
                 {259, 3, compression}, {262, 3, 2},      {273, 4, 0},
                 {277, 3, 3},           {278, 4, height}, {279, 4, static_cast<uint32_t>(strip.size())}};
  const uint32_t count = sizeof entries / sizeof *entries;
  const uint32_t dataAt = 8 + 2 + 12 * count + 4;
  put16(b, count);
  for (const auto& e : entries) {
    put16(b, e.tag);
    put16(b, e.type);
    put32(b, 1);
    if (e.type == 3) {
      put16(b, e.value);
      put16(b, 0);
    } else {
      put32(b, e.tag == 273 ? dataAt : e.value);
    }
  }
  put32(b, 0);
  b.append(strip);
  return b;
}

// A baseline and a progressive JPEG of the gradient.
inline QByteArray progressiveJpeg(int w, int h) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setProgressiveScanWrite(true);
  writer.write(gradient(w, h));
  return bytes;
}

}  // namespace sample_pictures
