// Checks on a picture file's own bytes, made before a decoder sees them.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace orvane {

// The format's name as the user knows it ("TIFF" for "tif" and "tiff"); empty
// for an extension the program does not read.
QString FormatNameForExtension(const QString& extension);

// True when the file's first bytes are those of the format the extension
// names (true for formats without a fixed signature).
bool HasFormatSignature(const QByteArray& head, const QString& extension);

// True when the GIF's first picture is complete: every block up to the end of
// its pixel data lies inside the file.
bool GifFirstFrameComplete(const QByteArray& data);

// The size a GIF's frames are drawn on: the larger of the logical screen and
// the first frame's own extent. Zero when the header is cut short.
void GifCanvasSize(const QByteArray& data, int64_t& width, int64_t& height);

// The icon entry to open: the largest, and among the largest the one with the
// most colours. -1 when the directory is damaged. width and height are the
// largest size the entry's own header claims.
int BestIconEntry(const QByteArray& data, int64_t& width, int64_t& height);

}  // namespace orvane
