#include "TextOptions.h"

#include <QString>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <exception>

#include "CliFiles.h"
#include "cWordDIB.h"

namespace orvane::cli {

const char* const kTextUsage =
    "Text stamping (after the operations; the options after a --text shape that text):\n"
    "  --text TEXT             stamp TEXT (repeatable)\n"
    "  --text-at CODE|X,Y      placement: grid cell 1-9 (1-3 left, 4-6 middle, 7-9 right edge,\n"
    "                          top to bottom), or X,Y percentages of the picture size (default 1)\n"
    "  --text-keep             with X,Y, pull a text reaching the right or bottom edge back inside\n"
    "  --text-size H|W,H       character cell in pixels (default 0,24; width 0: the font's own)\n"
    "  --text-color R,G,B      letter colour, or #RRGGBB (default 255,255,255; black is invisible)\n"
    "  --text-font FACE        font face (default and fallback: DejaVu Sans)\n"
    "  --text-weight N         weight 1-1000 (400 normal, 700 bold); --text-bold for 700\n"
    "  --text-italic, --text-underline, --text-strikeout\n"
    "  --text-blend PERCENT    share of the letter colour, 0-100 (default 100)\n"
    "  --text-fill PICTURE     fill the letters with a picture instead of the colour\n";

namespace {

bool toInt(const std::string& s, int32_t lo, int32_t hi, int32_t& out) {
  int32_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || v < lo || v > hi) return false;
  out = v;
  return true;
}

bool toFloat(const std::string& s, float& out) {
  if (s.empty()) return false;
  char* end = nullptr;
  const float v = std::strtof(s.c_str(), &end);
  if (end != s.c_str() + s.size() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

std::vector<std::string> split(const std::string& s, char by) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at; (at = s.find(by, start)) != std::string::npos; start = at + 1)
    parts.push_back(s.substr(start, at - start));
  parts.push_back(s.substr(start));
  return parts;
}

bool parsePlacement(const std::string& v, TextStamp& t) {
  const auto parts = split(v, ',');
  if (parts.size() == 1) return toInt(v, 1, 9, t.placement);
  if (parts.size() != 2 || !toFloat(parts[0], t.x) || !toFloat(parts[1], t.y)) return false;
  t.placement = 10;
  return true;
}

bool parseSize(const std::string& v, TextStamp& t) {
  const auto parts = split(v, ',');
  if (parts.size() == 1) return toInt(v, 1, 2000, t.cellHeight);
  return parts.size() == 2 && toInt(parts[0], 0, 2000, t.cellWidth) && toInt(parts[1], 1, 2000, t.cellHeight);
}

bool parseColour(const std::string& v, TextStamp& t) {
  if (v.size() == 7 && v[0] == '#') {
    uint32_t rgb = 0;
    const auto [end, ec] = std::from_chars(v.data() + 1, v.data() + v.size(), rgb, 16);
    if (ec != std::errc() || end != v.data() + v.size()) return false;
    t.red = (rgb >> 16) & 0xff, t.green = (rgb >> 8) & 0xff, t.blue = rgb & 0xff;
    return true;
  }
  const auto parts = split(v, ',');
  return parts.size() == 3 && toInt(parts[0], 0, 255, t.red) && toInt(parts[1], 0, 255, t.green) &&
         toInt(parts[2], 0, 255, t.blue);
}

}  // namespace

bool parseTextOption(const std::vector<std::string>& args, size_t& i, std::vector<TextStamp>& stamps,
                     std::string& error) {
  const std::string& arg = args[i];
  if (arg.rfind("--text", 0) != 0) return false;
  std::string name = arg, value;
  bool inlineValue = false;
  if (const size_t eq = arg.find('='); eq != std::string::npos) {
    name = arg.substr(0, eq);
    value = arg.substr(eq + 1);
    inlineValue = true;
  }
  static const std::vector<std::string> flags = {"--text-keep", "--text-bold", "--text-italic",
                                                 "--text-underline", "--text-strikeout"};
  static const std::vector<std::string> valued = {"--text",       "--text-at",   "--text-size",
                                                  "--text-color", "--text-font", "--text-weight",
                                                  "--text-blend", "--text-fill"};
  const bool isFlag = std::find(flags.begin(), flags.end(), name) != flags.end();
  const bool isValued = std::find(valued.begin(), valued.end(), name) != valued.end();
  if (!isFlag && !isValued) return false;
  if (isFlag && inlineValue) {
    error = name + " takes no value";
    return true;
  }
  if (isValued && !inlineValue) {
    if (i + 1 >= args.size()) {
      error = name + " needs a value";
      return true;
    }
    value = args[++i];
  }
  if (name == "--text") {
    stamps.push_back(TextStamp{});
    stamps.back().text = value;
    return true;
  }
  if (stamps.empty()) {
    error = name + " must follow a --text";
    return true;
  }
  TextStamp& t = stamps.back();
  bool ok = true;
  if (name == "--text-keep")
    t.keepArea = true;
  else if (name == "--text-bold")
    t.weight = 700;
  else if (name == "--text-italic")
    t.italic = true;
  else if (name == "--text-underline")
    t.underline = true;
  else if (name == "--text-strikeout")
    t.strikeOut = true;
  else if (name == "--text-at")
    ok = parsePlacement(value, t);
  else if (name == "--text-size")
    ok = parseSize(value, t);
  else if (name == "--text-color")
    ok = parseColour(value, t);
  else if (name == "--text-font")
    t.face = value;
  else if (name == "--text-weight")
    ok = toInt(value, 1, 1000, t.weight);
  else if (name == "--text-blend")
    ok = toInt(value, 0, 100, t.blend);
  else if (name == "--text-fill")
    ok = !(t.fillPicture = value).empty();
  if (!ok) error = "bad value '" + value + "' for " + name;
  return true;
}

bool applyTextStamps(CDIB& image, const std::vector<TextStamp>& stamps, std::string& error) {
  try {
    for (const TextStamp& t : stamps) {
      const QString text = QString::fromStdString(t.text);
      const QString face = QString::fromStdString(t.face);
      if (t.fillPicture.empty()) {
        cWordDIB().InsertTextLogo(image, text, t.placement, t.x, t.y, t.keepArea, t.cellWidth, t.cellHeight,
                                  t.red, t.green, t.blue, face, 0, t.weight, t.italic, t.underline,
                                  t.strikeOut, t.blend);
        continue;
      }
      CDIB fill;
      if (!loadPicture(QString::fromLocal8Bit(t.fillPicture.c_str()), fill)) {
        error = "cannot read the fill picture '" + t.fillPicture + "'";
        return false;
      }
      const int32_t colour = t.red | t.green << 8 | t.blue << 16;
      cWordDIB().InsertTextImage(image, text, t.placement, t.x, t.y, t.keepArea, t.cellWidth, t.cellHeight,
                                 colour, face, 0, t.weight, t.italic, t.underline, t.strikeOut, t.blend,
                                 QString(), &fill);
    }
  } catch (const std::exception& e) {
    error = std::string("text stamping: ") + e.what();
    return false;
  }
  return true;
}

}  // namespace orvane::cli
