// The eight orientations of the TIFF/EXIF orientation tag, from the tag's own
// definition: which side of the upright picture the stored rows start at
// (row 0) and which side their first pixels lie on (column 0).
#pragma once

namespace testing_support {

// Where stored pixel (sx, sy) shows in the upright W x H picture; coordinates
// from the top-left corner. Orientations 5-8 store H pixels a row.
inline void uprightPosition(int orientation, int W, int H, int sx, int sy, int& x, int& y) {
  switch (orientation) {
    case 2:
      x = W - 1 - sx, y = sy;
      break;  // row 0 top, column 0 right
    case 3:
      x = W - 1 - sx, y = H - 1 - sy;
      break;  // bottom, right
    case 4:
      x = sx, y = H - 1 - sy;
      break;  // bottom, left
    case 5:
      x = sy, y = sx;
      break;  // left, top
    case 6:
      x = W - 1 - sy, y = sx;
      break;  // right, top
    case 7:
      x = W - 1 - sy, y = H - 1 - sx;
      break;  // right, bottom
    case 8:
      x = sy, y = H - 1 - sx;
      break;  // left, bottom
    default:
      x = sx, y = sy;
      break;  // 1: top, left
  }
}

}  // namespace testing_support
