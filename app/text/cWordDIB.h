// cWordDIB: stamps one line of text onto an image, in a colour or filled with a picture.
//
// The letters are drawn without antialiasing on a black mask, so every non-black mask pixel is a
// letter pixel; qrix's mask routines then blend the letters with the image underneath.
#pragma once

#include <QString>
#include <cstdint>

#include "CDIB.h"

namespace orvane {

// Where a text of tw x th pixels goes on a W x H picture. Codes 1..9 pick a cell of a 3 x 3 grid
// (1..3 down the left edge, 4..6 down the middle, 7..9 down the right edge); other codes mean the
// top-left corner. Negative results become 0.
void PlaceTextByCode(int32_t MyDire, int32_t W, int32_t H, int32_t tw, int32_t th, int32_t& x, int32_t& y);
// Placement by percentages of the picture size; with KeepArea a text reaching the right or bottom
// edge is pulled back inside. Negative results become 0.
void PlaceTextByPercent(float X, float Y, bool KeepArea, int32_t W, int32_t H, int32_t tw, int32_t th,
                        int32_t& x, int32_t& y);

// The face used when the requested one is not installed.
inline constexpr const char* kDefaultTextFace = "DejaVu Sans";

class cWordDIB {
 public:
  // MyDire: 1..9 grid cell, 10 explicit X/Y percentages, anything else the top-left corner.
  // Width/Height: character cell in pixels (Width 0 lets the font choose). CharSet is not used.
  // AlphaBlend: share of the letter colour, 0..100.
  void InsertTextLogo(CDIB& xDIB, const QString& strDraw, int32_t MyDire, float X, float Y, bool KeepArea,
                      int32_t Width, int32_t Height, int32_t Red, int32_t Green, int32_t Blue,
                      const QString& FontName, int32_t CharSet, int32_t Weight, bool Italic, bool UnderLine,
                      bool StrickOut, int32_t AlphaBlend);

  // As InsertTextLogo, with letters filled from the picture file FileName or, when FileName is empty,
  // from yDIB. RGBColor (red + 256 green + 65536 blue) only has to be non-black.
  void InsertTextImage(CDIB& xDIB, const QString& strDraw, int32_t MyDire, float X, float Y, bool KeepArea,
                       int32_t Width, int32_t Height, int32_t RGBColor, const QString& FontName,
                       int32_t CharSet, int32_t Weight, bool Italic, bool UnderLine, bool StrickOut,
                       int32_t AB, const QString& FileName, CDIB* yDIB);

  // Width x Height of the box a stamp works in for this text and cell; the text occupies its top-left
  // part. A cell width of 0 is replaced by the font's own average character width.
  static void BoxSize(const QString& strDraw, int32_t cellWidth, int32_t cellHeight, const QString& FontName,
                      int32_t Weight, bool Italic, int32_t& boxWidth, int32_t& boxHeight);

  struct Font {
    QString face;
    int32_t cellWidth = 0;
    int32_t cellHeight = 0;
    int32_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
  };

  // Draws text at (left, top) of buffer in colour (red + 256 green + 65536 blue), clipped to the
  // buffer, or with measure only returns the text's width in pixels.
  int32_t DrawText(CDIB& buffer, const QString& text, int32_t left, int32_t top, const Font& font,
                   int32_t colour, bool measure);

 private:
  struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
  };
  // Placement shared by both stamps; false when there is nothing to stamp.
  bool Place(CDIB& xDIB, const QString& strDraw, int32_t MyDire, float X, float Y, bool KeepArea,
             const Font& font, int32_t& x, int32_t& y);
  void StampColour(CDIB& xDIB, const QString& text, int32_t x, int32_t y, const Font& font, int32_t colour,
                   int32_t blend);
  void StampPicture(CDIB& xDIB, const QString& text, int32_t x, int32_t y, const Font& font, int32_t colour,
                    int32_t blend, const QString& fileName, CDIB* fill);

  Rect rect_;
};

}  // namespace orvane
