// Our own BMP reader and writer for the layouts that matter: the picture is
// decoded straight into the bitmap's rows and written straight from them, with
// no intermediate picture and no format conversion.
//
// Read: 1/4/8-bit palette (plain, RLE4, RLE8), 16/24/32-bit (plain or with bit
// fields; 16-bit plain is 5-5-5), bottom-up and top-down, the 12-byte OS/2
// header and the 40/52/56/108/124-byte headers. Channels narrower than 8 bits
// are scaled (v * 255 / max, rounded), so 5-bit white reads as 255.
//
// Every length is checked against the data before it is read, and the size,
// palette and offset are checked before anything is allocated.
#pragma once

#include <QByteArray>
#include <QString>

#include "CDIB.h"
#include "FileReport.h"

namespace orvane {

// True with the picture in out. False with report.error set when the file is
// refused; false with report.error EMPTY when the file uses a layout this
// reader does not handle (embedded JPEG/PNG, 2- or 64-bit pixels, OS/2 2.x
// headers): the caller then hands the file to Qt's reader. After a false
// return out holds nothing of use.
//
// Damaged data (a truncated file, a broken run-length stream, a palette index
// beyond the palette) is refused with kDamaged; with options.lenient what
// decoded is kept, everything else is black, and report.warning says why.
bool ReadBmp(const QByteArray& data, CDIB& out, const OpenOptions& options, FileReport& report);

// ReadBmp on a file, without holding the file in memory where it can help:
// uncompressed pixels are read row block by row block into the picture (a
// 24-bit bottom-up file straight into its rows); other layouts read just the
// bytes their header accounts for. Same results and reasons as ReadBmp; a
// file that cannot be opened is kNoSuchFile.
bool ReadBmpFile(const QString& path, CDIB& out, const OpenOptions& options, FileReport& report);

// Writes the picture as a 24-bit bottom-up BMP: its rows are already the
// file's pixel layout, so the header and the pixel area go out as they are.
bool WriteBmp(const CDIB& picture, const QString& path, FileReport& report);

}  // namespace orvane
