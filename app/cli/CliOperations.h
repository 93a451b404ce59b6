// The operations orvane-cli can apply: the program's table of operations, by
// their names, with arguments read from the command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Operations.h"
#include "PictureRegion.h"

namespace orvane::cli {

using Operation = OperationDef;

// Every operation, filters first, in the classes' own order.
inline const std::vector<Operation>& operations() { return Operations(); }

// Case-insensitive look-up; null when there is no such operation.
inline const Operation* findOperation(std::string_view name) { return FindOperation(name); }

// One thing done to each picture, in command-line order: an operation, a crop
// to a rectangle, or a region the operations after it keep inside.
struct Step {
  enum class Kind { Operation, Crop, Region };
  Kind kind = Kind::Operation;
  const Operation* op = nullptr;
  std::vector<int32_t> args;
  PixelRect rect;  // Crop and Region
};

// Parses "X,Y,W,H" (whole numbers, X and Y from 0, W and H from 1) for --crop
// and --region; on failure returns nothing and describes why in error.
std::optional<PixelRect> parseRect(const std::string& text, const std::string& option, std::string& error);

// Applies the steps in order. A region limits the operations after it to its
// inside (those that change the picture's size or shape act on the whole
// picture); a crop ends the region. False with error set when a rectangle does
// not fit the picture or an operation fails.
bool applySteps(CDIB& image, const std::vector<Step>& steps, std::string& error);

// The operation's signature, then one line per argument: what it takes, its
// range and its default.
std::string describe(const Operation& op);

// Parses "NAME[:ARG,ARG...]"; on failure returns nothing and describes why in error.
std::optional<Step> parseStep(const std::string& text, std::string& error);

}  // namespace orvane::cli
