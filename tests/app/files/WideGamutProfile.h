// A wide-gamut RGB colour profile made with lcms2: Adobe RGB's primaries,
// gamma 2.2, D65 white. Its colours are more saturated than the same numbers
// in sRGB.
#pragma once

#include <lcms2.h>

#include <QByteArray>

inline QByteArray wideGamutProfile() {
  cmsCIExyY white{0.3127, 0.3290, 1.0};
  cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
  cmsToneCurve* curves[3] = {gamma, gamma, gamma};
  cmsHPROFILE wide = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsUInt32Number length = 0;
  QByteArray icc;
  if (cmsSaveProfileToMem(wide, nullptr, &length)) {
    icc.resize(static_cast<qsizetype>(length));
    if (!cmsSaveProfileToMem(wide, icc.data(), &length)) icc.clear();
  }
  cmsCloseProfile(wide);
  cmsFreeToneCurve(gamma);
  return icc;
}
