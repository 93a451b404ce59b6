// Pictures whose file embeds a colour profile are turned into sRGB on open, so
// a wide-gamut photo keeps its colours; the program works and saves in sRGB.
#pragma once

#include <QByteArray>

#include "CDIB.h"

namespace orvane {

// Converts the picture's pixels from the given ICC profile to sRGB. A profile
// that is missing, unreadable or not an RGB or grey one leaves the pixels as
// they are (the picture is still worth opening); so does an sRGB profile.
void ConvertToSrgb(CDIB& picture, const QByteArray& iccProfile);

}  // namespace orvane
