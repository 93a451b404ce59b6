// Pictures stored sideways or mirrored, as cameras and phones write them, made
// upright: the pixels themselves are turned, so every later step sees the
// picture as the photographer saw it.
#pragma once

#include <QByteArray>

#include "CDIB.h"

namespace orvane {

// The orientation (1-8, as the TIFF/EXIF tag numbers it) recorded in an EXIF
// block (the TIFF structure after "Exif\0\0"); 1 when there is none or the
// block is malformed.
int ExifOrientation(const QByteArray& tiffStructure);

// Turns a picture stored with the given orientation upright. Orientations 5-8
// exchange width and height. False (picture unchanged) when the memory for the
// turned picture cannot be had.
bool OrientUpright(CDIB& picture, int orientation);

}  // namespace orvane
