// Plain one-triple-at-a-time versions of the colour adjustments and mappings, kept to check
// the library's fast paths against. Same signatures as the exports.
#pragma once

#include <cstdint>

namespace reference {

int32_t dllbrightness(uint8_t* image, int32_t size, int32_t amount);
int32_t dllcontrast(uint8_t* image, int32_t size, int32_t factor);
int32_t dllexposal(uint8_t* image, int32_t size, int32_t level);
int32_t dllrgbbalance(uint8_t* image, int32_t size, int32_t redDelta, int32_t greenDelta, int32_t blueDelta);
int32_t dllyuvbalance(uint8_t* image, int32_t size, int32_t yDelta, int32_t uDelta, int32_t vDelta);
int32_t dllycbcr(uint8_t* image, int32_t size, int32_t yDelta, int32_t cbDelta, int32_t crDelta);
int32_t dllhsl(uint8_t* image, int32_t size, int32_t hueDelta, int32_t saturationDelta,
               int32_t lightnessDelta);
int32_t dllblackwhite(uint8_t* image, int32_t size, int32_t averageSwitch, int32_t level);
int32_t dllcolorbound(uint8_t* image, int32_t size, int32_t redMax, int32_t greenMax, int32_t blueMax,
                      int32_t redMin, int32_t greenMin, int32_t blueMin);
int32_t DllAdjLevel(uint8_t* image, int32_t size, int32_t redMax, int32_t redMin, int32_t greenMax,
                    int32_t greenMin, int32_t blueMax, int32_t blueMin);
int32_t dllhisequip(uint8_t* image, int32_t size, int32_t width, int32_t height);
// The per-thread generator of the reference starts at 1 in every new thread, as the library's does.
int32_t pno(uint8_t* image, int32_t size, int32_t mode);
int32_t dllgreyadvance(uint8_t* image, int32_t size, int32_t mode);

}  // namespace reference
