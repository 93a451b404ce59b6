// Text stamping options of orvane-cli: --text TEXT followed by options that shape that text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "CDIB.h"

namespace orvane::cli {

struct TextStamp {
  std::string text;
  int32_t placement = 1;  // 1..9 grid cell, 10 percentages
  float x = 0, y = 0;     // percentages, with placement 10
  bool keepArea = false;
  int32_t cellWidth = 0;  // 0: the font's own width
  int32_t cellHeight = 24;
  int32_t red = 255, green = 255, blue = 255;
  std::string face;  // empty: the shipped default face
  int32_t weight = 400;
  bool italic = false, underline = false, strikeOut = false;
  int32_t blend = 100;
  std::string fillPicture;  // letters filled with this picture when set
};

// Help lines for the text options.
extern const char* const kTextUsage;

// Takes the text option at args[i] (advancing i past its value) and returns true; returns false when
// args[i] is no text option. A bad value or an option before any --text sets error.
bool parseTextOption(const std::vector<std::string>& args, size_t& i, std::vector<TextStamp>& stamps,
                     std::string& error);

// Stamps the texts in order. False, with error set, when a fill picture cannot be read or the
// stamping fails; the image may then hold the stamps made before.
bool applyTextStamps(CDIB& image, const std::vector<TextStamp>& stamps, std::string& error);

}  // namespace orvane::cli
