// The modes of the adjustment dialog: one pane per mode, with its captions,
// the menu item that opens it, the operations it runs (from the program's table
// of operations), the sliders it sets up at load and its other controls.
#pragma once

#include <QRgb>
#include <cstdint>
#include <vector>

namespace orvane {

constexpr int kFirstAdjustMode = 1;
constexpr int kLastAdjustMode = 29;
constexpr int kResizeMode = 25;
constexpr int kErodeMode = 18;

// Where one argument of a pane's operation comes from.
struct PaneArg {
  enum Source { Slider, Ticked, Red, Green, Blue, Fixed };
  Source source;
  const char* control = nullptr;  // object name of the slider, check or radio box, or colour box
  int32_t value = 0;              // Fixed only
};

// One operation of the table, with an argument for each of its parameters.
struct PaneStep {
  const char* operation;
  std::vector<PaneArg> args;
};

struct AdjustMode {
  const char* frameCaption;  // caption of the pane's frame
  const char* title;         // small part of the window title
  const char* menuArray;     // the menu item that opens the pane
  int menuIndex;             // -1: the array is a single item
  const char* menuCaption;
  std::vector<PaneStep> steps;  // run in this order on every change; none for Resize
};

// Mode 1 to 29; null for any other number.
const AdjustMode* FindAdjustMode(int mode);
// Whether the pane changes the picture's size or shape (Resize, the shapes),
// so that it works on the whole picture even while a part is selected.
bool PaneWorksOnWholePicture(const AdjustMode& mode);
// The mode whose pane the menu item opens; 0 when it opens none. Single
// items (index -1) answer for any index.
int AdjustModeOfMenuItem(const char* array, int index);

// A slider starts at its minimum when no start value is set.
constexpr int kStartAtMin = -1;

struct SliderSpec {
  int mode;
  const char* name;  // HSBright
  int min;
  int max;
  int start;               // kStartAtMin: no value is set
  bool viaInitSlider;      // false: Min, Max and Value set directly (large change stays 1)
  int row;                 // place in the pane, top to bottom; row 0 holds the primary slider
  const char* valueLabel;  // LabBrightness
  const char* caption;     // caption label, or null
  // Mode 6 only: the caption at the low end and the background colours of
  // the captions at the high and low ends.
  const char* lowCaption = nullptr;
  QRgb highColor = 0;
  QRgb lowColor = 0;
};

// The sliders of one mode in the order in which they are set up at load.
std::vector<const SliderSpec*> SlidersOfMode(int mode);

// A pane's controls besides its sliders. Checks, radio buttons and colour
// boxes share one row under the sliders; each size box has a row of its own.
struct PaneControl {
  enum Kind { Check, Radio, Colour, SizeBox };
  // When a check or radio box gets its tick: the radio buttons of a pane
  // start on one each time it is set up.
  enum Tick { Unticked, BuiltTicked, TickedAtSetUp };
  int mode;
  Kind kind;
  const char* name;  // CheckEmboss
  // The box's own text; for a colour or size box, the label before it.
  const char* caption;
  const char* tooltip = nullptr;
  QRgb startColor = 0;  // Colour: set when the pane is set up
  Tick tick = Unticked;
  int spaceBefore = 0;  // pixels between it and the control before it in its row
};

// The other controls of one mode in the order in which they are built.
std::vector<const PaneControl*> ControlsOfMode(int mode);

// (max - min) / 6 with the fraction dropped, at least 1.
int LargeChangeFor(int min, int max);

}  // namespace orvane
