// cFileDIB: reading pictures into an image and writing an image to files.
//
// The format follows the file name's extension (any case). BMP, GIF and ICO
// are read through Qt's image reader, WMF and EMF are rendered at their
// natural size, TIFF, PCX and JPEG are read and written through libostrel.so
// (bound on first use); PNG and WebP are read and written with libpng and
// libwebp (alpha composited over white); BMP is written as 24-bit at 1:1.
// JPEG and TIFF open upright whatever orientation the camera recorded, and
// pictures with a colour profile are converted to sRGB.
//
// Nothing is lost on failure: MainOpen decodes into a buffer of its own and
// replaces the image only on success, and MainSave writes beside the target and
// puts it in the target's place only on success (see SaveTarget). Every reader
// checks the picture's size against the pixel budget before it allocates; a
// failure comes with its reason in a FileReport. The object holds no state
// between calls.
#pragma once

#include <QString>
#include <cstdint>

#include "CDIB.h"
#include "FileReport.h"

namespace orvane {

// The common dialogs' filters, as description|pattern pairs.
inline constexpr const char* kOpenPictureFilter =
    "All Support File|*.bmp;*.jpg;*.jpeg;*.png;*.webp;*.gif;*.emf;*.wmf;*.ico;*.tif;*.tiff;*.pcx|BMP "
    "Format|*.bmp|"
    "JPG/JPEG Format|*.jpg;*.jpeg|PNG Format|*.png|WebP Format|*.webp|TIFF Format|*.tif;*.tiff|PCX "
    "Format|*.pcx|"
    "GIF Format|*.gif|ICO Format|*.ico|WMF/EMF Format|*.wmf;*.emf";
inline constexpr const char* kSavePictureFilter =
    "BMP Format|*.bmp|JPG/JPEG Format|*.jpg|PNG Format|*.png|WebP Format|*.webp|TIFF Format|*.tif|PCX Format|*.pcx";

class cFileDIB {
 public:
  // True when the file system holding FileName's folder has more than
  // 3 x RGBSize bytes free; False when that folder does not exist. MainSave
  // does not ask: the write itself tells whether the picture fits.
  bool CheckWriteSpace(const QString& FileName, int32_t RGBSize);

  // True when the file was read into xDIB; on False xDIB is unchanged.
  bool MainOpen(const QString& FileName, CDIB& xDIB);
  // The same, within options' pixel budget and damage policy; report tells
  // why it failed, or what damage a lenient open accepted.
  bool MainOpen(const QString& FileName, CDIB& xDIB, const OpenOptions& options, FileReport& report);

  // True when the file was written. Quality (1-100) and GreyScale apply to
  // JPEG and WebP only. On False an existing file of that name is unchanged.
  bool MainSave(const QString& FileName, CDIB& xDIB, int16_t Quality = 75, bool GreyScale = false);
  // The same; report tells why it failed.
  bool MainSave(const QString& FileName, CDIB& xDIB, int16_t Quality, bool GreyScale, FileReport& report);

  // The per-format routines work on the named file directly; MainOpen and
  // MainSave add the protection against losing data.
  bool SaveTIFF(const QString& FileName, CDIB& xDIB);
  bool GetTIFFWH(const QString& FileName, int32_t& W, int32_t& H);
  bool GetTIFF(const QString& FileName, CDIB& xDIB);
  bool GetPcxWH(const QString& FileName, int32_t& W, int32_t& H);
  bool PCX2DIB(CDIB& xDIB, const QString& FileName);
  bool DIB2PCX(CDIB& xDIB, const QString& FileName);
  bool DIB2JPEG(CDIB& xDIB, const QString& FileName, bool GreyScale, int32_t Quality);
};

}  // namespace orvane
