// Reading and writing pictures for orvane-cli.
#pragma once

#include <QString>
#include <string>

#include "CDIB.h"
#include "FileReport.h"

namespace orvane::cli {

// Reads a picture file into image (re-created at the picture's size). False when it cannot be read.
bool loadPicture(const QString& path, CDIB& image);
// The same within options' budget and damage policy; report says why it failed
// or what damage a lenient read accepted.
bool loadPicture(const QString& path, CDIB& image, const OpenOptions& options, FileReport& report);

// Writes image to path in the format its extension names. False when it cannot be written.
// quality (1-100) and grey apply to JPEG and WebP.
bool savePicture(const CDIB& image, const QString& path, int quality = 75, bool grey = false);
// The same; report says why it failed.
bool savePicture(const CDIB& image, const QString& path, FileReport& report, int quality = 75,
                 bool grey = false);

// The value of --quality: a whole number from 1 to 100; otherwise false with a message for the user.
bool parseQuality(const std::string& text, int& quality, std::string& error);

}  // namespace orvane::cli
