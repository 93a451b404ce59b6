// Plain versions of the blending, gradient, frame and letter-mask routines, kept to check the
// library's fast paths against. Same signatures as the exports.
#pragma once

#include <cstdint>

namespace reference {

int32_t DllSetBkColor(uint8_t* image, int32_t size, int32_t red, int32_t green, int32_t blue);
int32_t dllmixcolor(uint8_t* image, int32_t size, int32_t percent, int32_t red, int32_t green, int32_t blue);
int32_t dllmiximage(const uint8_t* picture, uint8_t* image, int32_t size, int32_t ignored1, int32_t ignored2,
                    int32_t ignored3, int32_t keyRed, int32_t keyGreen, int32_t keyBlue, int32_t tolerance,
                    int32_t percent);
int32_t dllframeimage(const uint8_t* source, uint8_t* destination, int32_t size, int32_t keyRed,
                      int32_t keyGreen, int32_t keyBlue, int32_t tolerance);
int32_t dllmixborder(const uint8_t* framePicture, uint8_t* image, int32_t ignored, int32_t width,
                     int32_t height, int32_t stride, int32_t borderDepth);
int32_t dllgradientbright(uint8_t* image, int32_t width, int32_t height, int32_t stride,
                          int32_t directionFlag, int32_t start, int32_t end);
int32_t dllgradientcontrast(uint8_t* image, int32_t width, int32_t height, int32_t stride,
                            int32_t directionFlag, int32_t start, int32_t end);
int32_t dllgradientexposal(uint8_t* image, int32_t width, int32_t height, int32_t stride,
                           int32_t directionFlag, int32_t start, int32_t end);
int32_t dllgradientrgb(uint8_t* image, int32_t width, int32_t height, int32_t stride, int32_t directionFlag,
                       int32_t redStart, int32_t redEnd, int32_t greenStart, int32_t greenEnd,
                       int32_t blueStart, int32_t blueEnd);
int32_t dllgradienthor(uint8_t* image, int32_t ignored, int32_t width, int32_t height, int32_t stride,
                       int32_t redA, int32_t greenA, int32_t blueA, int32_t redB, int32_t greenB,
                       int32_t blueB, int32_t redC, int32_t greenC, int32_t blueC, int32_t mirrorFlag);
int32_t dllgradientver(uint8_t* image, int32_t ignored, int32_t width, int32_t height, int32_t stride,
                       int32_t redA, int32_t greenA, int32_t blueA, int32_t redB, int32_t greenB,
                       int32_t blueB, int32_t redC, int32_t greenC, int32_t blueC, int32_t mirrorFlag);
int32_t dllgradientall(uint8_t* image, int32_t ignored, int32_t width, int32_t height, int32_t stride,
                       int32_t redA, int32_t greenA, int32_t blueA, int32_t redB, int32_t greenB,
                       int32_t blueB, int32_t redC, int32_t greenC, int32_t blueC);
int32_t dllframecolor(uint8_t* image, int32_t ignored, int32_t width, int32_t height, int32_t stride,
                      int32_t bottomRows, int32_t topRows, int32_t leftColumns, int32_t rightColumns,
                      int32_t red, int32_t green, int32_t blue);
int32_t dllframenoise(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                      int32_t red, int32_t green, int32_t blue, int32_t densityPercent, int32_t depth);
int32_t dllframebright(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                       int32_t outerAmount, int32_t innerAmount, int32_t depth);
int32_t dllframecontrast(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                         int32_t outerFactor, int32_t innerFactor, int32_t depth);
int32_t dllframeexposal(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                        int32_t outerLevel, int32_t innerLevel, int32_t depth);
int32_t dllframemix(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                    int32_t outerRed, int32_t outerGreen, int32_t outerBlue, int32_t innerRed,
                    int32_t innerGreen, int32_t innerBlue, int32_t depth);
int32_t dllbeveler(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t stride,
                   int32_t leftAmount, int32_t rightAmount, int32_t bottomAmount, int32_t topAmount,
                   int32_t depth);
int32_t DllSetBlack(uint8_t* buffer, int32_t byteCount);
int32_t DllFillImage(uint8_t* mask, const uint8_t* picture, int32_t size);
int32_t DllUnShowBlack(uint8_t* destination, const uint8_t* source, int32_t size);
int32_t DllMixWord(uint8_t* mask, const uint8_t* picture, int32_t size, int32_t percent);

}  // namespace reference
