// Shared checks of the codec library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

// Largest picture we decode or encode: its 24-bit buffer (rows padded to 4
// bytes) must stay within a signed 32-bit byte count.
bool geometryFits(int64_t width, int64_t height);
int64_t strideFor(int64_t width);

// True when a caller's buffer of `size` + 1 bytes at `stride` holds width x height pixels.
bool bufferHolds(int32_t size, int32_t stride, int32_t width, int32_t height);

// Reads a whole regular file; false for directories, unreadable or missing
// files, with the status set. A pipe or device is refused without blocking.
bool readRegularFile(const char* fileName, std::vector<uint8_t>& bytes);

// The status that ostrel_status reports; every exported call starts with
// beginCall. fail records the reason and returns false.
void beginCall();
bool fail(int32_t status, int systemError = 0);
void setStatus(int32_t status);
bool lenient();

// The decoders write only a picture of the size that the info call last
// reported for the same file on this thread.
enum class Format { Tiff, Pcx };
void rememberSize(Format format, const char* fileName, int32_t width, int32_t height);
bool sizeWasReported(Format format, const char* fileName, int32_t width, int32_t height);

}  // namespace ostrel
