// The operations orvane-cli can apply: the program's table of operations, by
// their names, with arguments read from the command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Operations.h"

namespace orvane::cli {

using Operation = OperationDef;

// Every operation, filters first, in the classes' own order.
inline const std::vector<Operation>& operations() { return Operations(); }

// Case-insensitive look-up; null when there is no such operation.
inline const Operation* findOperation(std::string_view name) { return FindOperation(name); }

struct Step {
  const Operation* op = nullptr;
  std::vector<int32_t> args;
};

// The operation's signature, then one line per argument: what it takes, its
// range and its default.
std::string describe(const Operation& op);

// Parses "NAME[:ARG,ARG...]"; on failure returns nothing and describes why in error.
std::optional<Step> parseStep(const std::string& text, std::string& error);

}  // namespace orvane::cli
