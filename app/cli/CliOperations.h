// The operations orvane-cli can apply, by the names of the operation classes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CDIB.h"

namespace orvane::cli {

enum class ArgKind { Int, Bool, Byte, Short };

struct ArgSpec {
  const char* name;
  ArgKind kind;
};

struct Operation {
  std::string name;
  std::vector<ArgSpec> args;
  // Applies the operation; false when it could not be done (the image may be unusable).
  std::function<bool(CDIB&, const std::vector<int32_t>&)> apply;

  // "Name" or "Name:arg,arg".
  std::string signature() const;
};

// Every operation, filters first, in the classes' own order.
const std::vector<Operation>& operations();

// Case-insensitive look-up; null when there is no such operation.
const Operation* findOperation(std::string_view name);

struct Step {
  const Operation* op = nullptr;
  std::vector<int32_t> args;
};

// Parses "NAME[:ARG,ARG...]"; on failure returns nothing and describes why in error.
std::optional<Step> parseStep(const std::string& text, std::string& error);

}  // namespace orvane::cli
