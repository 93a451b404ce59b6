// Plain one-triple-at-a-time versions of the stylize filters and geometric distortions, kept
// to check the library's fast paths against. Same signatures as the exports.
#pragma once

#include <cstdint>

namespace reference {

int32_t dllcharcoal(uint8_t* image, int32_t size);
int32_t dllcomedy(uint8_t* image, int32_t size, int32_t amount);
int32_t dllneon(uint8_t* image, int32_t size, int32_t amount);
int32_t dllerode(uint8_t* image, int32_t size, int32_t amount);
int32_t dllice(uint8_t* image, int32_t size, int32_t amount);
int32_t dllwind(uint8_t* image, int32_t size, int32_t amount);
int32_t dllwatercolour(uint8_t* image, int32_t size, int32_t amount);
int32_t dllspotted(uint8_t* image, int32_t size, int32_t amount);
int32_t dllnost(uint8_t* image, int32_t size, int32_t amount);
// The per-thread generator of the reference starts at 1 in every new thread, as the library's does.
int32_t dllfog(uint8_t* image, int32_t size, int32_t amount, int32_t area);
int32_t dlldiffuse(uint8_t* image, int32_t size, int32_t amount);
int32_t dllcanvas(const uint8_t* source, uint8_t* destination, int32_t size, int32_t width, int32_t height,
                  int32_t horizontalStep, int32_t verticalStep);
int32_t dllwave(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t amount);

int32_t dllfliphor(uint8_t* destination, const uint8_t* source, int32_t width, int32_t height);
int32_t dllblinds(uint8_t* image, int32_t width, int32_t height, int32_t blindSize, int32_t reverseFlag,
                  int32_t directionFlag, int32_t styleFlag);
int32_t dllparallel(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                    int32_t stride, int32_t size, int32_t percent, int32_t directionFlag, int32_t sideFlag);
int32_t dlltrapezia(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                    int32_t stride, int32_t size, int32_t percent, int32_t directionFlag, int32_t sideFlag);
int32_t dllpentagon(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                    int32_t stride, int32_t size, int32_t percent1, int32_t percent2, int32_t percent3);

}  // namespace reference
