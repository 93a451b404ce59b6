// Reading and writing pictures for orvane-cli.
#pragma once

#include <QString>

#include "CDIB.h"
#include "FileReport.h"

namespace orvane::cli {

// Reads a picture file into image (re-created at the picture's size). False when it cannot be read.
bool loadPicture(const QString& path, CDIB& image);
// The same within options' budget and damage policy; report says why it failed
// or what damage a lenient read accepted.
bool loadPicture(const QString& path, CDIB& image, const OpenOptions& options, FileReport& report);

// Writes image to path in the format its extension names. False when it cannot be written.
bool savePicture(const CDIB& image, const QString& path);
// The same; report says why it failed.
bool savePicture(const CDIB& image, const QString& path, FileReport& report);

}  // namespace orvane::cli
