// The eight orientations of the TIFF/EXIF orientation tag, from the tag's own
// definition: which side of the upright picture the stored rows start at
// (row 0) and which side their first pixels lie on (column 0).
#pragma once

namespace testing_support {

// Where stored pixel (sx, sy) shows in the upright W x H picture; coordinates
// from the top-left corner. Orientations 5-8 store H pixels a row.
inline void uprightPosition(int orientation, int W, int H, int sx, int sy, int& x, int& y) {
  // Stored row 0 lies on the upright picture's ... side, its column 0 on the ... side:
  switch (orientation) {
    case 2:  // top, right
      x = W - 1 - sx, y = sy;
      break;
    case 3:  // bottom, right
      x = W - 1 - sx, y = H - 1 - sy;
      break;
    case 4:  // bottom, left
      x = sx, y = H - 1 - sy;
      break;
    case 5:  // left, top
      x = sy, y = sx;
      break;
    case 6:  // right, top
      x = W - 1 - sy, y = sx;
      break;
    case 7:  // right, bottom
      x = W - 1 - sy, y = H - 1 - sx;
      break;
    case 8:  // left, bottom
      x = sy, y = H - 1 - sx;
      break;
    default:  // 1: top, left
      x = sx, y = sy;
      break;
  }
}

}  // namespace testing_support
