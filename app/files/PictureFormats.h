// Readers and writers of the formats that need more than a size query and a
// decode call: JPEG (decoded by libostrel.so straight into the rows), PNG and
// WebP. Readers take the whole file's bytes, check the picture against the
// pixel budget before allocating, and turn it upright and into sRGB. On false
// `out` is unchanged and report.error says why.
#pragma once

#include <QByteArray>
#include <QString>

#include "CDIB.h"
#include "FileReport.h"

namespace orvane {

bool ReadJpeg(const QByteArray& data, CDIB& out, const OpenOptions& options, FileReport& report);

// PNG: palette, grey and colour at any depth, with or without alpha,
// interlaced or not. Alpha is composited over white; 16-bit channels are
// rounded to 8 bits.
bool ReadPng(const QByteArray& data, CDIB& out, const OpenOptions& options, FileReport& report);
// Writes 24-bit RGB.
bool WritePng(const CDIB& picture, const QString& fileName, FileReport& report);

// WebP: lossy or lossless, alpha composited over white; of an animation the
// first frame.
bool ReadWebp(const QByteArray& data, CDIB& out, const OpenOptions& options, FileReport& report);
// Lossy at the given quality (1-99), lossless at 100; grey writes the luma only.
bool WriteWebp(const CDIB& picture, const QString& fileName, int quality, bool grey, FileReport& report);

}  // namespace orvane
