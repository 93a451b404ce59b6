// Reading and writing pictures for orvane-cli.
#pragma once

#include <QString>

#include "CDIB.h"

namespace orvane::cli {

// Reads a picture file into image (re-created at the picture's size). False when it cannot be read.
bool loadPicture(const QString& path, CDIB& image);

// Writes image to path in the format its extension names. False when it cannot be written.
bool savePicture(const CDIB& image, const QString& path);

}  // namespace orvane::cli
