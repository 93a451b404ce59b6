// The program's operations, each described once: its name, where it sits in
// the menus and under which caption, its typed parameters with the values they
// accept and start from, and what applies it. The menus, the adjustment
// dialog's panes and orvane-cli are all read from this table, so adding an
// operation is one entry here (plus the library function it calls).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

class CDIB;
class cEffectDIB;
class cFilterDIB;

enum class ParamKind { Int, Bool, Byte, Short };

struct Param {
  const char* name;
  ParamKind kind;
  int32_t min;  // the values the operation accepts
  int32_t max;
  int32_t def;  // where a caller without a value of its own starts

  bool accepts(int64_t value) const { return value >= min && value <= max; }
};

// A menu item that runs the operation directly: its menu control array, its
// index there, its caption and the arguments it passes (one per parameter).
struct MenuItem {
  const char* array;
  int index;
  const char* caption;
  std::vector<int32_t> args;
};

// The objects an operation runs on. A thread that runs operations beside the
// window's keeps its own pair: their working copies must not be shared.
struct OperationTools {
  cFilterDIB& filters;
  cEffectDIB& effects;
};

using OperationArgs = std::span<const int32_t>;

struct OperationDef {
  enum Owner { Filter, Effect };

  std::string name;
  Owner owner;
  std::vector<Param> params;
  std::vector<MenuItem> menu;
  // One argument per parameter, already within its range; false when the
  // operation could not be done (the image may then be unusable). A lambda
  // without captures will do for an operation that is not a class member.
  bool (*run)(OperationTools& tools, CDIB& image, OperationArgs args);
  // How many pixels around a pixel the operation reads, so that a part of the
  // picture can be worked on with just that margin around it. Unknown
  // (nullopt) for operations that may read anywhere or whose result depends on
  // where a pixel lies or on the picture's size (statistics over the whole
  // picture, shapes, random draws); such parts are worked on whole.
  std::optional<int32_t> reach;
  // When the reach depends on the arguments; overrides `reach`.
  std::optional<int32_t> (*reachOf)(OperationArgs args) = nullptr;

  // Changes the picture's size or shape (rotate, resize, the shapes): it
  // works on the whole picture even while a part of it is selected.
  bool wholePicture = false;

  std::optional<int32_t> reachFor(OperationArgs args) const { return reachOf ? reachOf(args) : reach; }
  // The entry with a fixed reach (the table's spelling).
  OperationDef within(int32_t pixels) && {
    reach = pixels;
    return std::move(*this);
  }
  OperationDef whole() && {
    wholePicture = true;
    return std::move(*this);
  }

  // As run, on objects of the core's own (for callers without a window).
  bool apply(CDIB& image, OperationArgs args) const;
  bool apply(OperationTools& tools, CDIB& image, OperationArgs args) const { return run(tools, image, args); }

  // "Name" or "Name:Param,Param".
  std::string signature() const;
};

// Every operation: the filters, then the effects, each in its class's order.
const std::vector<OperationDef>& Operations();

// Case-insensitive; null when there is no such operation.
const OperationDef* FindOperation(std::string_view name);

}  // namespace orvane
