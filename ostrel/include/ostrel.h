/* ostrel: the program's codec library for TIFF, PCX and JPEG files.
 *
 * Plain C interface. Pixel buffers are 24-bit with rows padded to `stride`
 * bytes; `size` is the byte count of the buffer minus one. File names are
 * NUL-terminated byte strings in the file system's encoding. Every function
 * returns non-zero on success and 0 on any failure, and never writes outside
 * the buffer it is given.
 *
 * The decoders fill a buffer that the caller created at the size the matching
 * info function reported for the same file name on the same thread; when the
 * file no longer has that size they fail without writing.
 */
#ifndef OSTREL_H
#define OSTREL_H

#include <stdint.h>

#if defined(OSTREL_BUILDING)
#define OSTREL_API __attribute__((visibility("default")))
#else
#define OSTREL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The layout flag of GetTIF and OutTIF: rows bottom-up, bytes blue, green, red. */
#define OSTREL_BOTTOM_UP_BGR 1

/* Width and height of the first picture of a TIFF file. */
OSTREL_API int32_t GetTIFInfo(const char* fileName, int32_t* width, int32_t* height);

/* Decodes the first picture of a TIFF file into pixels (layout flag 1 only). */
OSTREL_API int32_t GetTIF(const char* fileName, uint8_t* pixels, int32_t stride, int32_t layout);

/* The ICC colour profile of the first picture of a TIFF file: its length in
 * bytes (0 when there is none), and when `capacity` holds it, the profile
 * copied to `profile`. */
OSTREL_API int32_t GetTIFICC(const char* fileName, uint8_t* profile, int32_t capacity);

/* Writes the buffer as a 24-bit RGB TIFF with lossless compression (layout flag 1 only). */
OSTREL_API int32_t OutTIF(const char* fileName, const uint8_t* pixels, int32_t stride, int32_t size,
                          int32_t width, int32_t height, int32_t layout);

/* Width and height of a PCX file. */
OSTREL_API int32_t getpcxinfo(const char* fileName, int32_t* width, int32_t* height);

/* Decodes a PCX file (1-, 2-, 4-, 8-bit palette, 24- and 32-bit) into pixels:
 * top row first, bytes red, green, blue. */
OSTREL_API int32_t pcx2mem(const char* fileName, uint8_t* pixels, int32_t stride);

/* Writes a 24-bit run-length PCX from a buffer whose top row comes first and
 * whose bytes are blue, green, red. */
OSTREL_API int32_t mem2pcx(const uint8_t* pixels, int32_t size, int32_t width, int32_t height, int32_t stride,
                           const char* fileName);

/* Colour modes of mem2jpeg. */
#define OSTREL_JPEG_GREY 0
#define OSTREL_JPEG_TRUE_COLOUR 3

/* Writes a bottom-up blue-green-red buffer as a baseline JPEG; quality 1-100. */
OSTREL_API int32_t mem2jpeg(const uint8_t* pixels, int32_t size, int32_t width, int32_t height,
                            int32_t stride, int32_t colourMode, int32_t quality, const char* fileName);

/* Why jpeginfo or jpeg2mem failed, or what a lenient jpeg2mem accepted. */
#define OSTREL_JPEG_FINE 0
#define OSTREL_JPEG_NOT_JPEG 1
#define OSTREL_JPEG_DAMAGED 2 /* corrupt, cut short, or a decompression bomb */
#define OSTREL_JPEG_NO_MEMORY 3

/* Width and height of a JPEG held in memory (`length` bytes). Refuses a
 * picture whose compressed data is far too small for the size it claims. */
OSTREL_API int32_t jpeginfo(const uint8_t* data, int64_t length, int32_t* width, int32_t* height,
                            int32_t* status);

/* Decodes a JPEG held in memory straight into a bottom-up blue-green-red
 * buffer of the size jpeginfo reported. Data after the end marker is ignored.
 * Corrupt or missing data fails with OSTREL_JPEG_DAMAGED unless `lenient` is
 * non-zero; then what could be decoded is kept and *status says
 * OSTREL_JPEG_DAMAGED on success. More than 1000 scans are refused. */
OSTREL_API int32_t jpeg2mem(const uint8_t* data, int64_t length, uint8_t* pixels, int32_t size,
                            int32_t stride, int32_t width, int32_t height, int32_t lenient, int32_t* status);

/* Why the last call on this thread failed; OSTREL_OK after a clean success. */
#define OSTREL_OK 0
#define OSTREL_E_OPEN 1        /* the file cannot be opened: see ostrel_system_error */
#define OSTREL_E_NOT_A_FILE 2  /* a folder, device or pipe */
#define OSTREL_E_FORMAT 3      /* not a file of this format */
#define OSTREL_E_DAMAGED 4     /* damaged or truncated; after a lenient success: damage was accepted */
#define OSTREL_E_MEMORY 5      /* memory could not be had */
#define OSTREL_E_COMPRESSION 6 /* a TIFF compression that is not decoded */
#define OSTREL_E_WRITE 7       /* writing the file failed: see ostrel_system_error */
#define OSTREL_E_ARGUMENT 8    /* the call's arguments do not fit together */
OSTREL_API int32_t ostrel_status(void);

/* The system's error number behind OSTREL_E_OPEN and OSTREL_E_WRITE. */
OSTREL_API int32_t ostrel_system_error(void);

/* With a non-zero flag the decoders of this thread accept damaged data: they
 * keep what decoded, fill the rest black, succeed and set OSTREL_E_DAMAGED. */
OSTREL_API void ostrel_set_lenient(int32_t lenient);

#ifdef __cplusplus
}
#endif

#endif /* OSTREL_H */
