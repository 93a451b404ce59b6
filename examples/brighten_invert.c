/* Calling qrix from C: brightens a raw picture (24-bit BGR rows, each padded to
 * a multiple of 4 bytes) by 40 and inverts it.  brighten_invert IN.raw OUT.raw */
#include <qrix.h>
#include <stdio.h>

static uint8_t pixels[64 << 20];

int main(int argc, char** argv) {
  if (argc != 3) return fprintf(stderr, "usage: %s IN.raw OUT.raw\n", argv[0]), 2;
  FILE* in = fopen(argv[1], "rb");
  if (!in) return perror(argv[1]), 1;
  const size_t n = fread(pixels, 1, sizeof pixels, in);
  fclose(in);
  if (n < 3) return fprintf(stderr, "%s: no pixels\n", argv[1]), 1;
  dllbrightness(pixels, (int32_t)n - 1, 40); /* size is always the byte count - 1 */
  pno(pixels, (int32_t)n - 1, 1);            /* mode 1: invert every channel */
  FILE* out = fopen(argv[2], "wb");
  if (!out || fwrite(pixels, 1, n, out) != n || fclose(out) != 0) return perror(argv[2]), 1;
  return 0;
}
