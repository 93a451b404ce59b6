// Plain one-byte-at-a-time versions of the blur, sharpen and relief filters, kept to check the
// library's fast paths against. Same signatures as the exports.
#pragma once

#include <cstdint>

namespace reference {

int32_t dllfastblur(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
int32_t dllgaussblur(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
int32_t dllspecialblur(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
int32_t medianfiltering(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
int32_t dllmotionblur(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride,
                      int32_t distance, int32_t direction);
int32_t dllfastblurplus(const uint8_t* source, uint8_t* destination, int32_t size, int32_t width,
                        int32_t height, int32_t radius);
int32_t DllBlurSoftly(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height);
int32_t DllBlurMore(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height);

int32_t dllsharpenhor(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
int32_t dllsharpenver(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
int32_t dllsharpenwallis(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
int32_t dllsharpen_laplacian1(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
int32_t dllsharpen_laplacian2(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
int32_t dllsharpenroberts(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
int32_t dllsharpen(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride,
                   int32_t direction, int32_t amount);
int32_t DllSimpleSharpen(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height);
int32_t DllSharpenMore(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height);
int32_t DllSharpenLess(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height);
int32_t DllUnSharpMask(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height);
int32_t dllEnhanceEdge(uint8_t* image, int32_t size, int32_t width, int32_t height);

int32_t dllemboss(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride, int32_t distance,
                  int32_t direction, int32_t redBias, int32_t greenBias, int32_t blueBias, int32_t greyFlag);
int32_t dllengrave(uint8_t* image, int32_t size, int32_t stride, int32_t redSwitch, int32_t greenSwitch,
                   int32_t blueSwitch);
int32_t dllcontour(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride);
int32_t DllEmbossColor(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height);
int32_t DllEmbossHighLight(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height);

}  // namespace reference
